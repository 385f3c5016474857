#include "playback/videolayout.h"

namespace videolayout {

Memory record(double scaleWidth, double scaleHeight, const twips::Rect& player)
{
    return {twips::roundHalfEven(player.top), twips::roundHalfEven(scaleWidth - player.width),
            twips::roundHalfEven(scaleHeight - player.height)};
}

std::optional<twips::Rect> playerGeometry(double scaleWidth, double scaleHeight, const Memory& m)
{
    const double width = scaleWidth - m.PlayerWidthMargin;
    const double height = scaleHeight - m.PlayerHeightMargin;
    if (scaleWidth <= 0 || scaleHeight <= 0 || width <= 0 || height <= 0)
        return std::nullopt;
    return twips::Rect{scaleWidth / 2 - width / 2, double(m.PlayerTop), width, height};
}

std::optional<OuterSize> screenSize(int percent, long baseWidth, float baseHeight)
{
    double factor = 0;
    switch (percent) {
    case 50:
        factor = 0.5;
        break;
    case 100:
        factor = 1.0;
        break;
    case 150:
        factor = 1.5;
        break;
    default:
        return std::nullopt;
    }
    return OuterSize{baseHeight * factor, baseWidth * factor};
}

} // namespace videolayout
