#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Every geometry rule of the program is written in twips (1440 per inch).
// Widgets are set in device-independent pixels at 15 twips per pixel.
namespace twips {

inline constexpr double kPerPixel = 15.0;

// Rounds to the nearest whole number, halves to the even neighbour.
long roundHalfEven(double value);

int toPixels(double twips);
double fromPixels(int pixels);

struct Rect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const Rect&) const = default;
};

QRect toPixelRect(const Rect& r);
Rect fromPixelRect(const QRect& r);
QSize toPixelSize(double width, double height);

} // namespace twips
