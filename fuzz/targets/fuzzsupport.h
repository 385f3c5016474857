#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <cstdio>
#include <cstdlib>

// Helpers shared by the fuzz targets.
namespace fuzzsupport {

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A folder of the target's own for the whole run (never a system path).
inline const QString& scratchFolder()
{
    static const QString folder = [] {
        // In memory where there is such a folder: the stores' writes are synced.
        const QByteArray base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? "/dev/shm" : QDir::tempPath().toLocal8Bit();
        QByteArray pattern = base + "/dvz-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return QString::fromLocal8Bit(pattern);
    }();
    return folder;
}

inline void writeFile(const QString& path, const QByteArray& content)
{
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        std::abort();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A broken promise of the code under test: reported as a crash.
inline void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// A picture reader on any bytes, at any target size: the first two bytes
// give the target (1 to 64 a side), the rest is the file. A picture comes
// out at exactly the target size, or none.
template <typename Decode> void checkPictureReader(const uint8_t* data, size_t size, Decode decode)
{
    if (size < 2)
        return;
    const QSize target(1 + data[0] % 64, 1 + data[1] % 64);
    QByteArray file = bytes(data + 2, size - 2);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    const QImage picture = decode(buffer, target);
    require(picture.isNull() || picture.size() == target, "the picture has the target size");
}

} // namespace fuzzsupport
