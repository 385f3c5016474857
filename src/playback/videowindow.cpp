#include "playback/videowindow.h"

#include "playback/mediaplayer.h"

#include <QApplication>

VideoWindow::VideoWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
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

double VideoWindow::outerWidth() const
{
    return twips::fromPixels(frameGeometry().width());
}

double VideoWindow::outerHeight() const
{
    return twips::fromPixels(frameGeometry().height());
}

void VideoWindow::setOuterWidth(double width)
{
    const int frame = frameGeometry().width() - geometry().width();
    resize(std::max(1, twips::toPixels(width) - frame), height());
    Form_Resize(); // a hidden window gets its resize event only when shown
}

void VideoWindow::setOuterHeight(double height)
{
    const int frame = frameGeometry().height() - geometry().height();
    resize(width(), std::max(1, twips::toPixels(height) - frame));
    Form_Resize();
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
    window.setOuterHeight(size->height);
    window.setOuterWidth(size->width);
}
