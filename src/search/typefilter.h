#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

class ListView;
struct FileTypeChoice;

// Patterns ("*" matches any run of characters, case aside) made ready for
// many names: the "*.EXT" ones as a set of plain-ASCII extensions, looked up
// by the name's own; the rest matched in upper case.
class PatternSet {
public:
    PatternSet() = default;
    explicit PatternSet(const QStringList& patterns);
    // Whether the name fits one of the patterns.
    bool fits(const QByteArray& name) const;

private:
    std::unordered_set<std::string> extensions_;
    QStringList upperPatterns_;
};

// The patterns a walk matches entries against: the current mode's checked
// types (documented types first, then the others), read afresh whenever
// asked, as the user may change them while a walk runs.
class TypeFilter {
public:
    TypeFilter(std::function<bool()> isVideoMode, FileTypeChoice& media, FileTypeChoice& pictures);
    // Null when no type is checked; the same object while the patterns
    // stay the same, so comparing two answers tells whether they changed.
    std::shared_ptr<const PatternSet> current();

private:
    std::function<bool()> isVideoMode_;
    FileTypeChoice& media_;
    FileTypeChoice& pictures_;
    QStringList lastPatterns_;
    QStringList lastOthers_;
    std::shared_ptr<const PatternSet> current_;
};

// Offers one listed entry to the filter: when the name fits one of the
// patterns and the entry still exists, the size its row shows, in KB
// (-1 for a folder); otherwise nothing. The folder may be given open
// (folderFd), so the entry is looked at relative to it. Safe on any thread.
std::optional<qint64> FilterEntry(const QByteArray& folderPath, const QByteArray& name, const PatternSet& patterns,
                                  int folderFd = AT_FDCWD);

// Appends the entry's row: name, size in KB or "フォルダ", folder.
void AddListRow(const QByteArray& folderPath, const QByteArray& name, qint64 sizeKb, ListView& list);

// "*" matches any run of characters, every other character itself.
// Both texts are expected in upper case already.
bool wildcardMatch(QStringView name, QStringView pattern);

// (length + 1023) / 1024, on 64-bit lengths.
qint64 sizeInKb(qint64 length);
