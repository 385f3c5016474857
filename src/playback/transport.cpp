#include "playback/transport.h"

#include "list/listview.h"
#include "playback/mediaplayer.h"
#include "playback/mpvapi.h"
#include "playback/ramfile.h"
#include "playback/videosurface.h"
#include "playback/videowindow.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <thread>

Transport::Transport(ListView& list, Hooks hooks) : list_(list), hooks_(std::move(hooks))
{
    connect(list_.selectionModel(), &QItemSelectionModel::currentChanged, this, &Transport::offerFollowingRow);
    // The last row's follower is the first only while no row comes after it.
    connect(&list_.rows(), &QAbstractItemModel::rowsInserted, this, &Transport::offerFollowingRow);
    connect(&list_.rows(), &QAbstractItemModel::rowsRemoved, this, &Transport::offerFollowingRow);
    connect(&list_.rows(), &QAbstractItemModel::modelReset, this, &Transport::offerFollowingRow);
}

Transport::~Transport()
{
    delete window_;
}

VideoWindow& Transport::videoWindow()
{
    if (!window_) {
        window_ = new VideoWindow();
        window_->Form_Load(hooks_.areaBesideMainWindow);
        window_->player().setHardwareDecoding(hardwareDecoding_);
        connect(&window_->player(), &MediaPlayer::EndOfStream, this, &Transport::MediaPlayer1_EndOfStream);
        connect(&window_->player(), &MediaPlayer::FollowedOn, this, &Transport::followOn);
        connect(&window_->player(), &MediaPlayer::PlaybackFailed, this, &Transport::passOnAfterFailure);
        connect(&window_->player(), &MediaPlayer::LateOpened, this, [this] {
            if (!window_->player().isPaused()) // paused while it opened: it stays so
                placeForScan();
        });
        connect(window_, &ToolWindow::focusMainWindow, this, [this] { hooks_.focusMainWindow(); });
        connect(&window_->player(), &MediaPlayer::stateChanged, this, &Transport::playerChanged);
        connect(window_, &QObject::destroyed, this, &Transport::playerChanged);
        emit playerChanged();
    }
    return *window_;
}

VideoWindow* Transport::loadedVideoWindow() const
{
    return window_;
}

void Transport::closeVideoWindow()
{
    if (window_) {
        window_->hide();
        delete window_;
    }
}

void Transport::preparePlayer()
{
    if (preparing_)
        return;
    preparing_ = true;
    std::thread([transport = QPointer<Transport>(this)] {
        MpvApi::get();
        VideoSurface::findOutOpenGLAhead();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [transport] {
            if (transport)
                transport->videoWindow().player().ensureEngine();
        }, Qt::QueuedConnection);
    }).detach();
}

void Transport::MediaPlayer1_EndOfStream()
{
    if (listComing_)
        return;
    failuresInARow_ = 0;
    selectNextRow();
    playOrPassOn(Direction::Forward);
}

void Transport::offerFollowingRow()
{
    if (!window_)
        return;
    MediaPlayer& player = window_->player();
    const int row = list_.selectedIndex();
    const bool selectedPlays = row != 0 && !listComing_ && list_.fullPath(row) == player.fileName();
    const int next = selectedPlays ? upcomingRow(row) : 0;
    // A .ram's entries are the player's to go through, one open at a time.
    const bool playsAlone = next != 0 && !ramfile::isRamFile(list_.fullPath(next));
    followingRow_ = playsAlone ? next : 0;
    player.setFollowingFile(followingRow_ ? list_.fullPath(followingRow_) : QByteArray());
}

int Transport::upcomingRow(int row)
{
    return shuffle_ ? shuffleOrder_.upcoming(row, list_.count()) : RowAfter(list_, row);
}

void Transport::followOn()
{
    const int offered = followingRow_;
    if (listComing_ || offered == 0)
        return MediaPlayer1_EndOfStream();
    failuresInARow_ = 0;
    selectNextRow();
    if (list_.selectedIndex() != offered || list_.fullPath(offered) != window_->player().fileName()) {
        playOrPassOn(Direction::Forward); // the list moved under the player: play the row reached
        return;
    }
    direction_ = Direction::Forward;
    ++passOn_;
    if (hooks_.isVideoMode())
        hooks_.closePictureWindow();
    window_->setWindowTitle(list_.rowText(offered));
    list_.setFocus();
}

void Transport::setShuffle(bool on)
{
    shuffle_ = on;
    offerFollowingRow();
}

void Transport::passOnAfterFailure()
{
    if (listComing_)
        return;
    if (++failuresInARow_ >= list_.count()) {
        clearCaption();
        return sayNothingPlays();
    }
    step(direction_);
    playOrPassOn(direction_);
}

bool Transport::playSelectedOrPassOn(Direction direction)
{
    failuresInARow_ = 0;
    return playOrPassOn(direction);
}

bool Transport::playOrPassOn(Direction direction)
{
    direction_ = direction;
    ++passOn_; // the newest command passes on; older ones stop
    if (PlaySelected())
        return true;
    if (list_.count() > 0)
        passOnLater(list_.count() - 1);
    return false;
}

void Transport::passOnLater(int rowsLeft)
{
    // One row at a time, with the window running between: a list of
    // thousands of broken files never freezes it.
    if (rowsLeft <= 0)
        return sayNothingPlays();
    QTimer::singleShot(0, this, [this, rowsLeft, pass = passOn_] {
        if (pass != passOn_ || list_.count() == 0 || !hooks_.isVideoMode())
            return;
        step(direction_);
        if (!PlaySelected())
            passOnLater(rowsLeft - 1);
    });
}

void Transport::newListComing()
{
    ++passOn_;
    listComing_ = true;
    saidNothingPlays_ = false;
    offerFollowingRow();
}

void Transport::sayNothingPlays()
{
    if (!saidNothingPlays_ && hooks_.nothingPlays)
        hooks_.nothingPlays();
    saidNothingPlays_ = true;
}

void Transport::step(Direction direction)
{
    if (direction == Direction::Forward)
        selectNextRow();
    else
        selectPreviousRow();
}

void Transport::stepRows(int rows)
{
    const int count = list_.count();
    if (rows == 0 || count == 0)
        return;
    const Direction direction = rows > 0 ? Direction::Forward : Direction::Backward;
    // Round after round of the list lands where the rest does; a shuffled
    // round is a new order, so one round at most is walked.
    const int moves = shuffle_ ? std::min(std::abs(rows), count) : std::abs(rows) % count;
    constexpr double kShortOpenWaitSeconds = 0.04;
    MediaPlayer& player = videoWindow().player();
    const double openWait = player.openWait();
    player.setOpenWait(std::min(openWait, kShortOpenWaitSeconds));
    player.Play();
    for (int i = 0; i < moves; ++i)
        step(direction);
    playSelectedOrPassOn(direction);
    player.setOpenWait(openWait);
}

void Transport::setHardwareDecoding(bool on)
{
    hardwareDecoding_ = on;
    if (window_)
        window_->player().setHardwareDecoding(on);
}

void Transport::selectNextRow()
{
    if (!shuffle_ || list_.selectedIndex() == 0)
        return SelectNextRow(list_);
    SelectRow(list_, shuffleOrder_.next(list_.selectedIndex(), list_.count()));
}

void Transport::selectPreviousRow()
{
    const int before = shuffle_ ? shuffleOrder_.previous(list_.selectedIndex()) : 0;
    if (before > 0)
        SelectRow(list_, before);
    else
        SelectPreviousRow(list_);
}

bool Transport::PlaySelected()
{
    if (hooks_.isVideoMode())
        hooks_.closePictureWindow();
    list_.setFocus();
    const int row = list_.selectedIndex();
    if (row == 0)
        return false;
    listComing_ = false; // what ends from now on is a row of the list shown
    VideoWindow& window = videoWindow();
    MediaPlayer& player = window.player();
    const bool opened = player.setFileName(list_.fullPath(row));
    if (opened) {
        window.setWindowTitle(list_.rowText(row));
        placeForScan();
        offerFollowingRow();
    } else if (!player.hasClip()) {
        clearCaption(); // the caption never names a clip that is gone
    }
    list_.setFocus();
    return opened;
}

void Transport::placeForScan()
{
    if (!window_)
        return;
    MediaPlayer& player = window_->player();
    // Rewinding carries on from the clip's end. One timer step before it:
    // a clip put exactly at its end would end at once and hand over to the
    // next row instead.
    const bool placed = scanMode_ != ScanMode::Rewind ||
                        player.setCurrentPosition(std::max(0.0, player.Duration() - 1.0));
    if (placed)
        player.Play();
}

void Transport::clearCaption()
{
    if (window_)
        window_->setWindowTitle(VideoWindow::kCaption);
}

void Transport::ScanStep()
{
    if (window_ && window_->player().isOpening())
        return; // nothing to move through yet
    if (scanMode_ == ScanMode::FastForward) {
        if (window_)
            window_->player().setCurrentPosition(window_->player().CurrentPosition() + 1);
    } else if (scanMode_ == ScanMode::Rewind) {
        const bool stepped = window_ && window_->player().setCurrentPosition(window_->player().CurrentPosition() - 1);
        if (!stepped) {
            selectPreviousRow();
            playSelectedOrPassOn(Direction::Backward);
        }
    }
}

void Transport::setScreenSize(int percent)
{
    screenSize_ = percent;
    ApplyScreenSize(videoWindow(), screenSize_);
}
