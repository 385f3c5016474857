#include "playback/mpvengine.h"

#include "playback/mpvapi.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <clocale>
#include <sys/stat.h>

namespace {
// Observed properties, by their reply ids.
enum : uint64_t { kTimePos = 1, kDuration, kPause, kCurrentAudioOutput };
// The duration asked for when a clip loads, tagged with the open it belongs to.
constexpr uint64_t kDurationQuery = uint64_t(1) << 40;
// The answer to an open's loadfile, tagged the same way.
constexpr uint64_t kLoadReply = uint64_t(2) << 40;
// The answers to a follower's append (tagged with its number) and to
// emptying the playlist.
constexpr uint64_t kAppendReply = uint64_t(3) << 40;
constexpr uint64_t kClearReply = uint64_t(4) << 40;
constexpr uint64_t kReplyKind = ~((uint64_t(1) << 40) - 1);

// Only regular files are played: libmpv would read a folder as a
// playlist, and a pipe or a device would block the open.
bool isRegularFile(const QByteArray& path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The playlist entry a loadfile's answer names.
int64_t entryOf(const mpv_event& reply)
{
    const mpv_node& result = static_cast<const mpv_event_command*>(reply.data)->result;
    if (result.format != MPV_FORMAT_NODE_MAP)
        return 0;
    for (int i = 0; i < result.u.list->num; ++i)
        if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
            result.u.list->values[i].format == MPV_FORMAT_INT64)
            return result.u.list->values[i].u.int64;
    return 0;
}

mpv_node stringNode(const char* text)
{
    mpv_node node{};
    node.format = MPV_FORMAT_STRING;
    node.u.string = const_cast<char*>(text);
    return node;
}
} // namespace

std::unique_ptr<MpvEngine> MpvEngine::create()
{
    const MpvApi* api = MpvApi::get();
    if (!api)
        return nullptr;
    // libmpv refuses to start under a numeric locale other than "C" (which
    // QApplication may have taken from the environment).
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* handle = api->create();
    if (!handle)
        return nullptr;
    const std::pair<const char*, const char*> options[] = {
        // Pictures go nowhere until a render context takes them (the window
        // was shown); clips still play in real time to their end.
        {"vo", "null"},
        {"config", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        // The file that follows a clip is opened while the clip ends.
        {"prefetch-playlist", "yes"},
        {"input-default-bindings", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        // A file found in a folder never makes the player reach another
        // file or host: only libavformat's demuxers (no playlists, EDL or
        // archives read as media), which may open nothing but local files
        // (no HLS fetches, no RTP sockets from an SDP), and no references.
        {"demuxer", "lavf"},
        {"demuxer-lavf-o", "protocol_whitelist=file"},
        {"access-references", "no"},
        {"hwdec", "no"},
        {"gpu-hwdec-interop", "no"},
        // Our folders mix pictures and clips: never show a picture as cover art.
        {"audio-display", "no"},
        {"cover-art-auto", "no"},
        // The desktop's sound servers or the device itself; without any,
        // play on in real time with the null output. (Other outputs can
        // block the player for ever where there is no sound: SDL's waits on
        // the session bus.)
        {"ao", "pipewire,pulse,alsa"},
        {"audio-fallback-to-null", "yes"},
        // None of the player's own scripts and overlays: the program draws
        // its own controls, and each script is a thread and memory.
        {"osc", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        // Small buffers, so a clip ends (and the next starts) on time: what
        // is buffered is played out before the end is reported, and whether
        // one more buffer-full was queued at the end made clip changes take
        // either 100 or 200 ms. The null output's bursts must fit its buffer,
        // or low-rate streams (RealAudio's 8 kHz) stall.
        {"audio-buffer", "0.05"},
        {"ao-null-buffer", "0.02"},
        {"ao-null-outburst", "128"},
        // Exact seeks that land where asked: MPEG program streams' demuxer
        // otherwise starts after the target, so scanning back moved too
        // little and forward too much.
        {"hr-seek-demuxer-offset", "1.5"},
        // Exact gain at low volumes.
        {"audio-format", "float"},
    };
    for (const auto& [name, value] : options)
        api->set_option_string(handle, name, value);
    if (api->initialize(handle) < 0) {
        api->terminate_destroy(handle);
        return nullptr;
    }
    std::unique_ptr<MpvEngine> engine(new MpvEngine(*api, handle));
    api->observe_property(handle, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    api->observe_property(handle, kDuration, "duration", MPV_FORMAT_DOUBLE);
    api->observe_property(handle, kPause, "pause", MPV_FORMAT_FLAG);
    api->observe_property(handle, kCurrentAudioOutput, "current-ao", MPV_FORMAT_STRING);
    api->set_wakeup_callback(handle, &MpvEngine::onWakeup, engine.get());
    return engine;
}

MpvEngine::MpvEngine(const MpvApi& api, mpv_handle* handle) : api_(api), handle_(handle) {}

MpvEngine::~MpvEngine()
{
    api_.set_wakeup_callback(handle_, nullptr, nullptr);
    if (render_)
        api_.render_context_free(render_);
    api_.terminate_destroy(handle_);
}

void MpvEngine::onWakeup(void* engine)
{
    auto* self = static_cast<MpvEngine*>(engine);
    QMetaObject::invokeMethod(self, [self] { self->drainEvents(); }, Qt::QueuedConnection);
}

void MpvEngine::onRenderUpdate(void* engine)
{
    auto* self = static_cast<MpvEngine*>(engine);
    if (!self->frameRequested_.exchange(true))
        QMetaObject::invokeMethod(self, [self] {
            if (self->drawFrame_)
                self->drawFrame_();
        }, Qt::QueuedConnection);
}

void MpvEngine::drainEvents(double firstTimeout)
{
    const Status before = status();
    for (double timeout = firstTimeout;; timeout = 0) {
        const mpv_event* event = api_.wait_event(handle_, timeout);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
    if (status() != before)
        emit stateChanged();
}

void MpvEngine::handlePropertyChange(const mpv_event& event)
{
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    const bool known = property->format != MPV_FORMAT_NONE && property->data;
    switch (event.reply_userdata) {
    case kTimePos:
        position_ = known ? *static_cast<const double*>(property->data) : 0;
        break;
    case kDuration:
        duration_ = known ? std::optional<double>(*static_cast<const double*>(property->data)) : std::nullopt;
        break;
    case kPause:
        paused_ = known && *static_cast<const int*>(property->data);
        break;
    case kCurrentAudioOutput:
        // No sound device took a clip: the next clips go straight to the
        // null output instead of trying each device again (each try prints
        // a dozen lines from the sound libraries).
        if (known && qstrcmp(*static_cast<const char* const*>(property->data), "null") == 0)
            silentOutput_ = true;
        break;
    default:
        break;
    }
}

void MpvEngine::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        handleStartFile(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        pendingSeek_.reset();
        break;
    case MPV_EVENT_FILE_LOADED:
        loaded_ = true;
        if (openState_ == OpenState::Started) {
            openState_ = OpenState::Opened;
            // Its answer says whether the clip has a duration at all.
            api_.get_property_async(handle_, kDurationQuery + openCount_, "duration", MPV_FORMAT_DOUBLE);
        }
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
        if (event.reply_userdata == kDurationQuery + openCount_) {
            const auto* property = static_cast<const mpv_event_property*>(event.data);
            if (event.error >= 0 && property->format == MPV_FORMAT_DOUBLE && property->data)
                duration_ = *static_cast<const double*>(property->data);
            durationSettled_ = true;
            settleLateOpen();
        }
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(*static_cast<const mpv_event_end_file*>(event.data));
        break;
    case MPV_EVENT_COMMAND_REPLY:
        handleCommandReply(event);
        break;
    case MPV_EVENT_IDLE:
        // Nothing followed the clip after all: its end is an end.
        if (followerDue_) {
            followerDue_ = false;
            deliver(&MpvEngine::endOfStream);
        }
        break;
    default:
        break;
    }
}

void MpvEngine::handleCommandReply(const mpv_event& event)
{
    switch (event.reply_userdata & kReplyKind) {
    case kLoadReply:
        followerEntry_ = 0; // a load replaces the whole playlist
        if (event.reply_userdata != kLoadReply + openCount_)
            break;
        if (event.error < 0)
            refuseOpen(event.error);
        else
            openEntry_ = entryOf(event);
        break;
    case kAppendReply:
        followerPath_ = appending_.take(event.reply_userdata);
        followerEntry_ = event.error < 0 ? 0 : entryOf(event);
        break;
    case kClearReply:
        followerEntry_ = 0;
        break;
    default:
        break;
    }
}

void MpvEngine::handleStartFile(int64_t entry)
{
    if (openState_ == OpenState::Waiting && entry == openEntry_) {
        openState_ = OpenState::Started;
        playingEntry_ = entry;
    } else if (openState_ == OpenState::Idle && entry != 0 && entry == followerEntry_) {
        startFollower();
    }
}

void MpvEngine::startFollower()
{
    // A follower replaced by a pipe since it was handed over would never
    // open: the clip's end is then an ordinary end.
    if (!isRegularFile(followerPath_)) {
        dropFollower();
        deliver(&MpvEngine::endOfStream);
        return;
    }
    ++openCount_;
    late_ = true;
    openState_ = OpenState::Started;
    playingEntry_ = followerEntry_;
    followedPath_ = followerPath_;
    followerEntry_ = 0;
    following_.clear();
    followerDue_ = false;
    forgetClip();
    deliver(&MpvEngine::followedOn);
}

void MpvEngine::dropFollower()
{
    const char* stop[] = {"stop", nullptr};
    api_.command_async(handle_, 0, stop);
    followerEntry_ = 0;
    following_.clear();
    followerDue_ = false;
}

void MpvEngine::handleEndFile(const mpv_event_end_file& end)
{
    // The clip being replaced reports its end before the new one starts,
    // and a follower the program did not take ends when it is stopped.
    if (openState_ == OpenState::Waiting || end.playlist_entry_id != playingEntry_)
        return;
    loaded_ = false;
    pendingSeek_.reset();
    if (end.reason == MPV_END_FILE_REASON_EOF && openState_ != OpenState::Started && followerEntry_ != 0) {
        followerDue_ = true;
        return;
    }
    // After a failure the player would go on to the follower by itself;
    // what plays next is the program's choice.
    if (followerEntry_ != 0)
        dropFollower();
    if (openState_ == OpenState::Started)
        refuseOpen(end.error);
    else if (end.reason == MPV_END_FILE_REASON_EOF)
        deliver(&MpvEngine::endOfStream);
    else if (end.reason == MPV_END_FILE_REASON_ERROR)
        deliver(&MpvEngine::failed);
}

void MpvEngine::refuseOpen(int error)
{
    // An open no longer awaited is reported as a failed clip.
    if (late_) {
        openState_ = OpenState::Idle;
        late_ = false;
        deliver(&MpvEngine::failed);
        return;
    }
    openState_ = OpenState::Refused;
    openError_ = QString::fromUtf8(api_.error_string(error));
}

void MpvEngine::settleLateOpen()
{
    if (!late_ || openState_ != OpenState::Opened)
        return;
    openState_ = OpenState::Idle;
    late_ = false;
    deliver(&MpvEngine::lateOpened);
}

void MpvEngine::deliver(void (MpvEngine::*signal)())
{
    const quint64 clip = openCount_;
    QMetaObject::invokeMethod(this, [this, clip, signal] {
        if (clip == openCount_)
            emit(this->*signal)();
    }, Qt::QueuedConnection);
}

MpvEngine::OpenResult MpvEngine::open(const QByteArray& path, QString* error, double timeoutSeconds)
{
    // Settle what happened before this open: an end drained now belongs to
    // the clip that ended, and is dropped once this open has begun.
    drainEvents();
    ++openCount_;
    late_ = false;
    openState_ = OpenState::Idle;
    followerDue_ = false;
    setFollowing({});
    if (!isRegularFile(path)) {
        if (error)
            *error = QStringLiteral("not a media file");
        return OpenResult::Refused;
    }
    openState_ = OpenState::Waiting;
    openEntry_ = 0;
    forgetClip();
    sendLoadFile(path, "replace", kLoadReply + openCount_);
    setPause(false);
    waitForOpen(timeoutSeconds);
    switch (openState_) {
    case OpenState::Opened:
        openState_ = OpenState::Idle;
        return OpenResult::Opened;
    case OpenState::Refused:
        openState_ = OpenState::Idle;
        if (error)
            *error = openError_;
        return OpenResult::Refused;
    default:
        late_ = true;
        return OpenResult::Pending;
    }
}

void MpvEngine::forgetClip()
{
    pendingSeek_.reset();
    duration_.reset();
    durationSettled_ = false;
    position_ = 0;
}

void MpvEngine::setFollowing(const QByteArray& path)
{
    if (path == following_)
        return;
    following_ = path;
    const char* clear[] = {"playlist-clear", nullptr};
    api_.command_async(handle_, kClearReply, clear);
    if (path.isEmpty() || !isRegularFile(path))
        return;
    const quint64 tag = kAppendReply + ++appendCount_;
    appending_.insert(tag, path);
    sendLoadFile(path, "append", tag);
}

void MpvEngine::sendLoadFile(const QByteArray& path, const char* how, uint64_t replyTag)
{
    // Named arguments: the positional form changed in libmpv 0.38 (an index
    // before the options), the names did not.
    const char* keys[] = {"name", "url", "flags", "options"};
    mpv_node values[] = {stringNode("loadfile"), stringNode(path.constData()), stringNode(how),
                         stringNode("ao=null")};
    mpv_node_list list{silentOutput_ ? 4 : 3, values, const_cast<char**>(keys)};
    mpv_node command{};
    command.format = MPV_FORMAT_NODE_MAP;
    command.u.list = &list;
    // Not waited for: the core may be busy with the clip it replaces until
    // its picture is drawn, which happens here, while the open is awaited.
    // A refused command is a refused file, or no follower (see handleCommandReply).
    api_.command_node_async(handle_, replyTag, &command);
}

void MpvEngine::waitForOpen(double timeoutSeconds)
{
    QElapsedTimer clock;
    clock.start();
    const auto waiting = [this] { return openState_ == OpenState::Waiting || openState_ == OpenState::Started; };
    while (waiting() && clock.elapsed() < timeoutSeconds * 1000) {
        drainEvents(0.005);
        serveFrameRequests();
    }
    // The duration is known, or known to be missing (RealAudio 1.0), once
    // the player answers the question asked when the file loaded.
    while (openState_ == OpenState::Opened && !duration_ && !durationSettled_ &&
           clock.elapsed() < timeoutSeconds * 1000) {
        drainEvents(0.005);
        serveFrameRequests();
    }
}

void MpvEngine::serveFrameRequests()
{
    if (render_ && frameRequested_ && drawFrame_)
        drawFrame_();
}

double MpvEngine::duration() const
{
    return duration_.value_or(0);
}

double MpvEngine::position() const
{
    // A seek takes a moment; until it is done the position is its target.
    return pendingSeek_.value_or(position_);
}

bool MpvEngine::setPosition(double seconds)
{
    // mpv would clamp a negative position to 0 without complaint.
    if (seconds < 0 || !loaded_)
        return false;
    const QByteArray target = QByteArray::number(seconds, 'f', 3);
    const char* args[] = {"seek", target.constData(), "absolute+exact", nullptr};
    api_.command_async(handle_, 0, args);
    pendingSeek_ = seconds;
    return true;
}

void MpvEngine::setPause(bool on)
{
    int flag = on ? 1 : 0;
    paused_ = on;
    api_.set_property_async(handle_, 0, "pause", MPV_FORMAT_FLAG, &flag);
}

void MpvEngine::play()
{
    setPause(false);
}

void MpvEngine::pause()
{
    setPause(true);
}

bool MpvEngine::isPaused() const
{
    return paused_;
}

void MpvEngine::stop()
{
    pause();
    setPosition(0);
}

void MpvEngine::setVolume(double percent)
{
    api_.set_property_async(handle_, 0, "volume", MPV_FORMAT_DOUBLE, &percent);
}

void MpvEngine::setHardwareDecoding(bool on)
{
    // The decoder's frames are copied back: a GL interop would be probed at
    // every clip, and its libraries (CUDA, VDPAU) complain on the terminal
    // on every machine without their GPU.
    api_.set_property_string(handle_, "hwdec", on ? "auto-copy-safe" : "no");
}

QByteArray MpvEngine::property(const char* name) const
{
    char* value = api_.get_property_string(handle_, name);
    const QByteArray text(value);
    api_.free(value);
    return text;
}

bool MpvEngine::createRenderContext(void* (*getProcAddress)(void*, const char*), void* getProcContext,
                                    std::function<void()> drawFrame)
{
    mpv_opengl_init_params glInit{getProcAddress, getProcContext};
    const char* apiType = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(apiType)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (api_.render_context_create(&render_, handle_, params) < 0) {
        render_ = nullptr;
        return false;
    }
    drawFrame_ = std::move(drawFrame);
    api_.render_context_set_update_callback(render_, &MpvEngine::onRenderUpdate, this);
    return true;
}

void MpvEngine::skipPendingFrame()
{
    if (!(api_.render_context_update(render_) & MPV_RENDER_UPDATE_FRAME))
        return;
    int skip = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SKIP_RENDERING, &skip}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    api_.render_context_render(render_, params);
    api_.render_context_report_swap(render_);
}

void MpvEngine::freeRenderContext()
{
    if (!render_)
        return;
    // The video output waits (up to 0.2 s) for a frame it handed over to be
    // drawn, and freeing waits for the output: the frame is taken first.
    skipPendingFrame();
    api_.render_context_free(render_);
    render_ = nullptr;
    drawFrame_ = nullptr;
}

bool MpvEngine::render(int fbo, int width, int height)
{
    if (!render_)
        return false;
    ++renders_;
    frameRequested_ = false;
    api_.render_context_update(render_);
    mpv_render_frame_info next{};
    const bool fresh = api_.render_context_get_info(render_, {MPV_RENDER_PARAM_NEXT_FRAME_INFO, &next}) >= 0 &&
                       (next.flags & MPV_RENDER_FRAME_INFO_PRESENT) && !(next.flags & MPV_RENDER_FRAME_INFO_REDRAW);
    mpv_opengl_fbo target{fbo, width, height, 0};
    int flipY = 1;
    // Drawn at once: waiting for the frame's display time here would hold
    // the window's thread (and a search's walk) a frame at a time.
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &target},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    api_.render_context_render(render_, params);
    return fresh;
}

void MpvEngine::reportSwap()
{
    if (render_)
        api_.render_context_report_swap(render_);
}

void MpvEngine::setVideoEnabled(bool on)
{
    const char* output = on ? "libmpv" : "null";
    api_.set_property_async(handle_, 0, "vo", MPV_FORMAT_STRING, &output);
}
