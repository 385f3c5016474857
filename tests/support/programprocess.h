#pragma once

#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

namespace testsupport {

// The built program started as a user would, with its own settings folder.
class ProgramProcess {
public:
    ProgramProcess();
    ~ProgramProcess();
    bool start(const QString& workingFolder = QString());
    // The X window id of the first visible window with that exact title.
    QString waitForWindow(const QString& title, int milliseconds = 15000);
    QRect windowGeometry(const QString& windowId);
    // The same with the window manager's frame (none without one).
    QRect outerGeometry(const QString& windowId);
    bool waitForExit(int milliseconds = 5000);
    QString configDir() const { return config_.path(); }
    QString setting(const QString& key);
    QProcess& process() { return process_; }

private:
    QTemporaryDir config_;
    QProcess process_;
};

// Runs a command and returns what it printed (trimmed).
QString run(const QString& program, const QStringList& arguments);

// With DVZ_WINDOW_MANAGER set (to "openbox"), runs that window manager on
// the display while it lives.
class WindowManager {
public:
    WindowManager();
    ~WindowManager();
    bool running() const { return process_.state() == QProcess::Running; }

private:
    QProcess process_;
};

} // namespace testsupport
