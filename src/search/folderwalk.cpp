#include "search/folderwalk.h"

#include "search/dirlist.h"
#include "search/folderlisting.h"

#include <algorithm>
#include <sys/stat.h>

QByteArray AddBackslash(const QByteArray& path)
{
    return path.endsWith('/') ? path : path + '/';
}

QString AddBackslash(const QString& path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

namespace {

bool isSubfolder(const QByteArray& folder, const folderlisting::Entry& entry)
{
    using Kind = folderlisting::Entry::Kind;
    return entry.kind == Kind::Folder || (entry.kind == Kind::Unknown && folderlisting::isFolder(folder + entry.name));
}

} // namespace

void WalkFolder(const QByteArray& path, WalkContext& context)
{
    context.letEventsRun();
    if (context.cancelFlag)
        return;
    const QByteArray folder = AddBackslash(path);

    struct stat st;
    if (::stat(folder.constData(), &st) != 0)
        return;
    const std::pair<quint64, quint64> identity{st.st_dev, st.st_ino};
    if (std::find(context.openFolders.begin(), context.openFolders.end(), identity) !=
        context.openFolders.end())
        return;

    std::vector<folderlisting::Entry> entries;
    if (!folderlisting::list(folder, entries))
        return;
    context.folderList.setNativePath(folder);

    std::vector<QByteArray> subfolders;
    for (const folderlisting::Entry& entry : entries) {
        if (isSubfolder(folder, entry))
            subfolders.push_back(folder + entry.name + '/');
        context.filterEntry(folder, entry.name);
    }
    entries.clear();
    entries.shrink_to_fit();

    context.letEventsRun();
    context.openFolders.push_back(identity);
    for (const QByteArray& subfolder : subfolders)
        WalkFolder(subfolder, context);
    context.openFolders.pop_back();
}
