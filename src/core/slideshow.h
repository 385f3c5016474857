#pragma once

#include <QObject>
#include <functional>
#include <memory>

class Clock;
class PlaybackState;

// Shows the next picture every few seconds, as Space does, from the first
// picture a still-picture search shows until the user acts, the picture
// window closes or the mode changes to video.
class SlideShow : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervals[] = {3, 5, 10, 30}; // seconds

    SlideShow(const PlaybackState& state, Clock& clock, std::function<void()> showNext);
    ~SlideShow() override;

    // 0 is off; another interval is one of kIntervals. Pictures shown
    // meanwhile go on at the new interval from now.
    void setInterval(int seconds);
    int interval() const { return seconds_; }

    // Pictures are shown: they step on from now, if an interval is chosen.
    void start();
    void stop() { next_.reset(); }
    bool running() const { return bool(next_); }

private:
    bool picturesShown() const;
    void arm();
    void showNext();

    const PlaybackState& state_;
    Clock& clock_;
    std::function<void()> showNext_;
    int seconds_ = 0;
    std::unique_ptr<QObject> next_; // the alarm of the next step, while running
};
