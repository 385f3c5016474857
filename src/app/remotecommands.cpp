#include "app/remotecommands.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <thread>

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
    rows_ = 0;
    key_.reset();
    open_ = nullptr;
    const quint64 request = ++lookUps_;
    lookingUp_ = true;
    std::thread([path, request, lookUp = hooks_.lookUp, self = QPointer<RemoteCommands>(this)] {
        std::function<void()> open = lookUp(path);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, request, open = std::move(open)] {
            if (self)
                self->lookedUp(request, open);
        }, Qt::QueuedConnection);
    }).detach();
    // A mount that does not answer holds the path's open, not the keys.
    QTimer::singleShot(kLookUpWaitMs, this, [this, request] {
        if (request == lookUps_ && std::exchange(lookingUp_, false) && hasWork())
            schedule();
    });
}

void RemoteCommands::lookedUp(quint64 request, std::function<void()> open)
{
    if (request != lookUps_)
        return; // a newer path was asked for meanwhile
    lookingUp_ = false;
    open_ = std::move(open);
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
    return raise_ || (open_ && !hooks_.openMustWait()) ||
           (!openAhead() && ((rows_ != 0 && stepDue()) || (key_ && rows_ == 0)));
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
    if (open_ && !hooks_.openMustWait())
        std::exchange(open_, nullptr)();
    if (!openAhead() && rows_ != 0 && stepDue()) {
        lastStep_.start();
        hooks_.step(std::exchange(rows_, 0));
    }
    if (!openAhead() && key_ && rows_ == 0)
        hooks_.press(*std::exchange(key_, std::nullopt));
    running_ = false;
    hooks_.done();
    if (hasWork())
        schedule();
    else if (rows_ != 0 && !openAhead())
        stepLater_.start(int(std::max<qint64>(0, kStepIntervalMs - lastStep_.elapsed())));
}
