#pragma once

#include "platform/twips.h"

#include <QImage>
#include <QWidget>

// The device pixels that many logical pixels cover.
QSize deviceSize(QSize logical, double devicePixelRatio);

// Image1: shows a picture. With Stretch off, giving it a picture makes it
// take the picture's natural size; with Stretch on, it draws the picture
// scaled to whatever size it has.
class PictureImage : public QWidget {
    Q_OBJECT
public:
    explicit PictureImage(QWidget* parent = nullptr);

    bool Stretch() const { return stretch_; }
    void setStretch(bool on) { stretch_ = on; }
    // naturalPixels is the picture's own (upright) size; image holds its
    // pixels, possibly already decoded at the size it will be shown.
    void setPicture(QSize naturalPixels, QImage image);
    const QImage& picture() const { return image_; }
    // The pixels it covers on the screen.
    QSize devicePixelSize() const;

    // Geometry in twips of the window's client area.
    twips::Rect geometryTwips() const { return twips_; }
    void setSizeTwips(double width, double height);
    void movePositionTwips(double left, double top);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    bool stretch_ = false;
    QImage image_;
    twips::Rect twips_;
};
