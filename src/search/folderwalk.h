#pragma once

#include "search/listingsahead.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>

// What the folder walk reads and drives.
struct WalkContext {
    const bool& cancelFlag;
    // Told of each folder the walk enters, before its entries are offered.
    std::function<void(const QByteArray& folder)> folderEntered;
    // Offered each entry of the folder, which is open as folderFd.
    std::function<void(const QByteArray& folderPath, const QByteArray& name, int folderFd)> filterEntry;
    // Called whenever the window has waited kMaxPauseMs, at a folder's
    // entry or within a large folder, so it never freezes.
    std::function<void()> letEventsRun;

    // Folders already entered (device, inode): a link to one of them, a
    // loop or not, is not entered again, so every walk ends.
    std::set<std::pair<quint64, quint64>> entered = {};
    // Whether each device met so far holds a kernel pseudo file system.
    std::map<quint64, bool> pseudoDevices = {};
    QElapsedTimer sinceEvents = {};
    // Reads folders ahead of the walk: see startReadingAhead. Without it,
    // every folder is read on the walk's thread.
    std::unique_ptr<ListingsAhead> ahead = {};
    bool moreReaders = false;
};

// One reader lists and sorts folders beside the walk from the start, and
// the walk's thread never waits on a read itself (the window runs, a
// cancel is seen); once kSlowReadsForMoreReaders reads were slow (a
// network share, a sleeping disk), kMoreReaders more overlap the waits.
void startReadingAhead(WalkContext& context);
inline constexpr int kSlowReadsForMoreReaders = 3;
inline constexpr int kMoreReaders = 2;

inline constexpr int kMaxPauseMs = 10;

// Whether the folder lies on a kernel pseudo file system (/proc, /sys...),
// which holds the kernel's view of itself rather than files.
bool isPseudoFileSystem(const QByteArray& folder);

// Visits the folder and everything below it, depth first, offering every
// entry to the filter before any subfolder is walked. Kernel pseudo file
// systems (/proc, /sys...) are not entered.
void WalkFolder(const QByteArray& path, WalkContext& context);
