#include "playback/videosurface.h"

#include "playback/mpvengine.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <utility>

namespace {
void* procAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
} // namespace

VideoSurface::VideoSurface(QWidget* parent) : QOpenGLWidget(parent)
{
    setMouseTracking(true);
    // The window swaps whenever any of its widgets changed (the seek bar
    // four times a second); only a swap after a frame was drawn shows one.
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (!attached_ || !std::exchange(frameDrawn_, false))
            return;
        engine_->reportSwap();
        emit frameShown(frameFresh_);
    });
}

VideoSurface::~VideoSurface()
{
    detach();
    // The base class destroys the context; by then this object is gone.
    if (QOpenGLContext* gl = context())
        disconnect(gl, nullptr, this, nullptr);
}

void VideoSurface::preferSoftwareDrawingInPlace()
{
    if (!qEnvironmentVariableIsSet("LP_NUM_THREADS"))
        qputenv("LP_NUM_THREADS", "0");
}

bool VideoSurface::openGLAvailable()
{
    static const bool available = [] {
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            return false;
        QOpenGLContext probe;
        return probe.create();
    }();
    return available;
}

void VideoSurface::findOutOpenGLAhead()
{
    if (QOpenGLContext::supportsThreadedOpenGL())
        openGLAvailable();
}

void VideoSurface::setEngine(MpvEngine* engine)
{
    if (engine == engine_)
        return;
    detach();
    engine_ = engine;
    if (engine_ && context())
        attach();
}

void VideoSurface::ensureAttached()
{
    if (!attached_ && engine_ && isVisible())
        grabFramebuffer(); // initialises the GL context, and with it initializeGL()
}

void VideoSurface::initializeGL()
{
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VideoSurface::detach);
    if (engine_)
        attach();
}

void VideoSurface::attach()
{
    if (attached_ || !engine_)
        return;
    makeCurrent();
    attached_ = engine_->createRenderContext(
        &procAddress, nullptr, [this] { update(); }, [this] { drawFrameNow(); });
    doneCurrent();
    if (attached_)
        engine_->setVideoEnabled(true);
}

void VideoSurface::detach()
{
    if (!attached_ || !engine_)
        return;
    engine_->setVideoEnabled(false);
    makeCurrent();
    engine_->freeRenderContext();
    doneCurrent();
    attached_ = false;
}

void VideoSurface::paintGL()
{
    if (!attached_) {
        context()->functions()->glClearColor(0, 0, 0, 1);
        context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    frameFresh_ = engine_->render(int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio));
    frameDrawn_ = true;
}

void VideoSurface::drawFrameNow()
{
    if (!attached_ || !isValid())
        return;
    makeCurrent();
    paintGL();
    doneCurrent();
    frameDrawn_ = false;
    engine_->reportSwap(); // the frame is taken; libmpv must not wait for a swap
    update();
}

void VideoSurface::mousePressEvent(QMouseEvent* event)
{
    // A double click's last release may never come (the window manager
    // takes it while the window goes full screen): a new press starts over.
    releaseEndsDoubleClick_ = false;
    QOpenGLWidget::mousePressEvent(event);
}

void VideoSurface::mouseReleaseEvent(QMouseEvent* event)
{
    if (std::exchange(releaseEndsDoubleClick_, false))
        return;
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void VideoSurface::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        emit clicked(); // takes back the first click
        releaseEndsDoubleClick_ = true;
    }
    event->ignore(); // the window changes full screen
}

void VideoSurface::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved();
    QOpenGLWidget::mouseMoveEvent(event);
}
