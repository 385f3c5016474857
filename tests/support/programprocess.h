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
    // Settings that open the folder, in the given mode ("OP1" or "OP2").
    void prepare(const QString& folder, const QString& mode);
    bool start(const QString& workingFolder = QString(), const QStringList& arguments = {});
    // Prepares the folder and mode, starts, and searches with Ctrl+F from
    // the main window; its X window id, or an empty text if it never came.
    QString startSearch(const QString& folder, const QString& mode);
    // Resident memory now, in KiB.
    long residentKb();
    // Resident memory once it has stopped growing (a clip that has just
    // started still fills its buffers), in KiB.
    long settledResidentKb();
    // Processor time used so far, in seconds.
    double cpuSeconds();
    // The titles of the program's visible windows now.
    QStringList windowTitles();
    // The X window id of the first visible window with that exact title.
    QString waitForWindow(const QString& title, int milliseconds = 15000);
    QRect windowGeometry(const QString& windowId);
    // The same with the window manager's frame (none without one).
    QRect outerGeometry(const QString& windowId);
    bool waitForExit(int milliseconds = 5000);
    QString configDir() const { return config_.path(); }
    QString setting(const QString& key);
    QProcess& process() { return process_; }
    // What the program printed on standard error so far (shown again when
    // the process object goes).
    QByteArray errorOutput();

private:
    QTemporaryDir config_;
    QProcess process_;
    QByteArray errors_;
};

// Runs a command and returns what it printed (trimmed).
QString run(const QString& program, const QStringList& arguments);

// Focuses the window and types the keys as a keyboard would: each key is
// let go where the focus is by then (a key that hides its window is not
// left held down).
void key(const QString& windowId, const QString& keys);

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
