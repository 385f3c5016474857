#include "search/folderwalk.h"

#include "search/folderlisting.h"

namespace {

// The user may have changed the types meanwhile: the readers match by the
// ones checked now.
void refreshPatterns(WalkContext& context)
{
    std::shared_ptr<const PatternSet> patterns = context.patterns();
    if (patterns != context.currentPatterns) {
        context.readers->matchWith(patterns);
        context.currentPatterns = std::move(patterns);
    }
}

void letEventsRun(WalkContext& context)
{
    context.letEventsRun();
    context.sinceEvents.start();
    refreshPatterns(context);
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

// The folder's listing from the readers; the window runs, and a cancel is
// seen, while it is on its way. Null after a cancel.
std::unique_ptr<FolderListing> obtainListing(const QByteArray& folder, const WalkKey& key, WalkContext& context)
{
    while (true) {
        if (std::unique_ptr<FolderListing> listing = context.readers->take(folder, key, kMaxPauseMs))
            return listing;
        letEventsRun(context);
        if (context.cancelFlag)
            return nullptr; // a read that never answers (a stopped server) holds no cancel
    }
}

// Every entry goes to the filter, in listing order: the readers' matches
// stand while the patterns are the ones they matched by; after a change
// the entries are matched here.
void offerEntries(const QByteArray& folder, const FolderListing& listing, WalkContext& context)
{
    auto match = listing.matches.begin();
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const QByteArray& name = listing.entries[i].name;
        if (context.currentPatterns == listing.matchedWith) {
            while (match != listing.matches.end() && match->entry < i)
                ++match;
            if (match != listing.matches.end() && match->entry == i)
                context.addRow(folder, name, match->sizeKb);
        } else if (context.currentPatterns) {
            if (const std::optional<qint64> sizeKb = FilterEntry(folder, name, *context.currentPatterns))
                context.addRow(folder, name, *sizeKb);
        }
        if ((i + 1) % 64 == 0)
            letEventsRunIfDue(context);
    }
}

// Enters the folder and offers its entries; false when it is not entered
// (gone, entered before, a pseudo file system, unreadable).
bool enterFolder(const QByteArray& folder, FolderListing& listing, WalkContext& context,
                 std::vector<QByteArray>& subfolders)
{
    if (!listing.opened || !context.entered.insert({listing.st.st_dev, listing.st.st_ino}).second)
        return false;
    if (listing.onPseudoFileSystem || !listing.listed)
        return false;
    context.folderEntered(folder);
    offerEntries(folder, listing, context);
    subfolders = std::move(listing.subfolders);
    return true;
}

bool visitFolder(const QByteArray& folder, const WalkKey& key, WalkContext& context,
                 std::vector<QByteArray>& subfolders)
{
    std::unique_ptr<FolderListing> listing = obtainListing(folder, key, context);
    if (!listing)
        return false;
    const bool entered = enterFolder(folder, *listing, context, subfolders);
    context.readers->giveBack(std::move(listing)); // freed away from the window
    return entered;
}

void walk(const QByteArray& path, WalkKey& key, WalkContext& context)
{
    letEventsRunIfDue(context);
    if (context.cancelFlag)
        return;
    std::vector<QByteArray> subfolders;
    if (!visitFolder(folderlisting::AddBackslash(path), key, context, subfolders))
        return;
    letEventsRunIfDue(context);
    key.push_back(0);
    for (size_t i = 0; i < subfolders.size(); ++i) {
        key.back() = static_cast<quint32>(i);
        walk(subfolders[i], key, context);
    }
    key.pop_back();
}

} // namespace

void WalkFolder(const QByteArray& path, WalkContext& context)
{
    refreshPatterns(context);
    WalkKey key;
    walk(path, key, context);
}
