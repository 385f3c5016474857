#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <optional>

// Reading pictures: the natural (upright) size from the header alone, then
// the pixels decoded directly at the size they will be shown.
namespace pictureloader {

// A picture is decoded only while the memory it takes at its peak (the
// decoded pixels at their real depth, the copy that smooth scaling makes,
// the scaled result) stays within this; files whose header claims more
// are refused unread.
inline constexpr qint64 kMaxDecodedBytes = qint64(1024) * 1024 * 1024;

// The upright pixel size, or nothing for a file that is not a readable
// picture (missing, not a regular file, another format, too large).
std::optional<QSize> naturalSize(const QByteArray& path);

// Decodes the first frame, upright, scaled to fit within target.
QImage decode(const QByteArray& path, QSize target);

} // namespace pictureloader
