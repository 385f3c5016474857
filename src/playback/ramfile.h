#pragma once

#include <QByteArray>
#include <QList>

// A .ram file is a text file naming clips, one a line. Blank lines and
// lines starting with "#" are skipped; file:// URLs and paths relative to
// the .ram's folder are resolved; other URLs are passed on as they stand.
namespace ramfile {

bool isRamFile(const QByteArray& path);
// The entries, or an empty list when the file cannot be read.
QList<QByteArray> entries(const QByteArray& path);

} // namespace ramfile
