#include "search/folderwalk.h"

#include "search/folderlisting.h"

#include <future>
#include <thread>
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
FolderListing readHere(const QByteArray& folder, WalkContext& context)
{
    FolderListing listing = openFolder(folder);
    if (!listing.opened())
        return listing;
    if (listing.st.st_size < folderlisting::kLargeFolderBytes) {
        listing.listed = folderlisting::list(listing.fd, listing.entries);
        return listing;
    }
    auto reading = std::async(std::launch::async,
                              [fd = listing.fd, &entries = listing.entries] { return folderlisting::list(fd, entries); });
    while (reading.wait_for(std::chrono::milliseconds(kMaxPauseMs)) != std::future_status::ready)
        letEventsRun(context);
    listing.listed = reading.get();
    return listing;
}

// The folder's listing: from the readers when the walk reads ahead (the
// window runs, and a cancel is seen, while it is on its way), else read now.
FolderListing obtainListing(const QByteArray& folder, WalkContext& context)
{
    if (!context.ahead)
        return readHere(folder, context);
    if (!context.moreReaders && context.ahead->slowReads() >= kSlowReadsForMoreReaders) {
        for (int i = 0; i < kMoreReaders; ++i)
            context.ahead->addReader();
        context.moreReaders = true;
    }
    while (true) {
        if (std::unique_ptr<FolderListing> listing = context.ahead->take(folder, kMaxPauseMs))
            return std::move(*listing);
        letEventsRun(context);
        if (context.cancelFlag)
            return {}; // a read that never answers (a stopped server) holds no cancel
    }
}

// A large folder's names are freed on a thread of their own: a million of
// them would hold the window for tens of milliseconds.
void freeEntries(FolderListing& listing)
{
    if (listing.st.st_size >= folderlisting::kLargeFolderBytes)
        std::thread([doomed = std::move(listing.entries)] {}).detach();
}

// Lists the folder and offers its entries, noting its subfolders; false
// when it is not entered (gone, entered before, a pseudo file system,
// unreadable). The folder is open only meanwhile: its entries are looked
// at relative to it, not by their whole paths from the root.
bool visitFolder(const QByteArray& folder, WalkContext& context, std::vector<QByteArray>& subfolders)
{
    FolderListing listing = obtainListing(folder, context);
    if (!listing.opened() || !context.entered.insert({listing.st.st_dev, listing.st.st_ino}).second)
        return false;
    // The file system's type is looked up once a device, not once a folder.
    const auto [device, isNew] = context.pseudoDevices.try_emplace(listing.st.st_dev, false);
    if (isNew)
        device->second = isPseudoFileSystem(folder);
    if (device->second || !listing.listed)
        return false;
    context.folderEntered(folder);
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const folderlisting::Entry& entry = listing.entries[i];
        if (folderlisting::isSubfolder(listing.fd, entry))
            subfolders.push_back(folder + entry.name + '/');
        context.filterEntry(folder, entry.name, listing.fd);
        if ((i + 1) % 64 == 0)
            letEventsRunIfDue(context);
    }
    if (context.ahead)
        context.ahead->expect(subfolders);
    freeEntries(listing);
    return true;
}

} // namespace

void startReadingAhead(WalkContext& context)
{
    context.ahead = std::make_unique<ListingsAhead>(1);
}

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
