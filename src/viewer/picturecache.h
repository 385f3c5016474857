#pragma once

#include <QByteArray>
#include <QList>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <future>
#include <list>
#include <optional>

// Pictures decoded at their shown size, the current one and those read
// ahead in the background. The caller says which to keep; an entry whose
// file changed on disk since it was read is read again.
class PictureCache {
public:
    struct Picture {
        QSize natural; // upright pixel size
        QImage image;  // decoded at the shown size
    };
    // The shown pixel size for a picture of the given natural size.
    using TargetSize = std::function<QSize(QSize natural)>;

    explicit PictureCache(TargetSize targetSize);
    ~PictureCache();

    // Pictures are shown at other sizes from now on (full screen, say):
    // those read at the old size are read again when asked for.
    void retarget(TargetSize targetSize);

    // The picture, from the cache or read now; nothing when the file is
    // not a readable picture.
    std::optional<Picture> obtain(const QByteArray& path);
    // Starts reading the picture in the background; done, if given, is
    // called on the UI thread once it is read, unless the cache is gone.
    void readAhead(const QByteArray& path, std::function<void()> done = {});
    // Whether the picture is read and waiting in the cache.
    bool isReady(const QByteArray& path);
    // Forgets every other picture; reads of them not yet begun are
    // cancelled.
    void keepOnly(const QList<QByteArray>& paths);
    // How many reads were begun so far.
    int reads() const { return reads_; }

private:
    struct Stamp {
        qint64 modified = 0;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        QByteArray path;
        Stamp stamp;
        int target; // the target size's generation
        std::shared_future<std::optional<Picture>> picture;
        std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    };

    static std::optional<Stamp> stampOf(const QByteArray& path);
    static std::optional<Picture> read(const QByteArray& path, const TargetSize& targetSize);
    Entry* find(const QByteArray& path, const Stamp& stamp);
    void remember(Entry entry);

    TargetSize targetSize_;
    int target_ = 0;
    int reads_ = 0;
    std::list<Entry> entries_; // most recently used first
    // Calls to done() wait here; they go with it.
    QObject doneCalls_;
    // Reads, and their waiters; it ends them before the cache goes.
    QThreadPool readers_;
};
