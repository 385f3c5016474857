#include "core/playbackstate.h"

bool PlaybackState::keepsScreenOn() const
{
    return picture_.fullScreen || (videoMode_ && clip_.status == Status::Playing);
}

void PlaybackState::setVideoMode(bool on)
{
    update(videoMode_, on);
}

void PlaybackState::setClip(const Clip& clip)
{
    update(clip_, clip);
}

void PlaybackState::setPicture(const Picture& picture)
{
    update(picture_, picture);
}

void PlaybackState::setVolume(double volume)
{
    update(volume_, volume);
}

template <typename T> void PlaybackState::update(T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    emit changed();
}
