#include "search/searchcommand.h"

#include "list/listview.h"
#include "platform/messagebox.h"
#include "search/dirlist.h"
#include "search/folderwalk.h"
#include "settings/settingsstore.h"

FileSearch::FileSearch(SettingsStore& settings, FileTypeChoice media, FileTypeChoice pictures, ListView& list,
                       DirList& folderList, Hooks hooks)
    : settings_(settings), list_(list), folderList_(folderList), hooks_(std::move(hooks)), media_(media),
      pictures_(pictures), typeFilter_(hooks_.isVideoMode, media_, pictures_)
{
}

void FileSearch::SearchFiles()
{
    running_ = true;
    hooks_.starting();
    foundCount_ = 0;
    list_.clearRows();
    if (hooks_.isVideoMode())
        hooks_.prepareVideo();
    walkWithFilter(folderList_.nativePath());
    if (hooks_.isVideoMode())
        hooks_.presentVideo();
    else
        hooks_.presentPictures();
    if (foundCount_ == 0) {
        messagebox::show(hooks_.messageParent, QStringLiteral("表示出来るファイルがありません"));
        cancelFlag_ = false;
    }
    running_ = false;
    if (hooks_.finished)
        hooks_.finished();
}

void FileSearch::walkWithFilter(const QByteArray& folder)
{
    const QByteArray start = folderList_.nativePath();
    WalkContext context{
        cancelFlag_,
        [this](const QByteArray& entered) { folderList_.enterCheckedFolder(entered); },
        [this] { return typeFilter_.current(); },
        [this](const QByteArray& path, const QByteArray& name, qint64 sizeKb) {
            // Counted with its row, so the count always equals the rows.
            AddListRow(path, name, sizeKb, list_);
            ++foundCount_;
        },
        hooks_.letEventsRun,
    };

    // The folder list's writes during a walk would cost a file write per
    // folder: they are held until the walk returns.
    settings_.holdWrites(settingskeys::kFolderKeys);
    WalkFolder(folder, context);
    // A folder searched that has gone (renamed during the walk) stays the
    // user's choice in the file, never a folder the walk passed.
    const bool back = folderList_.returnTo(start);
    settings_.releaseWrites(back ? SettingsStore::Held::Write : SettingsStore::Held::Drop);
}
