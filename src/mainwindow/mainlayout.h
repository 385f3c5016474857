#pragma once

#include "platform/twips.h"

#include <QString>
#include <map>

// The main window's geometry rules, in twips of its client area.
namespace mainlayout {

using Geometry = std::map<QString, twips::Rect>;

inline constexpr double kDesignWidth = 3390;
inline constexpr double kDesignHeight = 7170;

// Every control's design position (Option1 and Option2 relative to Frame1).
const Geometry& design();

// The fourteen distances recorded at load from the design positions.
struct Distances {
    double DriveTop, DirTop, ListTop;
    long ListHeightMargin;
    double LabelBottom, SliderBottom;
    long ButtonRowBottom;
    double IconRowBottom, ButtonGap, IconGap, LabelOffset, DriveWidthMargin, DirWidthMargin;
    long ListWidthMargin;
};

Distances recordDistances(const Geometry& g, double scaleWidth, double scaleHeight);

// Form_Resize: the resize rules applied to the current geometry for a
// client area of scaleWidth × scaleHeight. Sizes the rules would make
// negative (a client area too small) stay at 0.
Geometry resized(Geometry g, const Distances& d, double scaleWidth, double scaleHeight);

} // namespace mainlayout
