#include "viewer/pictureloader.h"

#include "platform/regularfile.h"

#include <QFile>
#include <QImageReader>
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

bool withinBound(QSize stored)
{
    return qint64(stored.width()) * stored.height() * 4 <= kMaxDecodedBytes;
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
    if (!stored.isValid() || stored.isEmpty() || !withinBound(stored))
        return std::nullopt;
    return turnsSideways(reader) ? stored.transposed() : stored;
}

bool decodesQuickly(const QByteArray& path)
{
    constexpr qint64 kQuickBytes = 16 * 1024 * 1024;
    const std::unique_ptr<QFile> file = openFile(path);
    if (!file)
        return true; // refused at once
    QImageReader reader(file.get());
    const QSize stored = reader.size();
    return reader.supportsOption(QImageIOHandler::ScaledSize) ||
           qint64(stored.width()) * stored.height() * 4 <= kQuickBytes;
}

QImage decode(const QByteArray& path, QSize target)
{
    const std::unique_ptr<QFile> file = openFile(path);
    if (!file)
        return {};
    QImageReader::setAllocationLimit(int(kMaxDecodedBytes / (1024 * 1024)));
    QImageReader reader(file.get());
    reader.setAutoTransform(true);
    if (!withinBound(reader.size()))
        return {};
    const QSize stored = turnsSideways(reader) ? target.transposed() : target;
    // JPEG decodes straight at the shown size; other formats decode whole
    // and are scaled down after.
    if (reader.supportsOption(QImageIOHandler::ScaledSize)) {
        reader.setScaledSize(stored); // the size as stored, before turning
        reader.setQuality(100);       // smooth scaling
        return reader.read();
    }
    const QImage whole = reader.read();
    if (whole.isNull() || whole.size() == target)
        return whole;
    return whole.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace pictureloader
