#include "search/typefilter.h"

#include "list/listview.h"
#include "settings/filetypetable.h"

#include <sys/stat.h>

bool wildcardMatch(QStringView name, QStringView pattern)
{
    qsizetype n = 0, p = 0;
    qsizetype starAt = -1, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

namespace {

// The name in upper case; plain ASCII names (the common case) skip the
// general Unicode conversion.
QString upperCase(const QByteArray& name)
{
    QString upper(name.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(upper.data());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const unsigned char c = name[i];
        if (c >= 0x80)
            return QString::fromUtf8(name).toUpper();
        out[i] = (c >= 'a' && c <= 'z') ? char16_t(c - 'a' + 'A') : char16_t(c);
    }
    return upper;
}

} // namespace

qint64 sizeInKb(qint64 length)
{
    return (length + 1023) / 1024;
}

void FilterEntry(const QByteArray& folderPath, const QByteArray& name, FilterContext& context)
{
    FileTypeChoice& choice = context.isVideoMode() ? context.media : context.pictures;
    const QStringList& patterns = choice.types.CheckedPatterns();
    const QStringList& others = choice.others.CheckedPatterns();
    if (patterns.isEmpty() && others.isEmpty())
        return;
    if (patterns != context.lastPatterns || others != context.lastOthers) {
        context.lastPatterns = patterns;
        context.lastOthers = others;
        context.upperPatterns.clear();
        for (const QString& pattern : patterns + others)
            context.upperPatterns << pattern.toUpper();
    }
    const QString upperName = upperCase(name);
    for (const QString& pattern : context.upperPatterns) {
        if (wildcardMatch(upperName, pattern)) {
            // Counted with its row, so the count always equals the rows.
            if (AddListRow(folderPath, name, context.list))
                ++context.foundCount;
            return;
        }
    }
}

bool AddListRow(const QByteArray& folderPath, const QByteArray& name, ListView& list)
{
    struct stat st;
    if (::stat((folderPath + name).constData(), &st) != 0)
        return false;
    list.appendRow(folderPath, name, S_ISDIR(st.st_mode) ? -1 : sizeInKb(st.st_size));
    return true;
}
