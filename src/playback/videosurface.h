#pragma once

#include <QWidget>

class MpvEngine;
class QOpenGLContext;
class QWindow;

// The player's picture: libmpv's render API drawing straight into a window
// of its own, embedded here, so a frame is drawn once and shown by one
// swap; the rest of the video window is never composed with OpenGL. The
// render context is made when the picture is first shown.
class VideoSurface : public QWidget {
    Q_OBJECT
public:
    explicit VideoSurface(QWidget* parent = nullptr);
    ~VideoSurface() override;

    // The engine to draw; may arrive before or after the GL set-up.
    void setEngine(MpvEngine* engine);

    // Sets up OpenGL and the render context now if the picture is shown
    // but has not drawn yet, so the next clip opens with its picture.
    void ensureAttached();

    // Where OpenGL is drawn in software (Mesa's llvmpipe: no graphics
    // card, a virtual machine), each pass is drawn on the drawing thread
    // itself rather than handed to rasterizer threads and waited for,
    // unless the user chose otherwise: a clip then wakes the program less
    // than half as often, for less processor time. Call before any thread
    // starts.
    static void preferSoftwareDrawingInPlace();
    // True when this platform can draw OpenGL at all.
    static bool openGLAvailable();
    // Answers openGLAvailable() on the calling thread, where the platform
    // lets a thread other than the window's make an OpenGL context: the
    // first context loads the driver, which takes the window a tenth of a
    // second or more.
    static void findOutOpenGLAhead();

signals:
    // A click; the first click of a double click is taken back by a second
    // clicked() as the double click comes (it changes full screen only).
    void clicked();
    void mouseMoved();
    // A frame of the clip was drawn and swapped onto the screen; fresh
    // when it is a new picture, not the last one drawn again.
    void frameShown(bool fresh);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    class Output;

    bool makeCurrent();
    void attach();
    void detach();
    // Draws the clip's frame (black before there is one) and shows it.
    void draw();

    Output* output_;
    QWidget* container_;
    QOpenGLContext* context_ = nullptr;
    MpvEngine* engine_ = nullptr;
    bool attached_ = false;
    bool releaseEndsDoubleClick_ = false;
};
