#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class ListView;
struct FileTypeChoice;

// What the type filter reads and changes.
struct FilterContext {
    std::function<bool()> isVideoMode;
    FileTypeChoice& media;
    FileTypeChoice& pictures;
    ListView& list;
    long& foundCount;

    // The last pattern lists and their upper-case form, so a walk does not
    // convert the same patterns for every entry.
    QStringList lastPatterns = {};
    QStringList lastOthers = {};
    QStringList upperPatterns = {};
};

// Offers one listed entry to the filter: on the first checked pattern of
// the current mode (documented types first, then the others) that the
// name fits, the entry becomes a row.
void FilterEntry(const QByteArray& folderPath, const QByteArray& name, FilterContext& context);

// Appends the entry's row: name, size in KB or "フォルダ", folder. False
// when the entry vanished before its row could be made.
bool AddListRow(const QByteArray& folderPath, const QByteArray& name, ListView& list);

// "*" matches any run of characters, every other character itself.
// Both texts are expected in upper case already.
bool wildcardMatch(QStringView name, QStringView pattern);

// (length + 1023) / 1024, on 64-bit lengths.
qint64 sizeInKb(qint64 length);
