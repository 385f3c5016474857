#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

// Waits until the window manager has let go of a top-level window just
// hidden, then calls back once. A window shown again before that may be
// taken by a late withdrawal for the old one: the window manager drops
// the state (full screen, say) the program set for the new showing. The
// call comes at once where no window manager holds the window (not X11,
// none running), and after a second at most.
class WithdrawalWait : public QObject, public QAbstractNativeEventFilter {
public:
    WithdrawalWait(const QWidget& window, std::function<void()> then);
    ~WithdrawalWait() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool heldByWindowManager() const;
    void finish();

    quint32 window_ = 0; // the X window and atom, none off X11
    quint32 wmState_ = 0;
    std::function<void()> then_;
    QTimer deadline_;
};
