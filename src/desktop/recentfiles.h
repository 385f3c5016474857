#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The desktop's list of recently used files and folders
// ($XDG_DATA_HOME/recently-used.xbel, as file choosers and docks read it).
namespace recentfiles {

// The list's file.
QString listPath();

// Adds the path (or marks it used again now) for this program, keeping
// every other entry as it was. The file is replaced whole, never left
// half written. False when it could not be written.
bool add(const QByteArray& path, bool isFolder, const QDateTime& when = QDateTime::currentDateTimeUtc());

} // namespace recentfiles
