#pragma once

#include "playback/mpvengine.h"

#include <QByteArray>
#include <QTimer>
#include <QWidget>
#include <memory>

class QLabel;
class QSlider;
class VideoSurface;

// MediaPlayer1: the player component of the video window. It offers the
// player operations the program uses; failures come back as false.
// Below the picture it has its own thin seek bar with position and
// duration, and a click on the picture pauses or resumes.
class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* parent = nullptr);
    ~MediaPlayer() override;

    // FileName: opens the file and starts it, replacing the current clip.
    // Returns once the file plays or was refused, or when it is still
    // opening after a moment: then it plays once it has opened
    // (LateOpened), or PlaybackFailed follows. A .ram plays its entries
    // one after another, passing over those that cannot be played; it is
    // refused when none can.
    bool setFileName(const QByteArray& path, QString* error = nullptr);
    // How long FileName waits for the player to open a file before it
    // returns with the file still opening.
    void setOpenWait(double seconds) { openWait_ = seconds; }
    double openWait() const { return openWait_; }
    // The file that plays after this stream, without a gap, when the
    // stream ends by itself: FollowedOn then comes instead of EndOfStream,
    // and the file opens as a late open does. Empty for none; FileName
    // forgets it.
    void setFollowingFile(const QByteArray& path);
    // A clip is loaded, or still opening.
    bool hasClip() const;
    bool isOpening() const;
    QByteArray fileName() const { return fileName_; }
    // The file playing now: the clip, or the .ram's current entry.
    QByteArray playingEntry() const { return playing_; }
    double Duration() const;
    double CurrentPosition() const;
    // Refused (false) for a negative position or without a clip.
    bool setCurrentPosition(double seconds);
    void Play();
    // Holds the clip where it is (Play resumes it).
    void Pause();
    void Stop();
    // Hundredths of a decibel: 0 is full volume, -1500 is 15 dB quieter.
    void setVolume(int hundredthsOfDb);
    int Volume() const { return volume_; }
    bool isPaused() const;
    // Stop put the clip back at its start; Play or a new file ends that.
    bool isStopped() const { return stopped_ && hasClip(); }
    // A clip is loaded and not paused.
    bool isPlaying() const;

    // mpv's gain is (volume/100)^3, so an attenuation of mB hundredths of a
    // decibel is volume = 100 * 10^(mB / 6000).
    static double mpvVolume(int hundredthsOfDb);

    // With on, the seek bar hides and shows for a moment whenever the mouse
    // moves over the picture.
    void setSeekBarOnDemand(bool on);

    // Starts the engine now (it otherwise starts on first use). False when
    // no player library is available.
    bool ensureEngine();
    MpvEngine* engine() { return engine_.get(); }

    // Off by default; see MpvEngine::setHardwareDecoding.
    void setHardwareDecoding(bool on);

    // The height of the seek bar's strip in pixels. Below it the player
    // keeps its lowest 345 twips, which lie outside the video window.
    static constexpr int kControlStripHeight = 22;

signals:
    // The clip played to its natural end.
    void EndOfStream();
    // The clip played to its end and the following file took its place.
    void FollowedOn();
    // The clip ended in an error, or could not be opened after all.
    void PlaybackFailed();
    // A file still opening when FileName returned has opened and plays.
    void LateOpened();
    // A clip was opened, played, paused, stopped or let go of, or its
    // length became known.
    void stateChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool openNextEntry(QString* error);
    void playNextEntry();
    void passOverFailedEntry();
    void takeFollower();
    // Hands the following file to the engine once the stream's last
    // entry plays.
    void offerFollower();
    void replacePictureWithSurface();
    void togglePause();
    // Announces a change and keeps the seek bar with it.
    void followState();
    // The seek bar moves only while a clip plays where it can be seen.
    void updateSeekTimer();
    void updateSeekBar();
    void showSeekBarForAMoment();

    std::unique_ptr<MpvEngine> engine_;
    QWidget* picture_ = nullptr;
    VideoSurface* surface_ = nullptr;
    QSlider* seekBar_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QTimer seekTimer_;
    QWidget* strip_ = nullptr;
    QTimer hideStripTimer_;
    bool stripOnDemand_ = false;
    QByteArray fileName_;
    QList<QByteArray> entries_;
    qsizetype next_ = 0;
    QByteArray playing_;
    QByteArray following_;
    int volume_ = -600;
    bool engineFailed_ = false;
    bool stopped_ = false;
    bool hardwareDecoding_ = false;
    double openWait_ = MpvEngine::kOpenWaitSeconds;
};
