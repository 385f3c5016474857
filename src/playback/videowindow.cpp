#include "playback/videowindow.h"

#include "playback/mediaplayer.h"

#include <QApplication>

VideoWindow::VideoWindow(QWidget* parent)
    : ToolWindow(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    allowFullScreen();
    // The system colour of active window borders.
    setAutoFillBackground(true);
    QPalette look = palette();
    look.setColor(QPalette::Window, QApplication::palette().color(QPalette::Active, QPalette::Mid));
    setPalette(look);
    resize(twips::toPixelSize(videolayout::kClientWidth, videolayout::kClientHeight));
    player_ = new MediaPlayer(this);
    player_->setGeometry(twips::toPixelRect(videolayout::kPlayerDesign));
    // In full screen the seek bar shows only while the mouse moves.
    connect(this, &ToolWindow::fullScreenChanged, player_, &MediaPlayer::setSeekBarOnDemand);
}

void VideoWindow::setOuterSize(double width, double height)
{
    ToolWindow::setOuterSize(width, height);
    Form_Resize(); // a hidden window gets its resize event only when shown
}

twips::Rect VideoWindow::playerGeometry() const
{
    return twips::fromPixelRect(player_->geometry());
}

void VideoWindow::Form_Load(std::function<double()> mainOuterWidth)
{
    mainOuterWidth_ = std::move(mainOuterWidth);
    placeBesideMainWindow();
    loadClientSize_ = size();
    memory_ = videolayout::record(twips::fromPixels(width()), twips::fromPixels(height()), playerGeometry());
}

void VideoWindow::placeBesideMainWindow()
{
    const QPoint at(twips::toPixels(mainOuterWidth_()), 0);
    // move() places the frame's corner where Qt knows the frame, else the
    // client's: add the frame the window manager will give.
    const QMargins frame = windowFrame(*this);
    const QPoint known(geometry().x() - x(), geometry().y() - y());
    move(at + QPoint(frame.left(), frame.top()) - known);
}

void VideoWindow::showEvent(QShowEvent* event)
{
    if (!shown_ && mainOuterWidth_) {
        shown_ = true;
        placeBesideMainWindow();
    }
    ToolWindow::showEvent(event);
}

long VideoWindow::baseWidth() const
{
    const QMargins frame = windowFrame(*this);
    return twips::roundHalfEven(twips::fromPixels(loadClientSize_.width() + frame.left() + frame.right()));
}

float VideoWindow::baseHeight() const
{
    const QMargins frame = windowFrame(*this);
    return float(twips::fromPixels(loadClientSize_.height() + frame.top() + frame.bottom()));
}

void VideoWindow::Form_Resize()
{
    if (isMinimized())
        return;
    const auto place = videolayout::playerGeometry(twips::fromPixels(width()), twips::fromPixels(height()), memory_);
    if (place)
        player_->setGeometry(twips::toPixelRect(*place));
}

void VideoWindow::resizeEvent(QResizeEvent*)
{
    Form_Resize();
}

void ApplyScreenSize(VideoWindow& window, int screenSize)
{
    const auto size = videolayout::screenSize(screenSize, window.baseWidth(), window.baseHeight());
    if (!size)
        return;
    window.setOuterSize(size->width, size->height);
}
