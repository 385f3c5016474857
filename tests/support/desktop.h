#pragma once

#include <QList>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <memory>

// Pieces of the desktops users run, made on the test's own X display.
namespace testsupport {

// A desktop panel: a dock along the bottom of the screen that reserves its
// strip, as panels do (_NET_WM_STRUT_PARTIAL).
class Panel {
public:
    explicit Panel(int height);
    ~Panel();

private:
    struct Connection;
    std::unique_ptr<Connection> x_;
};

// An X server of the given size for the test's own use; DISPLAY names it
// while it lives.
class OwnXServer {
public:
    explicit OwnXServer(QSize size);
    ~OwnXServer();
    bool running() const { return !display_.isEmpty(); }

private:
    QProcess server_;
    QByteArray display_;
    QByteArray previousDisplay_;
};

// Splits the X screen into monitors (RandR 1.5), the first one primary.
bool setMonitors(const QList<QRect>& monitors);

// Starts a program and ends it when the object goes.
class Background {
public:
    explicit Background(const QString& program, const QStringList& arguments = {});
    ~Background();
    bool running() const { return process_.state() == QProcess::Running; }
    // Stops the program where it is, or lets it go on.
    void setPaused(bool paused);

private:
    QProcess process_;
};

// A machine busy with two loops, as on a loaded two-core machine.
class BusyMachine {
public:
    BusyMachine();

private:
    Background first_;
    Background second_;
};

// A headless Wayland session (weston) offering X through Xwayland.
class WaylandSession {
public:
    WaylandSession();
    ~WaylandSession();
    bool running() const { return !waylandDisplay_.isEmpty(); }
    QString runtimeDir() const { return runtime_.path(); }
    QString waylandDisplay() const { return waylandDisplay_; }
    // The Xwayland display (":N"), once weston has opened it.
    QString xDisplay() const;

private:
    QTemporaryDir runtime_;
    QProcess weston_;
    QString waylandDisplay_;
};

} // namespace testsupport
