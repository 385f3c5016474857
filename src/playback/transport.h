#pragma once

#include "core/shuffleorder.h"

#include <QObject>
#include <QPointer>
#include <functional>

class ListView;
class VideoWindow;

// What the scan timer does at each tick.
enum class ScanMode { Normal, FastForward, Rewind };

// The video side of the program: the video window (created on first use,
// destroyed when closed), the transport's scan mode, the window sizes of
// the 画面サイズ menu, and the endless loop: a clip that ends by itself
// hands over to the next row.
class Transport : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> isVideoMode;
        std::function<void()> closePictureWindow;
        // The area right of the main window (pixels); the video window opens at its top left.
        std::function<QRect()> areaBesideMainWindow;
        // Esc in the video window.
        std::function<void()> focusMainWindow;
        // No row of the list plays: each was refused or failed, a whole
        // round in a row. Called once a list (may be empty).
        std::function<void()> nothingPlays = {};
    };

    Transport(ListView& list, Hooks hooks);
    ~Transport() override;

    // The video window, created hidden with its load step when it does not exist.
    VideoWindow& videoWindow();
    VideoWindow* loadedVideoWindow() const;
    void closeVideoWindow();

    // Loads the player library in the background, then starts the player
    // engine on the UI thread, so the first clip opens without waiting.
    void preparePlayer();

    ScanMode scanMode() const { return scanMode_; }
    void setScanMode(ScanMode mode) { scanMode_ = mode; }

    // Plays the list's selected row in the video window; stops silently
    // at the first failure, with the list focused. True when it plays.
    bool PlaySelected();
    enum class Direction { Forward, Backward };
    // Plays the selected row; a row that cannot be played passes on, in
    // the direction given, to the next row that plays (once round the list
    // at most, one row at each turn of the event loop), so the endless loop
    // never stops at a broken file. True when the selected row plays.
    bool playSelectedOrPassOn(Direction direction);
    // A search is filling a new list: rows still to be tried are not, and
    // the clip now playing moves nothing when it ends or fails (its end
    // belongs to the old list) until a row of the new list is played.
    void newListComing();
    // One tick of the scan timer: one second forward while fast
    // forwarding, one second back while rewinding (past the start: the
    // previous row, from its end).
    void ScanStep();
    // Sizes the video window to 50, 100 or 150 % of its load-time size;
    // other values change nothing.
    void setScreenSize(int percent);
    int screenSize() const { return screenSize_; }

    // Shuffled play: the end of stream and Next/Previous follow a random
    // order (see ShuffleOrder) instead of the list's.
    void setShuffle(bool on);
    bool shuffle() const { return shuffle_; }
    // Hardware decoding in the video window's player, now and for windows to come.
    void setHardwareDecoding(bool on);
    // Moves that many rows on (negative: back), as many presses of Next
    // or Previous would, and plays the row reached with one open. For
    // other programs' requests: the window waits for the open no longer
    // than a frame or two, and a clip slower to open plays once it has.
    void stepRows(int rows);
    // Selects the row that plays after, or before, the selected one.
    void selectNextRow();
    void selectPreviousRow();

signals:
    // The video window's player changed state (see MediaPlayer::stateChanged),
    // or the window came or went.
    void playerChanged();

private:
    // The endless loop: the next row, and play it; rows that cannot be
    // played are passed over, once round the list at most.
    void MediaPlayer1_EndOfStream();
    // The row that plays when the selected row's clip ends is handed to
    // the player ahead, so the change costs no frame; only while the
    // selected row is the one playing (another row selected meanwhile
    // decides at the end, as before).
    void offerFollowingRow();
    int upcomingRow(int row);
    // The player went on to the row offered: it becomes the selected row.
    void followOn();
    // A clip that failed while playing, or could not be opened after all,
    // passes on like a refused row; after a whole round of such failures
    // in a row the loop rests.
    void passOnAfterFailure();
    // A clip that opened late starts from its end while rewinding.
    void placeForScan();
    bool playOrPassOn(Direction direction);
    void passOnLater(int rowsLeft);
    void sayNothingPlays();
    void step(Direction direction);
    void clearCaption();

    ListView& list_;
    Hooks hooks_;
    QPointer<VideoWindow> window_;
    ScanMode scanMode_ = ScanMode::Normal;
    int screenSize_ = 0;
    bool preparing_ = false;
    Direction direction_ = Direction::Forward;
    int failuresInARow_ = 0;
    int followingRow_ = 0; // offered to the player; 0 for none
    quint64 passOn_ = 0; // the pass-on in progress
    bool listComing_ = false;
    bool saidNothingPlays_ = false;
    bool shuffle_ = false;
    bool hardwareDecoding_ = false;
    ShuffleOrder shuffleOrder_;
};
