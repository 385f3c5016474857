#include "viewer/pictureimage.h"

#include <QPainter>

#include <cmath>

QSize deviceSize(QSize logical, double devicePixelRatio)
{
    return QSize(std::max(1, int(std::lround(logical.width() * devicePixelRatio))),
                 std::max(1, int(std::lround(logical.height() * devicePixelRatio))));
}

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
    // The size is rounded by itself rather than by the edges, so the
    // pixels drawn do not depend on where the picture is centred: pictures
    // are decoded at exactly that size and drawn one to one.
    setGeometry(twips::toPixels(twips_.left), twips::toPixels(twips_.top), twips::toPixels(twips_.width),
                twips::toPixels(twips_.height));
}

QSize PictureImage::devicePixelSize() const
{
    return deviceSize(size(), devicePixelRatioF());
}

void PictureImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    if (!stretch_) {
        painter.drawImage(0, 0, image_);
        return;
    }
    // Smoothed only while a picture decoded for another size waits for its new decode.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, image_.size() != devicePixelSize());
    painter.drawImage(rect(), image_);
}
