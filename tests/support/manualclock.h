#pragma once

#include "core/clock.h"

#include <QPointer>
#include <algorithm>
#include <vector>

namespace testsupport {

// A clock that moves only when the test moves it.
class ManualClock : public Clock {
public:
    qint64 nowMs() const override { return now_; }

    std::unique_ptr<QObject> after(int ms, std::function<void()> callback) override
    {
        auto alarm = std::make_unique<QObject>();
        alarms_.push_back({now_ + ms, alarm.get(), std::move(callback)});
        return alarm;
    }

    // Moves on, ringing each alarm that falls due on the way, in turn.
    void advance(qint64 ms)
    {
        const qint64 end = now_ + ms;
        while (true) {
            std::erase_if(alarms_, [](const Alarm& alarm) { return alarm.handle.isNull(); });
            const auto next = std::min_element(alarms_.begin(), alarms_.end(),
                                               [](const Alarm& a, const Alarm& b) { return a.due < b.due; });
            if (next == alarms_.end() || next->due > end)
                break;
            now_ = next->due;
            const std::function<void()> ring = std::move(next->callback);
            alarms_.erase(next);
            ring();
        }
        now_ = end;
    }

private:
    struct Alarm {
        qint64 due;
        QPointer<QObject> handle;
        std::function<void()> callback;
    };
    std::vector<Alarm> alarms_;
    qint64 now_ = 0;
};

} // namespace testsupport
