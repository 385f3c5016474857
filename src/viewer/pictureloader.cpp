#include "viewer/pictureloader.h"

#include <QFile>
#include <QImageReader>
#include <sys/stat.h>

namespace pictureloader {
namespace {

bool isRegularFile(const QByteArray& path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool turnsSideways(const QImageReader& reader)
{
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

} // namespace

std::optional<QSize> naturalSize(const QByteArray& path)
{
    if (!isRegularFile(path))
        return std::nullopt;
    QImageReader reader(QFile::decodeName(path));
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return std::nullopt;
    return turnsSideways(reader) ? stored.transposed() : stored;
}

QImage decode(const QByteArray& path, QSize target)
{
    QImageReader reader(QFile::decodeName(path));
    reader.setAutoTransform(true);
    // The scaled size applies to the picture as stored, before turning it.
    reader.setScaledSize(turnsSideways(reader) ? target.transposed() : target);
    reader.setQuality(100); // smooth scaling
    return reader.read();
}

} // namespace pictureloader
