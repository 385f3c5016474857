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
        std::thread([state = state_] { readLoop(state); }).detach();
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

ListingsAhead::Taken ListingsAhead::take(const QByteArray& folder, int timeoutMs)
{
    State& state = *state_;
    std::unique_lock lock(state.mutex);
    const auto notStarted = std::find(state.waiting.begin(), state.waiting.end(), folder);
    if (notStarted != state.waiting.end()) {
        state.waiting.erase(notStarted);
        return {};
    }
    if (!state.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return !state.reading.contains(folder); }))
        return {false, nullptr};
    const auto found = state.ready.find(folder);
    if (found == state.ready.end())
        return {};
    Taken taken{true, std::move(found->second)};
    state.ready.erase(found);
    lock.unlock();
    state.changed.notify_all(); // room for another read
    return taken;
}

void ListingsAhead::readLoop(const std::shared_ptr<State>& state)
{
    std::unique_lock lock(state->mutex);
    while (true) {
        state->changed.wait(lock, [&] {
            return state->stopping ||
                   (!state->waiting.empty() && state->ready.size() + state->reading.size() < kMaxAhead);
        });
        if (state->stopping)
            return;
        const QByteArray folder = state->waiting.front();
        state->waiting.pop_front();
        state->reading[folder] = true;
        lock.unlock();
        auto listing = std::make_unique<FolderListing>(readFolder(folder));
        lock.lock();
        state->reading.erase(folder);
        if (!state->stopping)
            state->ready[folder] = std::move(listing);
        state->changed.notify_all();
    }
}
