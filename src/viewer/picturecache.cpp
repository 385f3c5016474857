#include "viewer/picturecache.h"

#include "viewer/pictureloader.h"

#include <sys/stat.h>

PictureCache::PictureCache(TargetSize targetSize) : targetSize_(std::move(targetSize)) {}

void PictureCache::retarget(TargetSize targetSize)
{
    targetSize_ = std::move(targetSize);
    ++target_;
}

PictureCache::~PictureCache()
{
    readers_.waitForDone();
}

std::optional<PictureCache::Stamp> PictureCache::stampOf(const QByteArray& path)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return Stamp{qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, qint64(st.st_size)};
}

std::optional<PictureCache::Picture> PictureCache::read(const QByteArray& path, const TargetSize& targetSize)
{
    const std::optional<QSize> natural = pictureloader::naturalSize(path);
    if (!natural)
        return std::nullopt;
    QImage image = pictureloader::decode(path, targetSize(*natural));
    if (image.isNull())
        return std::nullopt;
    return Picture{*natural, std::move(image)};
}

PictureCache::Entry* PictureCache::find(const QByteArray& path, const Stamp& stamp)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path == path && it->stamp == stamp && it->target == target_) {
            entries_.splice(entries_.begin(), entries_, it);
            return &entries_.front();
        }
    }
    return nullptr;
}

void PictureCache::remember(Entry entry)
{
    std::erase_if(entries_, [&](const Entry& e) {
        return e.path == entry.path && e.picture.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    entries_.push_front(std::move(entry));
    ++reads_;
}

void PictureCache::keepOnly(const QList<QByteArray>& paths)
{
    std::erase_if(entries_, [&](const Entry& e) {
        const bool gone = e.target != target_ || !paths.contains(e.path);
        if (gone)
            *e.cancelled = true;
        return gone;
    });
}

std::optional<PictureCache::Picture> PictureCache::obtain(const QByteArray& path)
{
    const std::optional<Stamp> stamp = stampOf(path);
    if (!stamp)
        return std::nullopt;
    if (Entry* hit = find(path, *stamp))
        return hit->picture.get();
    std::promise<std::optional<Picture>> done;
    done.set_value(read(path, targetSize_));
    Entry entry{path, *stamp, target_, done.get_future().share()};
    std::optional<Picture> picture = entry.picture.get();
    remember(std::move(entry));
    return picture;
}

void PictureCache::readAhead(const QByteArray& path, std::function<void()> done)
{
    const std::optional<Stamp> stamp = stampOf(path);
    if (!stamp)
        return;
    const auto tell = [this, done] {
        if (done)
            QMetaObject::invokeMethod(&doneCalls_, done, Qt::QueuedConnection);
    };
    if (Entry* known = find(path, *stamp)) {
        // Already being read: told once that read is done.
        if (done)
            readers_.start([picture = known->picture, tell] {
                picture.wait();
                tell();
            });
        return;
    }
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    auto task = std::make_shared<std::packaged_task<std::optional<Picture>()>>(
        [path, targetSize = targetSize_, cancelled]() -> std::optional<Picture> {
            if (*cancelled)
                return std::nullopt;
            return read(path, targetSize);
        });
    Entry entry{path, *stamp, target_, task->get_future().share(), cancelled};
    readers_.start([task, tell] {
        (*task)();
        tell();
    });
    remember(std::move(entry));
}

bool PictureCache::isReady(const QByteArray& path)
{
    const std::optional<Stamp> stamp = stampOf(path);
    const Entry* entry = stamp ? find(path, *stamp) : nullptr;
    return entry && entry->picture.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}
