#pragma once

#include "core/resumeplaces.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class PlaybackState;

// With resume on, remembers where each searched folder was left: the clip
// and how far into it. Written at most once a second while clips change
// (as the playback state tells), and at once when the folder or the
// program is left.
class ResumeKeeper : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<std::vector<ResumePlace>()> read;
        std::function<void(const std::vector<ResumePlace>&)> write;
        // The clip loaded and its position; nothing while none is.
        std::function<std::optional<std::pair<QByteArray, double>>()> playing;
    };
    ResumeKeeper(const PlaybackState& state, Clock& clock, Hooks hooks);
    ~ResumeKeeper() override;

    void setEnabled(bool on);
    // A search of the folder starts: it is the one remembered from now on
    // (while enabled), and the place it was left at is given, if known.
    std::optional<ResumePlace> placeFor(const QByteArray& searchedFolder);
    // The folder or the program is being left (now), or the clip changed.
    void notePlaying(bool now = false);

private:
    void write();

    Clock& clock_;
    Hooks hooks_;
    QByteArray clipPath_; // the last clip the state told of
    bool enabled_ = false;
    QByteArray folder_;                  // the folder searched, while enabled
    std::optional<qint64> lastWriteMs_;  // on the clock
    std::unique_ptr<QObject> laterWrite_; // within the second after a write
};
