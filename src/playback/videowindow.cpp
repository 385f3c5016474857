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
    setAutoFillBackground(true);
    setBackground(false);
    resize(twips::toPixelSize(videolayout::kClientWidth, videolayout::kClientHeight));
    player_ = new MediaPlayer(this);
    player_->setGeometry(twips::toPixelRect(videolayout::kPlayerDesign));
    // In full screen the seek bar shows only while the mouse moves.
    connect(this, &ToolWindow::fullScreenChanged, player_, &MediaPlayer::setSeekBarOnDemand);
    connect(this, &ToolWindow::fullScreenChanged, this, &VideoWindow::setBackground);
}

void VideoWindow::setBackground(bool fullScreen)
{
    // The system colour of active window borders; black around a clip
    // shown full screen.
    QPalette look = palette();
    look.setColor(QPalette::Window,
                  fullScreen ? QColor(Qt::black) : QApplication::palette().color(QPalette::Active, QPalette::Mid));
    setPalette(look);
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

void VideoWindow::Form_Load(std::function<QRect()> areaBesideMainWindow)
{
    placeOuter([this, area = std::move(areaBesideMainWindow)] {
        return QRect(area().topLeft(), size().grownBy(windowFrame(*this)));
    });
    loadClientSize_ = size();
    memory_ = videolayout::record(twips::fromPixels(width()), twips::fromPixels(height()), playerGeometry());
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
