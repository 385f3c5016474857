#include "search/searchcommand.h"

#include "platform/messagebox.h"
#include "search/dirlist.h"
#include "search/listview.h"

void SearchFiles(SearchContext& context)
{
    context.foundCount = 0;
    context.list.clearRows();
    const QByteArray start = context.folderList.nativePath();
    context.walkFolder(start);
    if (context.isVideoMode())
        context.presentVideo();
    else
        context.presentPictures();
    if (context.foundCount == 0) {
        messagebox::show(context.messageParent, QStringLiteral("表示出来るファイルがありません"));
        context.cancelFlag = false;
    }
}
