#include "search/folderlisting.h"

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace folderlisting {
namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Compares the digit runs starting at a and b; advances both past them.
int compareNumberRuns(const char*& a, const char* aEnd, const char*& b, const char* bEnd)
{
    while (a < aEnd && *a == '0')
        ++a;
    while (b < bEnd && *b == '0')
        ++b;
    const char *startA = a, *startB = b;
    while (a < aEnd && isDigit(*a))
        ++a;
    while (b < bEnd && isDigit(*b))
        ++b;
    if (a - startA != b - startB)
        return a - startA < b - startB ? -1 : 1;
    const int order = std::memcmp(startA, startB, a - startA);
    return order < 0 ? -1 : order > 0;
}

Entry::Kind kindOf(unsigned char type)
{
    switch (type) {
    case DT_DIR:
        return Entry::Kind::Folder;
    case DT_REG:
        return Entry::Kind::File;
    case DT_LNK:
    case DT_UNKNOWN:
        return Entry::Kind::Unknown;
    default:
        return Entry::Kind::Other;
    }
}

} // namespace

QByteArray AddBackslash(const QByteArray& path)
{
    return path.endsWith('/') ? path : path + '/';
}

QByteArray joinPath(const QByteArray& folder, const QByteArray& name)
{
    return AddBackslash(folder) + name;
}

bool naturalLess(const QByteArray& a, const QByteArray& b)
{
    const char *p = a.constData(), *const pEnd = p + a.size();
    const char *q = b.constData(), *const qEnd = q + b.size();
    while (p < pEnd && q < qEnd) {
        const bool digits = isDigit(*p) && isDigit(*q);
        if (*p == *q && !digits) { // the common case: equal bytes, no number
            ++p;
            ++q;
            continue;
        }
        if (digits) {
            if (const int order = compareNumberRuns(p, pEnd, q, qEnd))
                return order < 0;
            continue;
        }
        const unsigned char ca = lower(*p), cb = lower(*q);
        if (ca != cb)
            return ca < cb;
        ++p;
        ++q;
    }
    if (pEnd - p != qEnd - q)
        return pEnd - p < qEnd - q;
    return a < b; // names that differ only in case or leading zeros
}

namespace {

// Whether folding (NFKC) leaves the name as it is, judged by its
// characters alone: ASCII, kana and the common ideographs, the bulk of
// names, but for the four CJK marks NFKC changes (〶 to 〒, 〸〹〺 to
// 十卄卅). Others are folded.
bool foldsToItself(const QByteArray& name)
{
    for (qsizetype i = 0; i < name.size();) {
        const auto byte = [&name](qsizetype at) { return char32_t((unsigned char)name[at]); };
        const char32_t lead = byte(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if ((lead & 0xF0) != 0xE0 || i + 2 >= name.size())
            return false; // not a three-byte character: whatever it is, folded
        const char32_t c = ((lead & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
        const bool folded = c == 0x3036 || (c >= 0x3038 && c <= 0x303A);
        const bool stable = ((c >= 0x3001 && c <= 0x3098) && !folded) || c == 0x309D || c == 0x309E ||
                            (c >= 0x30A0 && c <= 0x30FE) || (c >= 0x4E00 && c <= 0x9FFF);
        if (!stable)
            return false;
        i += 3;
    }
    return true;
}

// Names sort folded (NFKC), each folded once and only where folding
// changes anything, so full-width digits count as digits and half-width
// katakana sort with full-width; one key for two names: by their bytes.
void sortNaturally(std::vector<Entry>& entries)
{
    const auto byName = [](const Entry& a, const Entry& b) { return naturalLess(a.name, b.name); };
    if (std::all_of(entries.begin(), entries.end(), [](const Entry& e) { return foldsToItself(e.name); }))
        return std::sort(entries.begin(), entries.end(), byName);
    struct Keyed {
        QByteArray key;
        Entry entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(entries.size());
    for (Entry& entry : entries) {
        QByteArray key = foldsToItself(entry.name)
                             ? entry.name
                             : QString::fromUtf8(entry.name).normalized(QString::NormalizationForm_KC).toUtf8();
        keyed.push_back({std::move(key), std::move(entry)});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.key != b.key ? naturalLess(a.key, b.key) : a.entry.name < b.entry.name;
    });
    for (size_t i = 0; i < keyed.size(); ++i)
        entries[i] = std::move(keyed[i].entry);
}

// Reads the open folder's entries (the folder stays open), sorted; keep()
// chooses which to take. Entries come straight from the kernel in large
// batches: a folder costs two reads however many entries it has, up to
// some thousands.
template <typename Keep>
bool read(int folderFd, std::vector<Entry>& entries, Keep keep)
{
    entries.clear();
    if (folderFd < 0)
        return false;
    constexpr size_t kBatchBytes = 64 * 1024;
    thread_local const std::unique_ptr<char[]> batch(new char[kBatchBytes]);
    ssize_t got;
    while ((got = ::getdents64(folderFd, batch.get(), kBatchBytes)) > 0 || (got < 0 && errno == EINTR)) {
        for (ssize_t at = 0; at < got;) {
            const auto* d = reinterpret_cast<const dirent64*>(batch.get() + at);
            at += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            Entry entry{QByteArray(name), kindOf(d->d_type)};
            if (keep(entry))
                entries.push_back(std::move(entry));
        }
    }
    sortNaturally(entries);
    return true;
}

int openFolder(const QByteArray& folderPath)
{
    return ::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

bool list(const QByteArray& folderPath, std::vector<Entry>& entries)
{
    const int fd = openFolder(folderPath);
    const bool listed = read(fd, entries, [](const Entry&) { return true; });
    if (fd >= 0)
        ::close(fd);
    return listed;
}

bool list(int folderFd, std::vector<Entry>& entries)
{
    return read(folderFd, entries, [](const Entry&) { return true; });
}

std::vector<QByteArray> subfolders(const QByteArray& folderPath)
{
    std::vector<Entry> entries;
    const int fd = openFolder(folderPath);
    read(fd, entries, [fd](const Entry& e) { return isSubfolder(fd, e); });
    if (fd >= 0)
        ::close(fd);
    std::vector<QByteArray> names;
    for (Entry& e : entries)
        names.push_back(std::move(e.name));
    return names;
}

bool isPseudoFileSystem(const QByteArray& folder)
{
    struct statfs fs;
    if (::statfs(folder.constData(), &fs) != 0)
        return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case SELINUX_MAGIC:
    case EFIVARFS_MAGIC:
    case BINFMTFS_MAGIC:
    case NSFS_MAGIC:
    case 0x62656570: // configfs
    case 0x65735543: // fusectl
    case 0x19800202: // mqueue
        return true;
    default:
        return false;
    }
}

bool isFolder(const QByteArray& path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSubfolder(int folderFd, const Entry& entry)
{
    struct stat st;
    return entry.kind == Entry::Kind::Folder ||
           (entry.kind == Entry::Kind::Unknown && ::fstatat(folderFd, entry.name.constData(), &st, 0) == 0 &&
            S_ISDIR(st.st_mode));
}

} // namespace folderlisting
