#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class DirList;

// What the folder walk reads and drives.
struct WalkContext {
    const bool& cancelFlag;
    DirList& folderList;
    std::function<void(const QByteArray& folderPath, const QByteArray& name)> filterEntry;
    std::function<void()> letEventsRun;

    // Folders on the current walk path (device, inode): a link back to one
    // of them is not entered again, so a link loop ends.
    std::vector<std::pair<quint64, quint64>> openFolders = {};
};

// Visits the folder and everything below it, depth first, offering every
// entry to the filter before any subfolder is walked.
void WalkFolder(const QByteArray& path, WalkContext& context);

QByteArray AddBackslash(const QByteArray& path);
QString AddBackslash(const QString& path);
