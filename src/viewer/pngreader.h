#pragma once

#include <QIODevice>
#include <QImage>
#include <QSize>

// PNG pictures reduced as their rows are decoded (libspng): the shown size
// is built row by row, so a large picture never exists whole in memory.
namespace pngreader {

// The picture in the file reduced to target; a null image for an
// interlaced PNG (its rows come in passes), a damaged one, a target larger
// than the picture, or one whose reading would take more than maxBytes of
// memory (the general reader handles those, within its own bound).
QImage decodeReduced(QIODevice& file, QSize target, qint64 maxBytes);

} // namespace pngreader
