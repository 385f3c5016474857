#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <fcntl.h>
#include <functional>
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

// What the type filter reads and changes.
struct FilterContext {
    std::function<bool()> isVideoMode;
    FileTypeChoice& media;
    FileTypeChoice& pictures;
    ListView& list;
    long& foundCount;

    // The last pattern lists, and what they became, so a walk does not
    // convert the same patterns for every entry.
    QStringList lastPatterns = {};
    QStringList lastOthers = {};
    PatternSet patternSet = {};
};

// Offers one listed entry to the filter: on the first checked pattern of
// the current mode (documented types first, then the others) that the
// name fits, the entry becomes a row.
// The folder may be given open (folderFd), so the entry is looked at
// relative to it.
void FilterEntry(const QByteArray& folderPath, const QByteArray& name, FilterContext& context,
                 int folderFd = AT_FDCWD);

// Appends the entry's row: name, size in KB or "フォルダ", folder. False
// when the entry vanished before its row could be made.
bool AddListRow(const QByteArray& folderPath, const QByteArray& name, ListView& list, int folderFd = AT_FDCWD);

// "*" matches any run of characters, every other character itself.
// Both texts are expected in upper case already.
bool wildcardMatch(QStringView name, QStringView pattern);

// (length + 1023) / 1024, on 64-bit lengths.
qint64 sizeInKb(qint64 length);
