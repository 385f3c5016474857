#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

} // namespace fuzzsupport
