#pragma once

#include <QColor>

// Colours that keep a text legible in any palette the desktop gives: where
// the program fixes one of a text's two colours, the other is taken from
// the palette only while the pair stays readable.
namespace legiblecolour {

// The contrast ratio of two colours as WCAG 2 measures it: 1 to 21.
double contrast(const QColor& a, const QColor& b);

// wanted, when it keeps the contrast of 4.5 : 1 a text needs against
// other; else black or white, whichever stands out more against it.
QColor against(const QColor& wanted, const QColor& other);

} // namespace legiblecolour
