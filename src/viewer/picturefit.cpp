#include "viewer/picturefit.h"

#include "platform/twips.h"

#include <algorithm>
#include <cmath>

namespace picturefit {

Size FitPicture(long targetHeight, long targetWidth, Size natural)
{
    if (natural.width < natural.height) {
        const double factor = double(targetHeight) / natural.height;
        return {natural.width * factor, double(targetHeight)};
    }
    const double factor = double(targetWidth) / natural.width;
    return {double(targetWidth), natural.height * factor};
}

Size FitToScreen(Size natural, Size screen, double maxScale)
{
    const double scale = std::min({screen.width / natural.width, screen.height / natural.height, maxScale});
    return {natural.width * scale, natural.height * scale};
}

Position CenterPicture(double windowWidth, double windowHeight, double imageWidth, double imageHeight)
{
    const long fw = twips::roundHalfEven(windowWidth);
    const long fh = twips::roundHalfEven(windowHeight);
    const long iw = twips::roundHalfEven(imageWidth);
    const long ih = twips::roundHalfEven(imageHeight);
    return {long(std::floor((fw - iw) / 2.0)), long(std::floor((fh - ih) / 2.0))};
}

} // namespace picturefit
