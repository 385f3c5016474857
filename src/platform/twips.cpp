#include "platform/twips.h"

#include <cmath>

namespace twips {

long roundHalfEven(double value)
{
    return std::lrint(value); // the default rounding mode is to nearest, ties to even
}

int toPixels(double twips)
{
    return static_cast<int>(roundHalfEven(twips / kPerPixel));
}

double fromPixels(int pixels)
{
    return pixels * kPerPixel;
}

QRect toPixelRect(const Rect& r)
{
    // Edges are rounded, not sizes, so rectangles that meet in twips meet
    // in pixels too.
    const int left = toPixels(r.left);
    const int top = toPixels(r.top);
    return QRect(left, top, toPixels(r.left + r.width) - left, toPixels(r.top + r.height) - top);
}

Rect fromPixelRect(const QRect& r)
{
    return {fromPixels(r.x()), fromPixels(r.y()), fromPixels(r.width()), fromPixels(r.height())};
}

QSize toPixelSize(double width, double height)
{
    return QSize(toPixels(width), toPixels(height));
}

} // namespace twips
