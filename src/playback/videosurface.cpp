#include "playback/videosurface.h"

#include "playback/mpvengine.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QVBoxLayout>
#include <QWindow>
#include <functional>
#include <utility>

namespace {
void* procAddress(void*, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
} // namespace

// The native window the frames are drawn into; it asks for a draw when it
// is exposed or resized.
class VideoSurface::GLWindow : public QWindow {
public:
    explicit GLWindow(std::function<void()> draw) : draw_(std::move(draw))
    {
        setSurfaceType(QSurface::OpenGLSurface);
        setTitle(QStringLiteral("動画の画面"));
        setFlag(Qt::WindowTransparentForInput);
    }

protected:
    void exposeEvent(QExposeEvent*) override
    {
        if (isExposed())
            draw_();
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (isExposed())
            draw_();
    }

private:
    std::function<void()> draw_;
};

VideoSurface::VideoSurface(QWidget* parent)
    : QWidget(parent), window_(new GLWindow([this] {
          attach();
          drawFrame();
      }))
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::black));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* container = createWindowContainer(window_, this);
    container->setObjectName(QStringLiteral("VideoPicture"));
    layout->addWidget(container);
}

VideoSurface::~VideoSurface()
{
    detach();
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

void VideoSurface::setEngine(MpvEngine* engine)
{
    if (engine == engine_)
        return;
    detach();
    engine_ = engine;
    if (engine_ && gl_)
        attach();
}

void VideoSurface::ensureAttached()
{
    if (!attached_ && engine_ && isVisible())
        attach();
}

bool VideoSurface::makeCurrent()
{
    if (!window_->handle())
        return false;
    if (!gl_) {
        auto gl = std::make_unique<QOpenGLContext>();
        gl->setFormat(window_->requestedFormat());
        if (!gl->create())
            return false;
        gl_ = std::move(gl);
    }
    return gl_->makeCurrent(window_);
}

void VideoSurface::attach()
{
    if (attached_ || !engine_ || !makeCurrent())
        return;
    attached_ = engine_->createRenderContext(
        &procAddress, nullptr, [this] { drawFrame(); }, [this] { drawFrame(); });
    gl_->doneCurrent();
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
    gl_->doneCurrent();
    attached_ = false;
}

void VideoSurface::drawFrame()
{
    // A hidden window takes its frames undrawn: the player never waits for it.
    if (!window_->isExposed() || !makeCurrent()) {
        if (attached_)
            engine_->skipFrame();
        return;
    }
    const qreal ratio = window_->devicePixelRatio();
    const int width = qRound(window_->width() * ratio);
    const int height = qRound(window_->height() * ratio);
    if (attached_) {
        engine_->render(int(gl_->defaultFramebufferObject()), width, height);
    } else {
        gl_->functions()->glClearColor(0, 0, 0, 1);
        gl_->functions()->glClear(GL_COLOR_BUFFER_BIT);
    }
    gl_->swapBuffers(window_);
    if (attached_) {
        engine_->reportSwap();
        emit frameShown();
    }
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
