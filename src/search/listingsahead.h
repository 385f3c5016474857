#pragma once

#include "search/folderlisting.h"

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <vector>

// A folder opened and listed, ready for the walk to enter.
struct FolderListing {
    int fd = -1; // open while the listing lives
    struct stat st = {};
    bool listed = false;
    std::vector<folderlisting::Entry> entries;

    FolderListing() = default;
    FolderListing(FolderListing&& other) noexcept;
    FolderListing& operator=(FolderListing&& other) noexcept;
    ~FolderListing();
    bool opened() const { return fd >= 0; }
};

// Opens a folder by its path (not listed yet); not opened when it cannot
// be opened or looked at.
FolderListing openFolder(const QByteArray& folder);
// Opens and lists a folder by its path.
FolderListing readFolder(const QByteArray& folder);

// Folder listings read (and sorted) ahead on worker threads, beside the
// walk, and on a slow file system (a network share, a sleeping disk) with
// the reads overlapping. The walk still enters folders one by one in its
// own order: nothing it does is moved, only the waits are shorter. The
// folders expected soonest (the walk is depth first: the subfolders of
// the folder just entered) are read first.
class ListingsAhead {
public:
    // A read this long is slow (a network share, a sleeping disk; a local
    // folder takes microseconds).
    static constexpr int kSlowReadMs = 2;

    explicit ListingsAhead(int readers = 2);
    // Does not wait for reads in flight (a stopped network server may
    // never answer): the readers end on their own, and close what they read.
    ~ListingsAhead();

    // The walk will enter these folders, in this order, before the ones
    // it expected earlier.
    void expect(const std::vector<QByteArray>& folders);
    // The folder's listing, read by a reader (first, if it was not read
    // yet), waited for at most timeoutMs: null when it is not ready by
    // then. The walk's thread never reads a folder itself, so a file
    // system that never answers never holds it.
    std::unique_ptr<FolderListing> take(const QByteArray& folder, int timeoutMs);
    // Reads that took kSlowReadMs or more so far.
    int slowReads() const;
    void addReader();

private:
    static constexpr size_t kMaxAhead = 32; // listings read and not yet taken, or being read

    // Shared with the readers, which may outlive the object.
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<QByteArray> waiting; // expected, not started; soonest first
        std::map<QByteArray, std::unique_ptr<FolderListing>> ready;
        std::map<QByteArray, bool> reading;
        QByteArray wanted; // the walk waits for it: read next, whatever is ahead
        bool stopping = false;
        int slowReads = 0;
    };
    static void readLoop(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_ = std::make_shared<State>();
};
