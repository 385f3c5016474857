#include "core/resumekeeper.h"

#include "core/clock.h"
#include "core/playbackstate.h"

namespace {
constexpr qint64 kWriteEveryMs = 1000;
}

ResumeKeeper::ResumeKeeper(const PlaybackState& state, Clock& clock, Hooks hooks)
    : clock_(clock), hooks_(std::move(hooks))
{
    connect(&state, &PlaybackState::changed, this, [this, &state] {
        if (state.clip().path == clipPath_)
            return;
        clipPath_ = state.clip().path;
        if (!clipPath_.isEmpty())
            notePlaying();
    });
}

ResumeKeeper::~ResumeKeeper() = default;

void ResumeKeeper::setEnabled(bool on)
{
    enabled_ = on;
    if (!on) {
        folder_.clear();
        laterWrite_.reset();
    }
}

std::optional<ResumePlace> ResumeKeeper::placeFor(const QByteArray& searchedFolder)
{
    folder_ = enabled_ ? searchedFolder : QByteArray();
    if (folder_.isEmpty())
        return std::nullopt;
    for (ResumePlace& place : hooks_.read())
        if (place.folder == searchedFolder)
            return std::move(place);
    return std::nullopt;
}

void ResumeKeeper::notePlaying(bool now)
{
    if (folder_.isEmpty())
        return;
    const qint64 sinceWrite = lastWriteMs_ ? clock_.nowMs() - *lastWriteMs_ : kWriteEveryMs;
    if (now || sinceWrite >= kWriteEveryMs)
        write();
    else if (!laterWrite_)
        laterWrite_ = clock_.after(int(kWriteEveryMs - sinceWrite), [this] { write(); });
}

void ResumeKeeper::write()
{
    laterWrite_.reset();
    const auto playing = hooks_.playing();
    if (folder_.isEmpty() || !playing)
        return;
    lastWriteMs_ = clock_.nowMs();
    // The folder moves to the front; past the last, the oldest is forgotten.
    std::vector<ResumePlace> places = {{folder_, playing->first, std::max(0.0, playing->second)}};
    for (ResumePlace& other : hooks_.read())
        if (other.folder != folder_ && int(places.size()) < resumeplaces::kMaxPlaces)
            places.push_back(std::move(other));
    hooks_.write(places);
}
