#include "core/slideshow.h"

#include "core/clock.h"
#include "core/playbackstate.h"

#include <algorithm>

SlideShow::SlideShow(const PlaybackState& state, Clock& clock, std::function<void()> showNext)
    : state_(state), clock_(clock), showNext_(std::move(showNext))
{
    connect(&state_, &PlaybackState::changed, this, [this] {
        if (!picturesShown())
            stop();
    });
}

SlideShow::~SlideShow() = default;

void SlideShow::setInterval(int seconds)
{
    seconds_ = std::count(std::begin(kIntervals), std::end(kIntervals), seconds) ? seconds : 0;
    stop();
    start();
}

void SlideShow::start()
{
    if (seconds_ > 0 && picturesShown())
        arm();
}

bool SlideShow::picturesShown() const
{
    return !state_.videoMode() && !state_.picture().path.isEmpty();
}

void SlideShow::arm()
{
    next_ = clock_.after(seconds_ * 1000, [this] { showNext(); });
}

void SlideShow::showNext()
{
    arm();
    showNext_();
}
