#include "playback/ramfile.h"

#include <QFile>


namespace ramfile {

bool isRamFile(const QByteArray& path)
{
    return path.toLower().endsWith(".ram");
}

QList<QByteArray> entries(const QByteArray& path)
{
    QFile file(QFile::decodeName(path));
    // A playlist is small; anything large is not one.
    if (file.size() > 1024 * 1024 || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray folder = path.left(path.lastIndexOf('/') + 1);
    QList<QByteArray> result;
    for (QByteArray line : file.readAll().split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith("file://"))
            result << QByteArray::fromPercentEncoding(line.mid(7));
        else if (line.startsWith('/') || line.contains("://"))
            result << line;
        else
            result << folder + line;
    }
    return result;
}

} // namespace ramfile
