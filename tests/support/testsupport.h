#pragma once

#include "app/application.h"
#include "support/manualclock.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

namespace testsupport {

// A temporary folder tree. Paths ending in "/" are folders; others are
// files of the given size (sparse when large).
class TempTree {
public:
    TempTree();
    QString root() const { return dir_.path(); }
    QByteArray nativeRoot() const;
    QString path(const QString& relative) const { return root() + u'/' + relative; }
    void add(const QString& relative, qint64 size = 0);
    void addAll(const QStringList& relatives);
    void addBytes(const QByteArray& relative, qint64 size = 0);

private:
    QTemporaryDir dir_;
};

// A character device node of the test's own at path (the null device's
// numbers), so no test ever points the program at a system device that a
// fault could replace. Only root may make one: false otherwise.
bool makeOwnDevice(const QByteArray& path);

// Waits, processing events, until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, int milliseconds = 5000);
// How many times over the cores the machine is asked for (the last
// minute's load; 1 when it has cores to spare): a bound on how long the
// program takes to answer is stretched by it, as a busy machine shares them.
double busyFactor();

// Records the program's message boxes instead of showing them.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    QStringList texts;
    QStringList captions;
};

// Records a settings store's writes, in order, from now on.
class WriteRecorder {
public:
    struct Write {
        QString key, value;
    };
    explicit WriteRecorder(SettingsStore& store);
    ~WriteRecorder();
    std::vector<Write> writes;

private:
    SettingsStore& store_;
};

// The program with its own settings folder and a machine of one volume, "/".
// The player is loaded on first use unless preparePlayer.
struct TestProgram {
    explicit TestProgram(MountSource mounts = {}, bool start = true, bool preparePlayer = false);
    QTemporaryDir config;
    ManualClock clock; // the slideshow's and the resume writes'
    std::unique_ptr<Application> app;
    // Set when the program asked to end the process (it is not ended).
    bool ended = false;
    QString settingsFile() const { return config.path() + QStringLiteral("/ZOLT.ini"); }
};

// Writes settings into a fresh store in that folder.
void writeSettings(const QString& configDir, const QList<QStringList>& sectionKeyValue);

// The clips made by scripts/make-fixtures.sh, and their folder ("/" ended).
QString fixture(const QString& name);
QByteArray fixtureFolder();

// Empties the program's list and gives it one row for each name.
void fillRows(Application& app, const QList<QByteArray>& names, const QByteArray& folder = fixtureFolder());

} // namespace testsupport
