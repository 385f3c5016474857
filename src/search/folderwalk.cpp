#include "search/folderwalk.h"

#include "search/folderlisting.h"

#include <QScopeGuard>
#include <fcntl.h>
#include <future>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

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

namespace {

void letEventsRun(WalkContext& context)
{
    context.letEventsRun();
    context.sinceEvents.start();
}

// On a time budget: once the window has waited kMaxPauseMs, not at every
// folder (running the window's events costs more than a small folder's
// walk, and a video frame drawn meanwhile more still). The walk's own order
// of effects does not change: cancel is tested whenever a folder is entered.
void letEventsRunIfDue(WalkContext& context)
{
    if (!context.sinceEvents.isValid() || context.sinceEvents.elapsed() >= kMaxPauseMs)
        letEventsRun(context);
}

// A large folder (a million entries take a second or more to read and
// sort) is listed on a thread of its own while the window runs.
bool listFolder(int folderFd, const struct stat& st, std::vector<folderlisting::Entry>& entries, WalkContext& context)
{
    if (st.st_size < folderlisting::kLargeFolderBytes)
        return folderlisting::list(folderFd, entries);
    auto listing =
        std::async(std::launch::async, [folderFd, &entries] { return folderlisting::list(folderFd, entries); });
    while (listing.wait_for(std::chrono::milliseconds(kMaxPauseMs)) != std::future_status::ready)
        letEventsRun(context);
    return listing.get();
}

// Lists the folder and offers its entries, noting its subfolders; false
// when it is not entered (gone, entered before, a pseudo file system,
// unreadable). The folder is open only meanwhile: its entries are looked
// at relative to it, not by their whole paths from the root.
bool visitFolder(const QByteArray& folder, WalkContext& context, std::vector<QByteArray>& subfolders)
{
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return false;
    const auto closeFolder = qScopeGuard([folderFd] { ::close(folderFd); });
    struct stat st;
    if (::fstat(folderFd, &st) != 0 || !context.entered.insert({st.st_dev, st.st_ino}).second)
        return false;
    // The file system's type is looked up once a device, not once a folder.
    const auto [device, isNew] = context.pseudoDevices.try_emplace(st.st_dev, false);
    if (isNew)
        device->second = isPseudoFileSystem(folder);
    if (device->second)
        return false;

    std::vector<folderlisting::Entry> entries;
    if (!listFolder(folderFd, st, entries, context))
        return false;
    context.folderEntered(folder);
    for (size_t i = 0; i < entries.size(); ++i) {
        const folderlisting::Entry& entry = entries[i];
        if (folderlisting::isSubfolder(folderFd, entry))
            subfolders.push_back(folder + entry.name + '/');
        context.filterEntry(folder, entry.name, folderFd);
        if ((i + 1) % 64 == 0)
            letEventsRunIfDue(context);
    }
    return true;
}

} // namespace

void WalkFolder(const QByteArray& path, WalkContext& context)
{
    letEventsRunIfDue(context);
    if (context.cancelFlag)
        return;
    std::vector<QByteArray> subfolders;
    if (!visitFolder(folderlisting::AddBackslash(path), context, subfolders))
        return;
    letEventsRunIfDue(context);
    for (const QByteArray& subfolder : subfolders)
        WalkFolder(subfolder, context);
}
