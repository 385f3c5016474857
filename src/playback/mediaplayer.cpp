#include "playback/mediaplayer.h"

#include "platform/twips.h"
#include "playback/mpvengine.h"
#include "playback/ramfile.h"
#include "playback/videosurface.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace {
QString clock(double seconds)
{
    const int whole = std::max(0, int(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MediaPlayer1"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, twips::toPixels(345));
    column->setSpacing(0);

    // Black until the engine arrives with its picture.
    picture_ = new QWidget(this);
    picture_->setAutoFillBackground(true);
    picture_->setPalette(QPalette(Qt::black));
    column->addWidget(picture_, 1);

    auto* strip = strip_ = new QWidget(this);
    strip->setFixedHeight(kControlStripHeight);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(4, 0, 4, 0);
    seekBar_ = new QSlider(Qt::Horizontal, strip);
    seekBar_->setFocusPolicy(Qt::NoFocus);
    seekBar_->setAccessibleName(QStringLiteral("再生位置"));
    seekBar_->setRange(0, 0);
    timeLabel_ = new QLabel(clock(0) + QStringLiteral(" / ") + clock(0), strip);
    row->addWidget(seekBar_, 1);
    row->addWidget(timeLabel_);
    column->addWidget(strip);

    connect(seekBar_, &QSlider::sliderMoved, this, [this](int tenths) {
        if (engine_)
            engine_->setPosition(tenths / 10.0);
    });
    seekTimer_.setInterval(250);
    connect(&seekTimer_, &QTimer::timeout, this, &MediaPlayer::updateSeekBar);
    hideStripTimer_.setSingleShot(true);
    hideStripTimer_.setInterval(2000);
    connect(&hideStripTimer_, &QTimer::timeout, this, [this] {
        if (stripOnDemand_ && !seekBar_->isSliderDown())
            strip_->hide();
    });
}

void MediaPlayer::setSeekBarOnDemand(bool on)
{
    stripOnDemand_ = on;
    strip_->setVisible(!on);
}

void MediaPlayer::showSeekBarForAMoment()
{
    if (!stripOnDemand_)
        return;
    strip_->show();
    hideStripTimer_.start();
}

MediaPlayer::~MediaPlayer()
{
    // The picture lets go of the engine before the engine goes.
    if (surface_)
        surface_->setEngine(nullptr);
}

double MediaPlayer::mpvVolume(int hundredthsOfDb)
{
    return 100.0 * std::pow(10.0, hundredthsOfDb / 6000.0);
}

void MediaPlayer::setHardwareDecoding(bool on)
{
    hardwareDecoding_ = on;
    if (engine_)
        engine_->setHardwareDecoding(on);
}

bool MediaPlayer::ensureEngine()
{
    if (engine_)
        return true;
    if (engineFailed_)
        return false;
    // OpenGL is set up only now, not while the program starts.
    const bool withPicture = VideoSurface::openGLAvailable();
    engine_ = MpvEngine::create();
    if (!engine_) {
        engineFailed_ = true;
        return false;
    }
    if (withPicture)
        replacePictureWithSurface();
    engine_->setVolume(mpvVolume(volume_));
    if (hardwareDecoding_)
        engine_->setHardwareDecoding(true);
    connect(engine_.get(), &MpvEngine::endOfStream, this, &MediaPlayer::playNextEntry);
    connect(engine_.get(), &MpvEngine::failed, this, &MediaPlayer::passOverFailedEntry);
    connect(engine_.get(), &MpvEngine::lateOpened, this, &MediaPlayer::LateOpened);
    connect(engine_.get(), &MpvEngine::followedOn, this, &MediaPlayer::takeFollower);
    connect(engine_.get(), &MpvEngine::stateChanged, this, &MediaPlayer::followState);
    if (surface_)
        surface_->setEngine(engine_.get());
    return true;
}

bool MediaPlayer::setFileName(const QByteArray& path, QString* error)
{
    if (!ensureEngine()) {
        if (error)
            *error = QStringLiteral("no player available");
        return false;
    }
    if (surface_)
        surface_->ensureAttached();
    stopped_ = false;
    following_.clear();
    entries_ = ramfile::isRamFile(path) ? ramfile::entries(path) : QList<QByteArray>{path};
    next_ = 0;
    if (!openNextEntry(error)) {
        if (error && error->isEmpty())
            *error = QStringLiteral("nothing to play");
        followState();
        return false;
    }
    fileName_ = path;
    followState();
    return true;
}

bool MediaPlayer::openNextEntry(QString* error)
{
    // Entries that cannot be played are passed over.
    while (next_ < entries_.size()) {
        playing_ = entries_[next_++];
        if (engine_->open(playing_, error, openWait_) != MpvEngine::OpenResult::Refused)
            return true;
    }
    playing_.clear();
    return false;
}

void MediaPlayer::playNextEntry()
{
    // The stream ends after the last entry that played.
    if (!openNextEntry(nullptr))
        emit EndOfStream();
}

void MediaPlayer::setFollowingFile(const QByteArray& path)
{
    following_ = path;
    offerFollower();
}

void MediaPlayer::offerFollower()
{
    const bool lastEntryPlays = engine_ && engine_->isLoaded() && !engine_->isOpening() && next_ >= entries_.size();
    if (lastEntryPlays)
        engine_->setFollowing(following_);
}

void MediaPlayer::takeFollower()
{
    fileName_ = playing_ = engine_->followedPath();
    entries_ = {fileName_};
    next_ = 1;
    following_.clear();
    stopped_ = false;
    followState();
    emit FollowedOn();
}

void MediaPlayer::passOverFailedEntry()
{
    if (!openNextEntry(nullptr))
        emit PlaybackFailed();
}

bool MediaPlayer::hasClip() const
{
    return engine_ && (engine_->isLoaded() || engine_->isOpening());
}

bool MediaPlayer::isOpening() const
{
    return engine_ && engine_->isOpening();
}

double MediaPlayer::Duration() const
{
    return engine_ ? engine_->duration() : 0;
}

double MediaPlayer::CurrentPosition() const
{
    return engine_ ? engine_->position() : 0;
}

bool MediaPlayer::setCurrentPosition(double seconds)
{
    return engine_ && engine_->setPosition(seconds);
}

void MediaPlayer::Play()
{
    stopped_ = false;
    if (engine_)
        engine_->play();
    followState();
}

void MediaPlayer::Pause()
{
    if (engine_)
        engine_->pause();
    followState();
}

void MediaPlayer::Stop()
{
    stopped_ = true;
    if (engine_)
        engine_->stop();
    followState();
}

bool MediaPlayer::isPaused() const
{
    return engine_ && engine_->isPaused();
}

bool MediaPlayer::isPlaying() const
{
    return engine_ && engine_->isLoaded() && !engine_->isPaused();
}

void MediaPlayer::setVolume(int hundredthsOfDb)
{
    volume_ = hundredthsOfDb;
    if (engine_)
        engine_->setVolume(mpvVolume(volume_));
}

void MediaPlayer::replacePictureWithSurface()
{
    surface_ = new VideoSurface(this);
    connect(surface_, &VideoSurface::clicked, this, &MediaPlayer::togglePause);
    connect(surface_, &VideoSurface::mouseMoved, this, &MediaPlayer::showSeekBarForAMoment);
    layout()->replaceWidget(picture_, surface_);
    surface_->setVisible(!picture_->isHidden()); // now, not at the next turn of the event loop
    delete picture_;
    picture_ = surface_;
}

void MediaPlayer::togglePause()
{
    if (!engine_ || !engine_->isLoaded())
        return;
    if (engine_->isPaused())
        engine_->play();
    else
        engine_->pause();
    followState();
}

void MediaPlayer::followState()
{
    offerFollower();
    updateSeekTimer();
    updateSeekBar();
    emit stateChanged();
}

void MediaPlayer::updateSeekTimer()
{
    const bool moving = isVisible() && isPlaying();
    if (moving && !seekTimer_.isActive())
        seekTimer_.start();
    else if (!moving)
        seekTimer_.stop();
}

void MediaPlayer::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateSeekTimer();
    updateSeekBar();
}

void MediaPlayer::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    updateSeekTimer();
}

void MediaPlayer::updateSeekBar()
{
    if (!isVisible() || !engine_)
        return;
    const double length = engine_->isLoaded() ? engine_->duration() : 0;
    const double at = engine_->isLoaded() ? engine_->position() : 0;
    if (!seekBar_->isSliderDown()) {
        seekBar_->setRange(0, int(length * 10));
        seekBar_->setValue(int(at * 10));
    }
    timeLabel_->setText(clock(at) + QStringLiteral(" / ") + clock(length));
}
