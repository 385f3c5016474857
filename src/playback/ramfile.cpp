#include "playback/ramfile.h"

#include "platform/regularfile.h"

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace ramfile {

bool isRamFile(const QByteArray& path)
{
    return path.toLower().endsWith(".ram");
}

namespace {

constexpr qint64 kMaxBytes = 64 * 1024;
constexpr qsizetype kMaxEntries = 1000;

// The whole file, when it is a regular file small enough to be a playlist.
std::optional<QByteArray> readSmallFile(const QByteArray& path)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    QByteArray bytes;
    bool whole = ::fstat(fd, &st) == 0 && st.st_size <= kMaxBytes;
    if (whole) {
        bytes.resize(st.st_size);
        whole = ::read(fd, bytes.data(), bytes.size()) == bytes.size();
    }
    ::close(fd);
    return whole ? std::optional<QByteArray>(bytes) : std::nullopt;
}

} // namespace

QList<QByteArray> entries(const QByteArray& path)
{
    const std::optional<QByteArray> text = readSmallFile(path);
    if (!text)
        return {};
    const QByteArray folder = path.left(path.lastIndexOf('/') + 1);
    QList<QByteArray> result;
    for (QByteArray line : text->split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QByteArray entry;
        if (line.startsWith("file:///"))
            entry = QByteArray::fromPercentEncoding(line.mid(7));
        else if (line.contains("://"))
            continue; // a network stream
        else
            entry = line.startsWith('/') ? line : folder + line;
        if (isRamFile(entry) || entry.contains('\0'))
            continue; // no playlists inside playlists; no names cut short
        if (result.size() == kMaxEntries)
            return {};
        result << entry;
    }
    return result;
}

} // namespace ramfile
