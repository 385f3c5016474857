#pragma once

#include <QWidget>

// A window of the program beside the main window: title bar, system menu,
// minimise, maximise and close boxes, no task bar entry. Its outer sizes
// count the window manager's frame.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit ToolWindow(QWidget* parent = nullptr);

    // The frame around the client area, in pixels: none without a window
    // manager, or before it has framed the window.
    QMargins frameMargins() const;

    // Outer size in twips, frame and title bar included.
    double outerWidth() const;
    double outerHeight() const;
    // Sizes the client area so that the outer size is as given (twips).
    void setOuterSize(double width, double height);
};
