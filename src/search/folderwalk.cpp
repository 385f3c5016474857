#include "search/folderwalk.h"

#include "search/folderlisting.h"

#include <future>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

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

// Within a folder: only when the window has waited long enough. The walk's
// own order of effects does not change (cancel is still tested only when
// a folder is entered).
void letEventsRunIfDue(WalkContext& context, size_t done)
{
    if (done % 64 == 0 && context.sinceEvents.isValid() && context.sinceEvents.elapsed() >= kMaxPauseMs)
        letEventsRun(context);
}

// A large folder (a million entries take a second or more to read and
// sort) is listed on a thread of its own while the window runs.
bool listFolder(const QByteArray& folder, const struct stat& st, std::vector<folderlisting::Entry>& entries,
                WalkContext& context)
{
    if (st.st_size < folderlisting::kLargeFolderBytes)
        return folderlisting::list(folder, entries);
    auto listing = std::async(std::launch::async, [&folder, &entries] { return folderlisting::list(folder, entries); });
    while (listing.wait_for(std::chrono::milliseconds(kMaxPauseMs)) != std::future_status::ready)
        letEventsRun(context);
    return listing.get();
}

} // namespace

void WalkFolder(const QByteArray& path, WalkContext& context)
{
    letEventsRun(context);
    if (context.cancelFlag)
        return;
    const QByteArray folder = folderlisting::AddBackslash(path);

    struct stat st;
    if (::stat(folder.constData(), &st) != 0 || !context.entered.insert({st.st_dev, st.st_ino}).second)
        return;
    // The file system's type is looked up once a device, not once a folder.
    const auto [device, isNew] = context.pseudoDevices.try_emplace(st.st_dev, false);
    if (isNew)
        device->second = isPseudoFileSystem(folder);
    if (device->second)
        return;

    std::vector<folderlisting::Entry> entries;
    if (!listFolder(folder, st, entries, context))
        return;
    context.folderEntered(folder);

    std::vector<QByteArray> subfolders;
    for (size_t i = 0; i < entries.size(); ++i) {
        const folderlisting::Entry& entry = entries[i];
        if (folderlisting::isSubfolder(folder, entry))
            subfolders.push_back(folder + entry.name + '/');
        context.filterEntry(folder, entry.name);
        letEventsRunIfDue(context, i + 1);
    }
    entries.clear();
    entries.shrink_to_fit();

    letEventsRun(context);
    for (const QByteArray& subfolder : subfolders)
        WalkFolder(subfolder, context);
}
