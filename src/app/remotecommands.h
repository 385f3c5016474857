#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

// What other programs ask of the program (the desktop's player controls,
// later launches, a drop): each request is answered at once and carried
// out on a later turn of the event loop, so no caller waits for a clip, a
// search or a message box, and nothing nests. What arrives faster than it
// is carried out is folded together: the newest path to open wins; Next
// and Previous add up to a number of rows to move, played with one open;
// of the other transport keys the newest wins (two Play/Pause cancel).
// Moves open a clip, so they are carried out at most every kStepIntervalMs:
// a flood of Next leaves the window free in between.
// A path is looked at on a thread of its own first (the file system may be
// slow, or never answer); moves and keys asked for after it wait for its
// open, but no longer than kLookUpWaitMs.
class RemoteCommands : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // An open waits while this holds (a search runs); see resume().
        std::function<bool()> openMustWait;
        std::function<void()> raise;
        // Runs on a thread: looks at the path and returns what opens it (or
        // says why not) on the window's thread.
        std::function<std::function<void()>(const QByteArray& path)> lookUp;
        // Moves that many rows on (negative: back) and plays or shows the row reached.
        std::function<void(int rows)> step;
        // Play, pause, play/pause or stop (Qt's media key codes).
        std::function<void(int key)> press;
        // Something was carried out.
        std::function<void()> done;
    };

    static constexpr int kStepIntervalMs = 150;
    static constexpr int kLookUpWaitMs = 1000;

    explicit RemoteCommands(Hooks hooks, QObject* parent = nullptr);

    void raise();
    void open(const QByteArray& path);
    // Any media key: next and previous move rows, the others go to press.
    void press(int key);
    // An open that waited may go now.
    void resume();

private:
    void schedule();
    void run();
    bool hasWork() const;
    bool stepDue() const;
    void lookedUp(quint64 request, std::function<void()> open);
    bool openAhead() const { return lookingUp_ || open_; }

    Hooks hooks_;
    bool scheduled_ = false;
    bool running_ = false;
    bool raise_ = false;
    quint64 lookUps_ = 0; // only the newest path's look-up opens
    bool lookingUp_ = false;
    std::function<void()> open_;
    int rows_ = 0;
    std::optional<int> key_;
    QElapsedTimer lastStep_;
    QTimer stepLater_;
};
