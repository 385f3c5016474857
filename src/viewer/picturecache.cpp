#include "viewer/picturecache.h"

#include "viewer/pictureloader.h"

#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <vector>

// One picture's read, shared by the cache and its reader thread.
struct PictureCache::Read {
    std::atomic<bool> cancelled = false;
    bool decoding = false; // under the readers' lock, as are the fields below
    bool done = false;
    std::optional<Stamp> stamp; // of the file read; none when not to be used again
    std::optional<Picture> picture;
    std::vector<std::function<void()>> whenDone;
};

// What the reader threads share; it outlives the cache while one of them
// still waits for the disk.
struct PictureCache::Readers {
    std::mutex lock;
    std::condition_variable changed;
    QObject* callsTo = nullptr; // none once the cache is gone
    bool closing = false;
    int decoding = 0;
    std::set<quint64> waitingTurns;
    quint64 nextTurn = 0;
    std::atomic<int> decodes = 0;
};

namespace {

using Readers = PictureCache::Readers;
using Read = PictureCache::Read;

// At most this many pictures decode at once, in the order they were asked
// for; more would only slow the one the user waits for.
const int kDecodingAtOnce = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
constexpr std::chrono::seconds kCloseWait{1};

std::optional<PictureCache::Stamp> stampOf(const QByteArray& path)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return PictureCache::Stamp{qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, qint64(st.st_size)};
}

// Waits for a turn to decode; false when the read was cancelled meanwhile.
bool takeTurn(Readers& readers, Read& read)
{
    std::unique_lock<std::mutex> hold(readers.lock);
    const quint64 turn = readers.nextTurn++;
    readers.waitingTurns.insert(turn);
    readers.changed.wait(hold, [&] {
        return read.cancelled || readers.closing ||
               (readers.decoding < kDecodingAtOnce && *readers.waitingTurns.begin() == turn);
    });
    readers.waitingTurns.erase(turn);
    readers.changed.notify_all(); // the next turn may be due
    if (read.cancelled || readers.closing)
        return false;
    ++readers.decoding;
    read.decoding = true;
    return true;
}

void endTurn(Readers& readers, Read& read)
{
    const std::lock_guard<std::mutex> hold(readers.lock);
    --readers.decoding;
    read.decoding = false;
    readers.changed.notify_all();
}

std::optional<PictureCache::Picture> decode(const QByteArray& path, const PictureCache::TargetSize& targetSize)
{
    const std::optional<QSize> natural = pictureloader::naturalSize(path);
    if (!natural)
        return std::nullopt;
    QImage image = pictureloader::decode(path, targetSize(*natural));
    if (image.isNull())
        return std::nullopt;
    return PictureCache::Picture{*natural, std::move(image)};
}

// A reader's whole job: the answer read before, when the file has not
// changed since, else the file decoded in its turn.
void readPicture(Readers& readers, Read& read, const QByteArray& path, const std::shared_ptr<const Read>& before,
                 const PictureCache::TargetSize& targetSize)
{
    std::optional<PictureCache::Stamp> stamp = stampOf(path);
    std::optional<PictureCache::Picture> picture;
    bool known = false;
    if (stamp && before) {
        const std::lock_guard<std::mutex> hold(readers.lock);
        known = before->stamp == stamp;
        if (known)
            picture = before->picture;
    }
    if (stamp && !known) {
        if (takeTurn(readers, read)) {
            ++readers.decodes;
            picture = decode(path, targetSize);
            endTurn(readers, read);
        } else {
            stamp.reset(); // cancelled: not an answer to use again
        }
    }
    const std::lock_guard<std::mutex> hold(readers.lock);
    read.stamp = stamp;
    read.picture = std::move(picture);
    read.done = true;
    for (std::function<void()>& call : read.whenDone) {
        if (readers.callsTo)
            QMetaObject::invokeMethod(readers.callsTo, std::move(call), Qt::QueuedConnection);
    }
    read.whenDone.clear();
    readers.changed.notify_all();
}

} // namespace

PictureCache::PictureCache(TargetSize targetSize)
    : targetSize_(std::move(targetSize)), readers_(std::make_shared<Readers>())
{
    readers_->callsTo = &lateCallsTo_;
}

PictureCache::~PictureCache()
{
    std::unique_lock<std::mutex> hold(readers_->lock);
    readers_->callsTo = nullptr;
    readers_->closing = true;
    for (const Entry& entry : entries_)
        entry.read->cancelled = true;
    readers_->changed.notify_all();
    // Decodes end soon; a reader held by a mount that never answers is left.
    readers_->changed.wait_for(hold, kCloseWait, [this] { return readers_->decoding == 0; });
}

void PictureCache::retarget(TargetSize targetSize)
{
    targetSize_ = std::move(targetSize);
    ++target_;
}

PictureCache::Entry* PictureCache::find(const QByteArray& path)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path == path && it->target == target_) {
            entries_.splice(entries_.begin(), entries_, it);
            return &entries_.front();
        }
    }
    return nullptr;
}

const PictureCache::Entry* PictureCache::find(const QByteArray& path) const
{
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.path == path && e.target == target_; });
    return it == entries_.end() ? nullptr : &*it;
}

// The read still running for the picture, or a new one (which uses the
// answer read before if the file has not changed).
std::shared_ptr<PictureCache::Read> PictureCache::start(const QByteArray& path)
{
    std::shared_ptr<const Read> before;
    if (Entry* known = find(path)) {
        const std::lock_guard<std::mutex> hold(readers_->lock);
        if (!known->read->done)
            return known->read;
        before = known->read;
    }
    auto read = std::make_shared<Read>();
    std::erase_if(entries_, [&](const Entry& e) { return e.path == path; });
    entries_.push_front({path, target_, read});
    std::thread([readers = readers_, read, path, before, targetSize = targetSize_] {
        readPicture(*readers, *read, path, before, targetSize);
    }).detach();
    return read;
}

std::optional<PictureCache::Picture> PictureCache::ask(const QByteArray& path, std::chrono::milliseconds patience,
                                       std::function<void()> whenLate)
{
    const std::shared_ptr<Read> read = start(path);
    std::unique_lock<std::mutex> hold(readers_->lock);
    if (readers_->changed.wait_for(hold, patience, [&read] { return read->done; }))
        return read->picture;
    ++lateCalls_;
    read->whenDone.push_back([this, whenLate = std::move(whenLate)] {
        --lateCalls_;
        whenLate();
    });
    return {};
}

void PictureCache::readAhead(const QByteArray& path)
{
    if (!find(path))
        start(path);
}

bool PictureCache::isReady(const QByteArray& path) const
{
    const Entry* entry = find(path);
    const std::lock_guard<std::mutex> hold(readers_->lock);
    return entry && entry->read->done;
}

void PictureCache::keepOnly(const QList<QByteArray>& paths)
{
    const std::lock_guard<std::mutex> hold(readers_->lock);
    std::erase_if(entries_, [&](const Entry& e) {
        if (e.target == target_ && paths.contains(e.path))
            return false;
        // A decode in progress runs to its end: kept until then, so that
        // asking for the picture again waits for it instead of decoding it
        // a second time beside it.
        if (e.target == target_ && e.read->decoding)
            return false;
        e.read->cancelled = true;
        return true;
    });
    readers_->changed.notify_all();
}

int PictureCache::reads() const
{
    return readers_->decodes;
}
