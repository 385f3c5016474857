#pragma once

#include <QWidget>

// A window of the program beside the main window: title bar, system menu,
// minimise, maximise and close boxes, no task bar entry. Its outer sizes
// count the window manager's frame.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit ToolWindow(QWidget* parent = nullptr);

    // Outer size in twips, frame and title bar included.
    double outerWidth() const;
    double outerHeight() const;
    // Sizes the client area so that the outer size is as given (twips).
    void setOuterSize(double width, double height);

    // For the windows that show clips and pictures: F11 or a double click
    // toggles full screen on the screen the window is on; Esc leaves it,
    // or else hands the focus back to the main window.
    void allowFullScreen() { fullScreenAllowed_ = true; }
    void toggleFullScreen();

signals:
    void fullScreenChanged(bool on);
    void focusMainWindow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool fullScreenAllowed_ = false;
    QRect normalGeometry_;
};

// The window manager's frame around a top-level window, in pixels: none
// without a window manager. A window it has not framed yet (not shown
// yet, say) is given the frame of one it has, as it frames them alike.
QMargins windowFrame(const QWidget& window);

// Outer width of a top-level window in twips, frame included.
double outerWidth(const QWidget& window);
