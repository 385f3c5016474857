#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

struct MpvApi;
struct mpv_handle;
struct mpv_render_context;
struct mpv_event;
struct mpv_event_end_file;

// Owns one libmpv player and knows no widgets. Everything runs on the UI
// thread: libmpv's wakeups only queue a call here, and drainEvents() is the
// one place that takes its events.
//
// The UI thread also draws the pictures, so it never waits for the player
// core while a clip plays (the core may itself be waiting for a picture to
// be drawn): position, duration and pause are observed and kept here, and
// commands are sent without waiting for their answer.
class MpvEngine : public QObject {
    Q_OBJECT
public:
    // nullptr when libmpv cannot be loaded or started.
    static std::unique_ptr<MpvEngine> create();
    ~MpvEngine() override;

    enum class OpenResult { Opened, Refused, Pending };
    // Opens the file, replacing the current clip, and waits at most
    // timeoutSeconds until it plays or is refused (with the reason). A file
    // still opening then is Pending: it plays when it has opened (reported
    // by lateOpened) or is reported as failed.
    OpenResult open(const QByteArray& path, QString* error, double timeoutSeconds = kOpenWaitSeconds);
    bool isLoaded() const { return loaded_; }
    bool isOpening() const { return late_; }

    // The file that plays after the clip without a gap when the clip ends
    // by itself: it is handed to the player now, which reads it ahead.
    // When it starts, followedOn replaces endOfStream and the file goes on
    // opening as a late open does (lateOpened or failed follow). Empty for
    // none; open() forgets it.
    void setFollowing(const QByteArray& path);
    // The file the clip went on to at its last followedOn.
    QByteArray followedPath() const { return followedPath_; }

    // Long enough for every ordinary open (a few milliseconds, the first on
    // a new player about 0.1 s), short enough that the window never seems
    // stuck behind a file that takes seconds to open.
    static constexpr double kOpenWaitSeconds = 0.3;

    double duration() const;
    double position() const;
    // False for a negative position or when no clip is loaded.
    bool setPosition(double seconds);
    void play();
    void pause();
    bool isPaused() const;
    void stop();
    // mpv's volume in percent (its gain is the cube of volume/100).
    void setVolume(double percent);
    // Hardware decoding where the machine has a decoder libmpv trusts
    // (hwdec=auto-safe), else software decoding, silently.
    void setHardwareDecoding(bool on);
    // A property's value as text (empty when it has none).
    QByteArray property(const char* name) const;

    // The render context for an OpenGL picture; the caller's GL context
    // must be current. drawFrame is called on the UI thread whenever a new
    // frame should be drawn, also while an open is awaited, so libmpv never
    // waits for a frame to be taken.
    bool createRenderContext(void* (*getProcAddress)(void*, const char*), void* getProcContext,
                             std::function<void()> drawFrame);
    // With the GL context current.
    void freeRenderContext();
    // True when what it drew is a new picture of the clip, not the last
    // one drawn again.
    bool render(int fbo, int width, int height);
    void reportSwap();
    // With the GL context current: takes a frame the video output has
    // handed over without drawing it (nothing shows it now).
    void skipPendingFrame();
    // Frames drawn so far (the benchmark counts them against the clip's rate).
    quint64 renderCount() const { return renders_; }
    // Pictures are drawn only while a render context takes them.
    void setVideoEnabled(bool on);

signals:
    // The clip opened last played to its natural end.
    void endOfStream();
    // The clip played to its end and the following file started.
    void followedOn();
    // The clip opened last ended in an error after it had loaded, or an
    // open that was still pending was refused.
    void failed();
    // An open that was still pending has loaded; its duration is known.
    void lateOpened();
    // The player loaded or let go of a clip, paused or resumed, or learnt
    // the clip's length, while its events were taken.
    void stateChanged();

private:
    struct Status {
        bool loaded, paused, opening;
        std::optional<double> duration;
        bool operator==(const Status&) const = default;
    };
    Status status() const { return {loaded_, paused_, late_, duration_}; }

    MpvEngine(const MpvApi& api, mpv_handle* handle);
    void drainEvents(double firstTimeout = 0);
    void handleEvent(const mpv_event& event);
    void handlePropertyChange(const mpv_event& event);
    void sendLoadFile(const QByteArray& path, const char* how, uint64_t replyTag);
    void waitForOpen(double timeoutSeconds);
    void handleEndFile(const mpv_event_end_file& end);
    void handleStartFile(int64_t entry);
    void handleCommandReply(const mpv_event& event);
    void startFollower();
    // Stops the player going on to the follower by itself.
    void dropFollower();
    void forgetClip();
    void settleLateOpen();
    void refuseOpen(int error);
    // Emits the signal once the command now running has finished, and only
    // if no other clip has been opened meanwhile.
    void deliver(void (MpvEngine::*signal)());
    void setPause(bool on);
    void serveFrameRequests();
    static void onWakeup(void* engine);
    static void onRenderUpdate(void* engine);

    const MpvApi& api_;
    mpv_handle* handle_;
    mpv_render_context* render_ = nullptr;
    std::function<void()> drawFrame_;
    std::atomic<bool> frameRequested_{false};

    enum class OpenState { Idle, Waiting, Started, Opened, Refused };
    OpenState openState_ = OpenState::Idle;
    bool late_ = false; // the open is no longer awaited
    QString openError_;
    // The player's playlist entries, by their ids: the awaited open's, the
    // clip's, and the follower's once its append was answered.
    int64_t openEntry_ = 0;
    int64_t playingEntry_ = 0;
    int64_t followerEntry_ = 0;
    QByteArray followerPath_;
    QByteArray following_; // asked for last
    QHash<quint64, QByteArray> appending_; // appends unanswered, by reply tag
    quint64 appendCount_ = 0;
    bool followerDue_ = false; // the clip ended; its follower starts next
    QByteArray followedPath_;
    bool loaded_ = false;
    std::optional<double> pendingSeek_;
    double position_ = 0;
    std::optional<double> duration_;
    bool durationSettled_ = false;
    bool paused_ = false;
    bool silentOutput_ = false; // no sound device: the null output for every clip
    quint64 openCount_ = 0;
    quint64 renders_ = 0;
};
