#pragma once

#include <QWidget>
#include <memory>

class MpvEngine;
class QOpenGLContext;
class QWindow;

// The player's picture: libmpv's render API drawing straight into a native
// OpenGL window inside this widget, one draw and one swap a frame (no copy
// through the window's backing store). The GL window lets mouse input
// through, so clicks and moves reach this widget as on any other.
class VideoSurface : public QWidget {
    Q_OBJECT
public:
    explicit VideoSurface(QWidget* parent = nullptr);
    ~VideoSurface() override;

    // The engine to draw; may arrive before or after the GL set-up.
    void setEngine(MpvEngine* engine);

    // Sets up OpenGL and the render context now if the widget is shown but
    // has not drawn yet, so the next clip opens with its picture.
    void ensureAttached();

    // True when this platform can draw OpenGL at all.
    static bool openGLAvailable();

signals:
    // A click; the first click of a double click is taken back by a second
    // clicked() as the double click comes (it changes full screen only).
    void clicked();
    void mouseMoved();
    // A frame of the clip was drawn and swapped onto the screen.
    void frameShown();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    class GLWindow;

    void attach();
    void detach();
    bool makeCurrent();
    // Draws the player's current frame, or black without a player.
    void drawFrame();

    GLWindow* window_;
    std::unique_ptr<QOpenGLContext> gl_;
    MpvEngine* engine_ = nullptr;
    bool attached_ = false;
    bool releaseEndsDoubleClick_ = false;
};
