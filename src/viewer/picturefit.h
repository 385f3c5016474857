#pragma once

// The picture rules, in twips.
namespace picturefit {

struct Size {
    double width;
    double height;
};

struct Position {
    long left;
    long top;
};

inline constexpr long kTargetSide = 7000;

// FitPicture: the longer side becomes the target (height-led only when the
// picture is narrower than it is high), keeping the proportions.
Size FitPicture(long targetHeight, long targetWidth, Size natural);

// Full screen: the picture as large as the screen holds it, never more
// than maxScale times its natural size (all in pixels).
Size FitToScreen(Size natural, Size screen, double maxScale = 4);

// CenterPicture: centred by the window's outer size, halves rounded to
// even, then the floor of half the difference.
Position CenterPicture(double windowWidth, double windowHeight, double imageWidth, double imageHeight);

} // namespace picturefit
