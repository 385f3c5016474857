#include "search/listingsahead.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

FolderListing::FolderListing(FolderListing&& other) noexcept
    : fd(std::exchange(other.fd, -1)), st(other.st), listed(other.listed), entries(std::move(other.entries))
{
}

FolderListing& FolderListing::operator=(FolderListing&& other) noexcept
{
    std::swap(fd, other.fd);
    st = other.st;
    listed = other.listed;
    entries = std::move(other.entries);
    return *this;
}

FolderListing::~FolderListing()
{
    if (fd >= 0)
        ::close(fd);
}

FolderListing openFolder(const QByteArray& folder)
{
    FolderListing listing;
    listing.fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing.fd >= 0 && ::fstat(listing.fd, &listing.st) != 0)
        ::close(std::exchange(listing.fd, -1));
    return listing;
}

FolderListing readFolder(const QByteArray& folder)
{
    FolderListing listing = openFolder(folder);
    if (listing.opened())
        listing.listed = folderlisting::list(listing.fd, listing.entries);
    return listing;
}

ListingsAhead::ListingsAhead(int readers)
{
    for (int i = 0; i < readers; ++i)
        addReader();
}

void ListingsAhead::addReader()
{
    std::thread([state = state_] { readLoop(state); }).detach();
}

int ListingsAhead::slowReads() const
{
    std::lock_guard lock(state_->mutex);
    return state_->slowReads;
}

ListingsAhead::~ListingsAhead()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        state_->waiting.clear();
        state_->ready.clear();
    }
    state_->changed.notify_all();
}

void ListingsAhead::expect(const std::vector<QByteArray>& folders)
{
    {
        std::lock_guard lock(state_->mutex);
        state_->waiting.insert(state_->waiting.begin(), folders.begin(), folders.end());
    }
    state_->changed.notify_all();
}

std::unique_ptr<FolderListing> ListingsAhead::take(const QByteArray& folder, int timeoutMs)
{
    State& state = *state_;
    std::unique_lock lock(state.mutex);
    if (!state.ready.contains(folder) && !state.reading.contains(folder)) {
        const auto waiting = std::find(state.waiting.begin(), state.waiting.end(), folder);
        if (waiting != state.waiting.end())
            state.waiting.erase(waiting);
        state.waiting.push_front(folder);
    }
    state.wanted = folder;
    state.changed.notify_all();
    if (!state.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state.ready.contains(folder); }))
        return nullptr;
    auto listing = std::move(state.ready[folder]);
    state.ready.erase(folder);
    state.wanted.clear();
    lock.unlock();
    state.changed.notify_all(); // room for another read
    return listing;
}

void ListingsAhead::readLoop(const std::shared_ptr<State>& state)
{
    std::unique_lock lock(state->mutex);
    while (true) {
        state->changed.wait(lock, [&] {
            return state->stopping ||
                   (!state->waiting.empty() && (state->ready.size() + state->reading.size() < kMaxAhead ||
                                                state->waiting.front() == state->wanted));
        });
        if (state->stopping)
            return;
        const QByteArray folder = state->waiting.front();
        state->waiting.pop_front();
        state->reading[folder] = true;
        lock.unlock();
        const auto started = std::chrono::steady_clock::now();
        auto listing = std::make_unique<FolderListing>(readFolder(folder));
        const bool slow = std::chrono::steady_clock::now() - started >= std::chrono::milliseconds(kSlowReadMs);
        lock.lock();
        state->slowReads += slow;
        state->reading.erase(folder);
        if (!state->stopping)
            state->ready[folder] = std::move(listing);
        state->changed.notify_all();
    }
}
