#include "viewer/pictureloader.h"

#include "platform/regularfile.h"
#include "viewer/bmpreader.h"
#include "viewer/pngreader.h"
#include "viewer/webpreader.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <memory>
#include <unistd.h>

namespace pictureloader {
namespace {

// The file by its exact bytes (names need not be UTF-8); only a regular
// file is read.
std::unique_ptr<QFile> openFile(const QByteArray& path)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return nullptr;
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

bool turnsSideways(const QImageReader& reader)
{
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

bool decodesScaled(const QImageReader& reader)
{
    // JPEG (Qt's reader) and still WebP (libwebp) decode at a reduced size;
    // Qt's other readers that accept a scaled size decode whole and scale
    // after. An animated WebP's first frame is decoded whole by Qt's reader,
    // within Qt's allocation limit.
    return reader.format() == "jpeg" || reader.format() == "webp";
}

qint64 pixels(QSize size)
{
    return qint64(size.width()) * size.height();
}

// Bytes a pixel of the image the reader decodes to.
qint64 decodedBytesPerPixel(const QImageReader& reader)
{
    const QImage::Format format = reader.imageFormat();
    if (format == QImage::Format_Invalid)
        return 4;
    return std::max(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
}

// Bytes a pixel of the copy that smooth scaling makes first, for the
// formats it cannot scale as they are (0: scaled as it is).
qint64 scalingCopyBytesPerPixel(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64_Premultiplied:
        return 0;
    case QImage::Format_RGBA64:
    case QImage::Format_Grayscale16:
        return 8;
    default:
        return 4;
    }
}

// Whether decoding stays within kMaxDecodedBytes at its peak: the decoded
// picture, the copy smooth scaling makes of it, and the scaled result.
bool withinBound(const QImageReader& reader, QSize stored, QSize target)
{
    if (decodesScaled(reader))
        return pixels(stored) * 4 <= kMaxDecodedBytes;
    const qint64 decoded = decodedBytesPerPixel(reader);
    const qint64 copy = scalingCopyBytesPerPixel(reader.imageFormat());
    // Pictures of less than 4 bytes a pixel were measured with one more
    // copy at their own depth on the way (a grey PNG: 6 bytes a pixel).
    const qint64 whole = decoded < 4 ? 2 * decoded : decoded;
    const qint64 peak = pixels(stored) * (whole + copy) + pixels(target) * std::max(decoded, copy);
    return peak <= kMaxDecodedBytes;
}

} // namespace

std::optional<QSize> naturalSize(const QByteArray& path)
{
    const std::unique_ptr<QFile> file = openFile(path);
    if (!file)
        return std::nullopt;
    QImageReader reader(file.get());
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty() || !withinBound(reader, stored, QSize(1, 1)))
        return std::nullopt;
    return turnsSideways(reader) ? stored.transposed() : stored;
}

QImage decode(const QByteArray& path, QSize target)
{
    const std::unique_ptr<QFile> file = openFile(path);
    if (!file)
        return {};
    QImageReader::setAllocationLimit(int(kMaxDecodedBytes / (1024 * 1024)));
    QImageReader reader(file.get());
    reader.setAutoTransform(true);
    const QSize stored = turnsSideways(reader) ? target.transposed() : target;
    if (!withinBound(reader, reader.size(), target))
        return {};
    if (reader.format() == "webp") {
        const QImage scaled = webpreader::decodeScaled(*file, target);
        if (!scaled.isNull())
            return scaled;
    }
    if (reader.format() == "jpeg") {
        reader.setScaledSize(stored); // the size as stored, before turning
        reader.setQuality(100);       // smooth scaling
        return reader.read();
    }
    if (reader.format() == "bmp" || reader.format() == "png") {
        const qint64 readerAt = file->pos(); // where the general reader has got to
        const QImage reduced = reader.format() == "bmp" ? bmpreader::decodeReduced(*file, target, kMaxDecodedBytes)
                                                        : pngreader::decodeReduced(*file, target, kMaxDecodedBytes);
        if (!reduced.isNull())
            return reduced;
        file->seek(readerAt);
    }
    const QImage whole = reader.read();
    if (whole.isNull() || whole.size() == target)
        return whole;
    return whole.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace pictureloader
