#pragma once

#include <QByteArray>
#include <QObject>

// What the program is doing, kept in one place that announces each change:
// the desktop's player controls and the screen-saver hold listen to it
// instead of polling the windows. It knows no widgets.
class PlaybackState : public QObject {
    Q_OBJECT
public:
    enum class Status { Stopped, Playing, Paused };
    struct Clip {
        Status status = Status::Stopped;
        QByteArray path;     // the file playing (a .ram's current entry); empty for none
        qint64 lengthUs = 0; // 0 while not known
        bool operator==(const Clip&) const = default;
    };
    struct Picture {
        QByteArray path; // the picture shown; empty while the picture window is closed
        bool fullScreen = false;
        bool operator==(const Picture&) const = default;
    };

    bool videoMode() const { return videoMode_; }
    const Clip& clip() const { return clip_; }
    const Picture& picture() const { return picture_; }
    // 0 to 1 along the volume control.
    double volume() const { return volume_; }
    // A clip plays in video mode, or a picture fills the screen.
    bool keepsScreenOn() const;

    void setVideoMode(bool on);
    void setClip(const Clip& clip);
    void setPicture(const Picture& picture);
    void setVolume(double volume);

signals:
    // Emitted once for each setter call that changed something.
    void changed();

private:
    template <typename T> void update(T& field, const T& value);

    bool videoMode_ = true;
    Clip clip_;
    Picture picture_;
    double volume_ = 0.5;
};
