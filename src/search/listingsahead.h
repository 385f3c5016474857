#pragma once

#include "search/folderlisting.h"
#include "search/typefilter.h"

#include <QByteArray>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <vector>

// A folder's place in the walk: the numbers of the subfolders leading to
// it from where the walk started. The walk's order (depth first, each
// folder before its subfolders) is the order of these keys.
using WalkKey = std::vector<quint32>;

// A folder read, sorted and looked at, ready for the walk to enter.
struct FolderListing {
    bool opened = false; // it could be opened and looked at (st)
    struct stat st = {};
    bool onPseudoFileSystem = false; // then not listed
    bool listed = false;
    std::vector<folderlisting::Entry> entries;
    // The full paths of its subfolders (ending in "/"), in listing order.
    std::vector<QByteArray> subfolders;
    // The entries that became rows by matchedWith, and their sizes.
    struct Match {
        size_t entry;
        qint64 sizeKb;
    };
    std::vector<Match> matches;
    std::shared_ptr<const PatternSet> matchedWith;
};

// Readers that do each folder's whole job beside the walk — open, list,
// sort, find the subfolders, match the entries and look at the matches —
// and go on to the subfolders they find, soonest in walk order first. The
// walk takes finished folders in its own order; it never reads a folder
// itself, so a file system that never answers never holds it. On a slow
// file system (a network share, a sleeping disk) more readers overlap the
// waits.
class ListingsAhead {
public:
    // A read this long is slow (a local folder takes microseconds). Once
    // kSlowReadsForMoreReaders reads, and a quarter of all, were slow (a
    // busy processor makes the odd read slow, a slow file system all of
    // them), kMoreReaders more readers overlap the waits.
    static constexpr int kSlowReadMs = 2;
    static constexpr int kSlowReadsForMoreReaders = 3;
    static constexpr int kMoreReaders = 2;

    // Listings read and not yet taken, or being read: readers stop at
    // kMaxAhead, or kMaxEntriesAhead entries ready, and start again once
    // the walk brought them down to half; a waiting walk goes on once
    // kBatch are ready (or no more are coming). Each side thus sleeps and
    // wakes once a batch, not once a folder, and on a busy processor the
    // readers seldom wait for the walk to be given its turn.
    static constexpr size_t kMaxAhead = 1024;
    static constexpr size_t kMaxEntriesAhead = 65536;
    static constexpr size_t kBatch = 64;

    explicit ListingsAhead(int readers = 2);
    // Does not wait for reads in flight (a stopped network server may
    // never answer): the readers end on their own.
    ~ListingsAhead();

    // Entries read from now on are matched against these (null: none).
    void matchWith(std::shared_ptr<const PatternSet> patterns);
    // The listing of the folder at this place in the walk (read first, if
    // it was not read yet), waited for at most timeoutMs: null when it is
    // not ready by then. The walk moves on: folders before it in the walk's
    // order are not asked for again.
    std::unique_ptr<FolderListing> take(const QByteArray& folder, const WalkKey& key, int timeoutMs);
    // A listing the walk is done with: a reader frees it.
    void giveBack(std::unique_ptr<FolderListing> listing);

private:
    // Shared with the readers, which may outlive the object.
    struct State {
        std::mutex mutex;
        // Each side is woken only when it waits and has cause to go on:
        // a wake-up is a system call and a thread switch, and a walk makes
        // tens of thousands of hand-overs.
        std::condition_variable readerWake; // work to do, or stopping
        std::condition_variable walkWake;   // the wanted folder is ready, and a batch
        int idleReaders = 0;
        bool walkWaits = false;
        std::map<WalkKey, QByteArray> waiting; // found, not read yet
        std::map<WalkKey, std::unique_ptr<FolderListing>> ready;
        size_t readyEntries = 0; // the entries of those
        std::set<WalkKey> reading;
        // The walk waits for it: read next, whatever is ahead.
        std::optional<std::pair<WalkKey, QByteArray>> wanted;
        WalkKey walkAt; // the folder the walk took last; nothing before it is needed
        std::shared_ptr<const PatternSet> patterns;
        // Folders whose subfolders were sent for (device, inode): a link
        // back up the tree, a loop, is not followed again.
        std::set<std::pair<quint64, quint64>> followed;
        std::vector<std::unique_ptr<FolderListing>> spent; // given back, to free
        bool stopping = false;
        int reads = 0;
        int slowReads = 0;
        bool moreReaders = false;

        std::optional<std::pair<WalkKey, QByteArray>> nextRead();
        bool aheadIsFull() const;
        std::unique_ptr<FolderListing> takeReady(const WalkKey& key);
        void dropReadyBefore(const WalkKey& key);
        void wakeAReaderIfWorkWaits();
        bool walkMayGoOn(const WalkKey& key) const;
        void finish(const WalkKey& key, std::unique_ptr<FolderListing> listing);
    };
    static void readLoop(const std::shared_ptr<State>& state);
    static void addReader(const std::shared_ptr<State>& state);
    static void noteReadTime(const std::shared_ptr<State>& state, std::chrono::steady_clock::duration took);

    std::shared_ptr<State> state_ = std::make_shared<State>();
    // Given back since the last take, which hands them to the readers.
    std::vector<std::unique_ptr<FolderListing>> givenBack_;
};
