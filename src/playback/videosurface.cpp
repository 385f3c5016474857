#include "playback/videosurface.h"

#include "playback/mpvengine.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWindow>
#include <utility>

namespace {
void* procAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
} // namespace

// The native window the frames are drawn into. It never takes the keyboard
// (keys stay with the video window's widgets) and hands its mouse events
// to the surface, as if they had come to it.
class VideoSurface::Output : public QWindow {
public:
    explicit Output(VideoSurface& surface) : surface_(surface)
    {
        setSurfaceType(QSurface::OpenGLSurface);
        setFlag(Qt::WindowDoesNotAcceptFocus);
        // Not the program's name, which only its own windows carry.
        setTitle(QStringLiteral("映像"));
    }

protected:
    void exposeEvent(QExposeEvent*) override
    {
        surface_.attach();
        surface_.draw();
    }
    // A window made smaller is not exposed again: a paused clip is drawn
    // at the new size now.
    void resizeEvent(QResizeEvent*) override { surface_.draw(); }
    void mousePressEvent(QMouseEvent* event) override { forward(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { forward(event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { forward(event); }
    void mouseMoveEvent(QMouseEvent* event) override { forward(event); }

private:
    // The window fills the surface, so positions in one are positions in the other.
    void forward(QMouseEvent* event)
    {
        QMouseEvent copy(event->type(), event->position(), event->globalPosition(), event->button(),
                         event->buttons(), event->modifiers(), event->pointingDevice());
        copy.setTimestamp(event->timestamp()); // the device's next double click is timed from it
        QCoreApplication::sendEvent(&surface_, &copy);
        event->setAccepted(copy.isAccepted());
    }

    VideoSurface& surface_;
};

VideoSurface::VideoSurface(QWidget* parent)
    : QWidget(parent), output_(new Output(*this)), container_(QWidget::createWindowContainer(output_, this))
{
    container_->setFocusPolicy(Qt::NoFocus);
}

VideoSurface::~VideoSurface()
{
    detach();
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
    if (engine_ && output_->isExposed())
        attach();
}

void VideoSurface::ensureAttached()
{
    if (isVisible())
        attach();
}

bool VideoSurface::makeCurrent()
{
    if (!output_->handle())
        return false;
    if (!context_) {
        context_ = new QOpenGLContext(this);
        context_->setFormat(output_->requestedFormat());
        if (!context_->create()) {
            delete context_;
            context_ = nullptr;
            return false;
        }
    }
    return context_->makeCurrent(output_);
}

void VideoSurface::attach()
{
    if (attached_ || !engine_ || !makeCurrent())
        return;
    attached_ = engine_->createRenderContext(&procAddress, nullptr, [this] { draw(); });
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
    context_->doneCurrent();
    attached_ = false;
}

void VideoSurface::draw()
{
    if (!makeCurrent())
        return;
    if (!output_->isExposed()) {
        if (attached_)
            engine_->skipPendingFrame(); // libmpv must not wait for it
        return;
    }
    const qreal ratio = output_->devicePixelRatio();
    bool fresh = false;
    if (attached_) {
        fresh = engine_->render(int(context_->defaultFramebufferObject()), qRound(output_->width() * ratio),
                                qRound(output_->height() * ratio));
    } else {
        context_->functions()->glClearColor(0, 0, 0, 1);
        context_->functions()->glClear(GL_COLOR_BUFFER_BIT);
    }
    context_->swapBuffers(output_);
    if (attached_) {
        engine_->reportSwap();
        emit frameShown(fresh);
    }
}

void VideoSurface::resizeEvent(QResizeEvent*)
{
    container_->setGeometry(rect());
}

void VideoSurface::mousePressEvent(QMouseEvent* event)
{
    // A double click's last release may never come (the window manager
    // takes it while the window goes full screen): a new press starts over.
    releaseEndsDoubleClick_ = false;
    QWidget::mousePressEvent(event);
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
    QWidget::mouseMoveEvent(event);
}
