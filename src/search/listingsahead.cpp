#include "search/listingsahead.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// The subfolders and the matches of an open folder's entries, in order.
void lookAtEntries(int folderFd, const QByteArray& folder, const PatternSet* patterns, FolderListing& listing)
{
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const folderlisting::Entry& entry = listing.entries[i];
        if (folderlisting::isSubfolder(folderFd, entry))
            listing.subfolders.push_back(folder + entry.name + '/');
        if (!patterns)
            continue;
        if (const std::optional<qint64> sizeKb = FilterEntry(folder, entry.name, *patterns, folderFd))
            listing.matches.push_back({i, *sizeKb});
    }
}

// Opens, looks at and (unless onPseudoFileSystem says it holds the
// kernel's view of itself rather than files) lists and looks at a folder.
template <typename IsPseudo>
FolderListing readFolder(const QByteArray& folder, std::shared_ptr<const PatternSet> patterns, IsPseudo onPseudoFileSystem)
{
    FolderListing listing;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return listing;
    listing.opened = ::fstat(fd, &listing.st) == 0;
    listing.onPseudoFileSystem = listing.opened && onPseudoFileSystem(listing.st.st_dev);
    if (listing.opened && !listing.onPseudoFileSystem) {
        listing.listed = folderlisting::list(fd, listing.entries);
        lookAtEntries(fd, folder, patterns.get(), listing);
        listing.matchedWith = std::move(patterns);
    }
    ::close(fd);
    return listing;
}

WalkKey subfolderKey(const WalkKey& parent, size_t number)
{
    WalkKey key(parent);
    key.push_back(static_cast<quint32>(number));
    return key;
}

} // namespace

ListingsAhead::ListingsAhead(int readers)
{
    for (int i = 0; i < readers; ++i)
        addReader(state_);
}

void ListingsAhead::addReader(const std::shared_ptr<State>& state)
{
    std::thread([state] { readLoop(state); }).detach();
}

// Called with the state locked.
void ListingsAhead::noteReadTime(const std::shared_ptr<State>& state, std::chrono::steady_clock::duration took)
{
    ++state->reads;
    state->slowReads += took >= std::chrono::milliseconds(kSlowReadMs);
    if (!state->moreReaders && state->slowReads >= kSlowReadsForMoreReaders && state->slowReads * 4 >= state->reads) {
        state->moreReaders = true;
        for (int i = 0; i < kMoreReaders; ++i)
            addReader(state);
    }
}

ListingsAhead::~ListingsAhead()
{
    {
        // What is left goes with the state, freed by the last reader to
        // end, not here: a folder of a million names takes tens of
        // milliseconds to free.
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        std::move(givenBack_.begin(), givenBack_.end(), std::back_inserter(state_->spent));
    }
    state_->readerWake.notify_all();
}

void ListingsAhead::matchWith(std::shared_ptr<const PatternSet> patterns)
{
    std::lock_guard lock(state_->mutex);
    state_->patterns = std::move(patterns);
}

std::unique_ptr<FolderListing> ListingsAhead::take(const QByteArray& folder, const WalkKey& key, int timeoutMs)
{
    State& state = *state_;
    std::unique_lock lock(state.mutex);
    std::move(givenBack_.begin(), givenBack_.end(), std::back_inserter(state.spent));
    givenBack_.clear();
    state.walkAt = key;
    state.waiting.erase(state.waiting.begin(), state.waiting.lower_bound(key));
    state.dropReadyBefore(key);
    if (!state.ready.contains(key)) {
        state.wanted = {key, folder};
        state.wakeAReaderIfWorkWaits();
        state.walkWaits = true;
        state.walkWake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state.walkMayGoOn(key); });
        state.walkWaits = false;
        if (!state.ready.contains(key))
            return nullptr;
    }
    std::unique_ptr<FolderListing> listing = state.takeReady(key);
    state.wanted.reset();
    state.wakeAReaderIfWorkWaits(); // room for another read
    return listing;
}

void ListingsAhead::giveBack(std::unique_ptr<FolderListing> listing)
{
    givenBack_.push_back(std::move(listing));
}

std::optional<std::pair<WalkKey, QByteArray>> ListingsAhead::State::nextRead()
{
    if (wanted && !ready.contains(wanted->first) && !reading.contains(wanted->first)) {
        waiting.erase(wanted->first);
        return wanted;
    }
    if (waiting.empty() || aheadIsFull())
        return std::nullopt;
    auto soonest = waiting.extract(waiting.begin());
    return std::pair{std::move(soonest.key()), std::move(soonest.mapped())};
}

bool ListingsAhead::State::aheadIsFull() const
{
    return ready.size() + reading.size() >= kMaxAhead || readyEntries >= kMaxEntriesAhead;
}

std::unique_ptr<FolderListing> ListingsAhead::State::takeReady(const WalkKey& key)
{
    auto taken = ready.extract(key);
    readyEntries -= taken.mapped()->entries.size();
    return std::move(taken.mapped());
}

void ListingsAhead::State::dropReadyBefore(const WalkKey& key)
{
    const auto end = ready.lower_bound(key);
    for (auto it = ready.begin(); it != end; ++it)
        readyEntries -= it->second->entries.size();
    ready.erase(ready.begin(), end);
}

void ListingsAhead::State::wakeAReaderIfWorkWaits()
{
    const bool wantedUnread = wanted && !ready.contains(wanted->first) && !reading.contains(wanted->first);
    const bool roomAhead = !waiting.empty() && ready.size() + reading.size() <= kMaxAhead / 2 &&
                           readyEntries <= kMaxEntriesAhead / 2;
    if (idleReaders > 0 && (wantedUnread || roomAhead))
        readerWake.notify_one();
}

bool ListingsAhead::State::walkMayGoOn(const WalkKey& key) const
{
    return ready.contains(key) && (ready.size() >= kBatch || aheadIsFull() || (reading.empty() && waiting.empty()));
}

// Keeps a listing the walk will still ask for, and sends for its
// subfolders (the first time the folder is met: links may lead back).
void ListingsAhead::State::finish(const WalkKey& key, std::unique_ptr<FolderListing> listing)
{
    reading.erase(key);
    if (stopping || key < walkAt)
        return;
    if (listing->listed && followed.insert({listing->st.st_dev, listing->st.st_ino}).second) {
        for (size_t i = 0; i < listing->subfolders.size(); ++i)
            waiting.emplace(subfolderKey(key, i), listing->subfolders[i]);
    }
    readyEntries += listing->entries.size();
    ready[key] = std::move(listing);
    if (walkWaits && wanted && walkMayGoOn(wanted->first))
        walkWake.notify_one();
}

void ListingsAhead::readLoop(const std::shared_ptr<State>& state)
{
    // Whether each device met holds a pseudo file system: looked up once a
    // device, not once a folder.
    std::map<quint64, bool> pseudoDevices;
    std::unique_lock lock(state->mutex);
    while (true) {
        std::optional<std::pair<WalkKey, QByteArray>> next;
        if (!state->stopping && !(next = state->nextRead())) {
            ++state->idleReaders;
            state->readerWake.wait(lock, [&] { return state->stopping || (next = state->nextRead()); });
            --state->idleReaders;
        }
        if (state->stopping)
            return;
        const auto& [key, folder] = *next;
        state->reading.insert(key);
        std::shared_ptr<const PatternSet> patterns = state->patterns;
        std::vector<std::unique_ptr<FolderListing>> spent = std::exchange(state->spent, {});
        lock.unlock();
        spent.clear();
        const auto started = std::chrono::steady_clock::now();
        auto listing = std::make_unique<FolderListing>(readFolder(folder, std::move(patterns), [&](quint64 device) {
            const auto [known, isNew] = pseudoDevices.try_emplace(device, false);
            if (isNew)
                known->second = folderlisting::isPseudoFileSystem(folder);
            return known->second;
        }));
        const auto took = std::chrono::steady_clock::now() - started;
        lock.lock();
        noteReadTime(state, took);
        state->finish(key, std::move(listing));
        state->wakeAReaderIfWorkWaits();
    }
}
