#pragma once

#include <QIODevice>
#include <QImage>
#include <QSize>

// A reader for the common uncompressed BMPs (8-bit palette, 24 and 32
// bits, bottom-up or top-down) that scales while it reads: each shown
// pixel is the average of the stored pixels its area covers, as smooth
// scaling gives, without ever holding the whole picture decoded.
namespace bmpreader {

// The picture in the file (a random-access device) reduced to target; a
// null image for a BMP of another kind, a damaged one, a target larger
// than the picture, or one whose reading would take more than maxBytes
// of memory (the general reader handles those, within its own bound).
QImage decodeReduced(QIODevice& file, QSize target, qint64 maxBytes);

} // namespace bmpreader
