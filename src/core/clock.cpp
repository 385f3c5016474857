#include "core/clock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class SystemClock : public Clock {
public:
    SystemClock() { started_.start(); }

    qint64 nowMs() const override { return started_.elapsed(); }

    std::unique_ptr<QObject> after(int ms, std::function<void()> callback) override
    {
        // Qt's own one-shot timer, bound to the alarm: the callback may
        // drop the alarm it came from.
        auto alarm = std::make_unique<QObject>();
        QTimer::singleShot(ms, Qt::CoarseTimer, alarm.get(), std::move(callback));
        return alarm;
    }

private:
    QElapsedTimer started_;
};

} // namespace

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}
