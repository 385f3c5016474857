#pragma once

#include <QByteArray>
#include <QList>

// A .ram file is a text file naming clips, one a line. Blank lines and
// lines starting with "#" are skipped; file:// URLs and paths relative to
// the .ram's folder are resolved. The program plays local folders: network
// URLs and other .ram files are passed over, and a file that is not a
// regular file, larger than 64 KiB or with more than 1,000 entries is not
// a playlist.
namespace ramfile {

bool isRamFile(const QByteArray& path);
// The local entries, or an empty list when the file is not a playlist.
QList<QByteArray> entries(const QByteArray& path);

} // namespace ramfile
