#include "viewer/pictureimage.h"

#include <QPainter>

PictureImage::PictureImage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Image1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureImage::setPicture(QSize naturalPixels, QImage image)
{
    image_ = std::move(image);
    if (!stretch_)
        setSizeTwips(twips::fromPixels(naturalPixels.width()), twips::fromPixels(naturalPixels.height()));
    update();
}

void PictureImage::setSizeTwips(double width, double height)
{
    twips_.width = width;
    twips_.height = height;
    place();
}

void PictureImage::movePositionTwips(double left, double top)
{
    twips_.left = left;
    twips_.top = top;
    place();
}

void PictureImage::place()
{
    setGeometry(twips::toPixelRect(twips_));
}

void PictureImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (stretch_)
        painter.drawImage(rect(), image_);
    else
        painter.drawImage(0, 0, image_);
}
