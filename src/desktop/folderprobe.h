#pragma once

#include <QByteArray>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

class QObject;

// "Is it a folder?" asked where the answer may never come (a mount whose
// network server has stopped): each path is looked up on a thread of its
// own, and the caller waits no longer than its patience. A path whose
// look-up still hangs is not looked up again until that one answers, and
// an answer that came after the patience stands for a second (a busy
// machine answers late, and asking again would only wait again).
namespace folderprobe {

using std::chrono::milliseconds;

// For each path: whether it is a folder (following links), or nothing when
// the file system did not answer in time.
std::vector<std::optional<bool>> areFolders(const std::vector<QByteArray>& paths, milliseconds patience);

std::optional<bool> isFolder(const QByteArray& path, milliseconds patience);

// Calls done with the answer on context's thread once the file system
// gives it, unless context is gone by then.
void whenAnswered(const QByteArray& path, QObject* context, std::function<void(bool folder)> done);

} // namespace folderprobe
