#pragma once

#include <QImage>

class QFile;

// Still WebP pictures decoded straight at the size they are shown: libwebp
// scales while it decodes, so a large picture never exists whole in memory.
namespace webpreader {

// The picture at target size, or a null image for an animation (left to
// Qt's reader, which shows its first frame) or a file libwebp refuses. The
// file's read position does not move.
QImage decodeScaled(QFile& file, QSize target);

} // namespace webpreader
