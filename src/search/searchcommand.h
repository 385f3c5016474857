#pragma once

#include <QByteArray>
#include <functional>

class DirList;
class ListView;
class QWidget;

// What a search reads, fills and presents.
struct SearchContext {
    bool& cancelFlag;
    long& foundCount;
    ListView& list;
    DirList& folderList;
    std::function<bool()> isVideoMode;
    // WalkFolder over the given folder, with the program's walk context.
    std::function<void(const QByteArray& folder)> walkFolder;
    // Shows the video window and plays the selected row.
    std::function<void()> presentVideo;
    // Shows the picture window, selects row 1 and shows its picture.
    std::function<void()> presentPictures;
    QWidget* messageParent = nullptr;
};

// Empties the list, walks the folder list's folder and presents the result.
void SearchFiles(SearchContext& context);
