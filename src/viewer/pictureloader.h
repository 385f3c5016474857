#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <optional>

// Reading pictures: the natural (upright) size from the header alone, then
// the pixels decoded directly at the size they will be shown.
namespace pictureloader {

// The upright pixel size, or nothing for a file that is not a readable
// picture (missing, a folder, another format).
std::optional<QSize> naturalSize(const QByteArray& path);

// Decodes the first frame, upright, scaled to fit within target.
QImage decode(const QByteArray& path, QSize target);

} // namespace pictureloader
