#pragma once

#include <QObject>
#include <functional>
#include <memory>

// Time as the program's slower timers see it (the slideshow, the resume
// writes): the system's, or one a test moves by hand.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a clock that never goes back.
    virtual qint64 nowMs() const = 0;
    // Calls back once, that many milliseconds from now, on the caller's
    // thread; dropping the returned alarm first cancels it.
    virtual std::unique_ptr<QObject> after(int ms, std::function<void()> callback) = 0;
};

// The system's monotonic clock and Qt's timers.
Clock& systemClock();
