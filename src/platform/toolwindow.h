#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class WithdrawalWait;

// A window of the program beside the main window: title bar, system menu,
// minimise, maximise and close boxes, no task bar entry. Its outer sizes
// count the window manager's frame.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit ToolWindow(QWidget* parent = nullptr);
    ~ToolWindow() override;

    // Outer size in twips, frame and title bar included.
    double outerWidth() const;
    double outerHeight() const;
    // Sizes the client area so that the outer size is as given (twips).
    void setOuterSize(double width, double height);
    // Puts the outer rectangle (frame included, in pixels) where the
    // function says. A window manager may frame this window, or the main
    // window the place depends on, only after it is shown: the place is
    // asked again and set once this window's own frame is known.
    void placeOuter(std::function<QRect()> outer);

    // For the windows that show clips and pictures: F11 or a double click
    // toggles full screen on the screen the window is on; Esc leaves it,
    // or else hands the focus back to the main window.
    void allowFullScreen() { fullScreenAllowed_ = true; }
    void toggleFullScreen();

    void setVisible(bool visible) override;

signals:
    void fullScreenChanged(bool on);
    void focusMainWindow();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void applyPlacement();
    void settlePlacement();
    // The desktop's work area changed (a panel came, or was announced
    // after the window was placed): placed again within it.
    void followWorkArea();
    void changeFullScreen(bool on, bool thenFocusMainWindow);
    void changeFullScreenInPlace(bool on, bool thenFocusMainWindow);

    bool fullScreenAllowed_ = false;
    quint64 lastF11Release_ = 0; // the X server's time of the last F11 let go
    QRect normalGeometry_;
    std::function<QRect()> placement_; // until the window manager's frame is known and the place holds
    int corrections_ = 0;              // of the place, since it was asked
    std::function<QRect()> placer_;    // where the window goes, kept
    std::unique_ptr<WithdrawalWait> withdrawal_; // hidden to change kind, until shown again
};

// The window manager's frame around a top-level window, in pixels: none
// without a window manager. A window it has not framed yet (not shown
// yet, say) is given the frame of one it has, as it frames them alike.
QMargins windowFrame(const QWidget& window);

// Outer width of a top-level window in twips, frame included.
double outerWidth(const QWidget& window);

// The part of the window's screen that windows may use: the screen less
// the desktop's panels.
QRect workArea(const QWidget& window);

// The part of the main window's work area beside the main window, where
// the video and picture windows go: right of it, or left of it when the
// user moved it where more room is left.
QRect areaBeside(const QWidget& mainWindow);

