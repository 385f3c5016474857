#include "app/remotecommands.h"

#include <QMetaObject>
#include <algorithm>

namespace {
constexpr int kMaxRows = 1'000'000; // far past any list, never past an int
}

RemoteCommands::RemoteCommands(Hooks hooks, QObject* parent) : QObject(parent), hooks_(std::move(hooks))
{
    stepLater_.setSingleShot(true);
    connect(&stepLater_, &QTimer::timeout, this, &RemoteCommands::schedule);
}

void RemoteCommands::raise()
{
    raise_ = true;
    schedule();
}

void RemoteCommands::open(const QByteArray& path)
{
    // Moves and keys asked for before it were meant for the list it replaces.
    path_ = path;
    rows_ = 0;
    key_.reset();
    schedule();
}

void RemoteCommands::press(int key)
{
    if (key == Qt::Key_MediaNext || key == Qt::Key_MediaPrevious) {
        rows_ = std::clamp(rows_ + (key == Qt::Key_MediaNext ? 1 : -1), -kMaxRows, kMaxRows);
        key_.reset(); // the row reached plays anyway
    } else if (key == Qt::Key_MediaTogglePlayPause && key_ == key) {
        key_.reset();
    } else {
        key_ = key;
    }
    schedule();
}

void RemoteCommands::resume()
{
    if (hasWork())
        schedule();
}

bool RemoteCommands::stepDue() const
{
    return !lastStep_.isValid() || lastStep_.elapsed() >= kStepIntervalMs;
}

// Keys wait for the moves asked for before them.
bool RemoteCommands::hasWork() const
{
    return raise_ || (rows_ != 0 && stepDue()) || (key_ && rows_ == 0) || (path_ && !hooks_.openMustWait());
}

void RemoteCommands::schedule()
{
    // Behind what is already queued, so a burst is folded before it runs.
    if (scheduled_)
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &RemoteCommands::run, Qt::QueuedConnection);
}

void RemoteCommands::run()
{
    scheduled_ = false;
    if (running_)
        return; // inside a request's own event loop (a search): after it
    running_ = true;
    if (std::exchange(raise_, false))
        hooks_.raise();
    if (path_ && !hooks_.openMustWait())
        hooks_.open(*std::exchange(path_, std::nullopt));
    if (rows_ != 0 && stepDue()) {
        lastStep_.start();
        hooks_.step(std::exchange(rows_, 0));
    }
    if (key_ && rows_ == 0)
        hooks_.press(*std::exchange(key_, std::nullopt));
    running_ = false;
    hooks_.done();
    if (hasWork())
        schedule();
    else if (rows_ != 0)
        stepLater_.start(int(std::max<qint64>(0, kStepIntervalMs - lastStep_.elapsed())));
}
