#include "playback/videowindow.h"

#include "playback/mediaplayer.h"

#include <QApplication>

VideoWindow::VideoWindow(QWidget* parent)
    : ToolWindow(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("_"));
    // The system colour of active window borders.
    setAutoFillBackground(true);
    QPalette look = palette();
    look.setColor(QPalette::Window, QApplication::palette().color(QPalette::Active, QPalette::Mid));
    setPalette(look);
    resize(twips::toPixelSize(videolayout::kClientWidth, videolayout::kClientHeight));
    player_ = new MediaPlayer(this);
    player_->setGeometry(twips::toPixelRect(videolayout::kPlayerDesign));
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

void VideoWindow::Form_Load(double mainOuterWidth, long& baseWidth, float& baseHeight)
{
    move(twips::toPixels(mainOuterWidth), 0);
    baseHeight = float(outerHeight());
    baseWidth = twips::roundHalfEven(outerWidth());
    memory_ = videolayout::record(twips::fromPixels(width()), twips::fromPixels(height()), playerGeometry());
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

void ApplyScreenSize(VideoWindow& window, int screenSize, long baseWidth, float baseHeight)
{
    const auto size = videolayout::screenSize(screenSize, baseWidth, baseHeight);
    if (!size)
        return;
    window.setOuterSize(size->width, size->height);
}
