#include "search/typefilter.h"

#include "list/listview.h"
#include "settings/filetypetable.h"

#include <algorithm>
#include <cstring>
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

// The upper-case ASCII text after the name's last ".", or nothing when
// there is none or it holds other characters.
std::optional<std::string> asciiExtension(QByteArrayView name)
{
    const auto* dot = static_cast<const char*>(::memrchr(name.data(), '.', size_t(name.size())));
    if (!dot)
        return std::nullopt;
    const char* const end = name.data() + name.size();
    std::string extension(end - dot - 1, '\0');
    for (const char* c = dot + 1; c < end; ++c) {
        const unsigned char byte = *c;
        if (byte >= 0x80)
            return std::nullopt;
        extension[c - dot - 1] = char((byte >= 'a' && byte <= 'z') ? byte - 'a' + 'A' : byte);
    }
    return extension;
}

} // namespace

PatternSet::PatternSet(const QStringList& patterns)
{
    for (const QString& pattern : patterns) {
        const QString upper = pattern.toUpper();
        const QStringView extension = QStringView(upper).mid(2);
        const bool plain = upper.startsWith(QStringLiteral("*.")) && !extension.contains(u'*') &&
                           !extension.contains(u'.') &&
                           std::all_of(extension.begin(), extension.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (plain)
            extensions_.insert(extension.toLatin1().toStdString());
        else
            upperPatterns_ << upper;
    }
}

bool PatternSet::fits(const QByteArray& name) const
{
    if (const auto extension = asciiExtension(name); extension && extensions_.count(*extension))
        return true;
    if (upperPatterns_.isEmpty())
        return false;
    const QString upperName = upperCase(name);
    return std::any_of(upperPatterns_.begin(), upperPatterns_.end(),
                       [&upperName](const QString& pattern) { return wildcardMatch(upperName, pattern); });
}

qint64 sizeInKb(qint64 length)
{
    return (length + 1023) / 1024;
}

TypeFilter::TypeFilter(std::function<bool()> isVideoMode, FileTypeChoice& media, FileTypeChoice& pictures)
    : isVideoMode_(std::move(isVideoMode)), media_(media), pictures_(pictures)
{
}

std::shared_ptr<const PatternSet> TypeFilter::current()
{
    FileTypeChoice& choice = isVideoMode_() ? media_ : pictures_;
    const QStringList& patterns = choice.types.CheckedPatterns();
    const QStringList& others = choice.others.CheckedPatterns();
    if (patterns != lastPatterns_ || others != lastOthers_) {
        lastPatterns_ = patterns;
        lastOthers_ = others;
        current_ = (patterns + others).isEmpty() ? nullptr : std::make_shared<const PatternSet>(patterns + others);
    }
    return current_;
}

std::optional<qint64> FilterEntry(const QByteArray& folderPath, const QByteArray& name, const PatternSet& patterns,
                                  int folderFd)
{
    if (!patterns.fits(name))
        return std::nullopt;
    struct stat st;
    const int found = folderFd == AT_FDCWD ? ::stat((folderPath + name).constData(), &st)
                                           : ::fstatat(folderFd, name.constData(), &st, 0);
    if (found != 0)
        return std::nullopt;
    return S_ISDIR(st.st_mode) ? -1 : sizeInKb(st.st_size);
}

void AddListRow(const QByteArray& folderPath, const QByteArray& name, qint64 sizeKb, ListView& list)
{
    list.appendRow(folderPath, name, sizeKb);
}
