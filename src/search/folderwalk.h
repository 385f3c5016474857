#pragma once

#include "search/listingsahead.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <set>
#include <utility>

// What the folder walk reads and drives.
struct WalkContext {
    const bool& cancelFlag;
    // Told of each folder the walk enters, before its entries are offered.
    std::function<void(const QByteArray& folder)> folderEntered;
    // The patterns entries become rows by (null: none), asked again
    // whenever the window's events ran, as the user may change them.
    std::function<std::shared_ptr<const PatternSet>()> patterns;
    // Told of each entry that became a row, with the size its row shows.
    std::function<void(const QByteArray& folderPath, const QByteArray& name, qint64 sizeKb)> addRow;
    // Called whenever the window has waited kMaxPauseMs, at a folder's
    // entry or within a large folder, so it never freezes.
    std::function<void()> letEventsRun;

    // Folders already entered (device, inode): a link to one of them, a
    // loop or not, is not entered again, so every walk ends.
    std::set<std::pair<quint64, quint64>> entered = {};
    QElapsedTimer sinceEvents = {};
    std::shared_ptr<const PatternSet> currentPatterns = {}; // as last asked
    std::unique_ptr<ListingsAhead> readers = std::make_unique<ListingsAhead>();
};

inline constexpr int kMaxPauseMs = 10;

// Visits the folder and everything below it, depth first, offering every
// entry to the filter before any subfolder is walked. Kernel pseudo file
// systems (/proc, /sys...) are not entered.
void WalkFolder(const QByteArray& path, WalkContext& context);
