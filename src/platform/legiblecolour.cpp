#include "platform/legiblecolour.h"

#include <algorithm>
#include <cmath>

namespace legiblecolour {
namespace {

constexpr double kTextContrast = 4.5;

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour)
{
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

} // namespace

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor against(const QColor& wanted, const QColor& other)
{
    if (contrast(wanted, other) >= kTextContrast)
        return wanted;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(black, other) >= contrast(white, other) ? black : white;
}

} // namespace legiblecolour
