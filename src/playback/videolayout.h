#pragma once

#include "platform/twips.h"

#include <optional>

// The video window's geometry rules, in twips.
namespace videolayout {

inline constexpr double kClientWidth = 5625;
inline constexpr double kClientHeight = 3990;
inline constexpr twips::Rect kPlayerDesign{120, 0, 5415, 4335};

// What the window remembers of its design at load.
struct Memory {
    long PlayerTop = 0;
    long PlayerWidthMargin = 0;
    long PlayerHeightMargin = 0;
};

Memory record(double scaleWidth, double scaleHeight, const twips::Rect& player);

// Form_Resize: the player's new place, or nothing when the client area is
// too narrow for the rule (minimised, say) and the player keeps its size.
std::optional<twips::Rect> playerGeometry(double scaleWidth, double scaleHeight, const Memory& m);

// ApplyScreenSize: the outer height and width for 50, 100 or 150; nothing
// for any other value.
struct OuterSize {
    double height;
    double width;
};
std::optional<OuterSize> screenSize(int percent, long baseWidth, float baseHeight);

} // namespace videolayout
