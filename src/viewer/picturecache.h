#pragma once

#include <QByteArray>
#include <QList>
#include <QImage>
#include <QObject>
#include <QSize>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <optional>

// Pictures decoded at their shown size, the current one and those read
// ahead. Every look at the disk happens on a reader thread of its own, so
// a file on a mount that never answers holds a reader, never the window:
// the window waits for a picture no longer than it chooses. The caller
// says which pictures to keep; one whose file changed on disk since it
// was read is read again.
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

    // Asks for the picture and waits for it at most patience: the picture,
    // or nothing when the file is not a readable picture or the read is
    // later. Then whenLate is called on this thread once it is read, unless
    // the cache is gone by then.
    std::optional<Picture> ask(const QByteArray& path, std::chrono::milliseconds patience, std::function<void()> whenLate);
    // Starts reading the picture in the background.
    void readAhead(const QByteArray& path);
    // Whether the picture was read, at the current size, and is kept.
    bool isReady(const QByteArray& path) const;
    // Whether a late picture's call is still to come.
    bool hasLateCalls() const { return lateCalls_ > 0; }
    // Forgets every other picture; reads of them not yet decoding are
    // cancelled, those decoding are forgotten once they end.
    void keepOnly(const QList<QByteArray>& paths);
    // How many decodes were begun so far.
    int reads() const;

    struct Stamp {
        qint64 modified = 0;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    struct Read;
    struct Readers;

private:
    struct Entry {
        QByteArray path;
        int target; // the target size's generation
        std::shared_ptr<Read> read;
    };

    Entry* find(const QByteArray& path);
    const Entry* find(const QByteArray& path) const;
    std::shared_ptr<Read> start(const QByteArray& path);

    TargetSize targetSize_;
    int target_ = 0;
    int lateCalls_ = 0;
    std::list<Entry> entries_; // most recently used first
    // Late calls are queued to it; they go with it.
    QObject lateCallsTo_;
    std::shared_ptr<Readers> readers_;
};
