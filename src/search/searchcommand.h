#pragma once

#include "search/typefilter.h"
#include "settings/filetypetable.h"

#include <QByteArray>
#include <functional>

class DirList;
class ListView;
class QWidget;
class SettingsStore;

// The search: empties the list, walks the folder list's folder, offering
// every entry to the type filter, and presents what it found. It owns the
// cancel request and the count of rows found.
class FileSearch {
public:
    struct Hooks {
        std::function<bool()> isVideoMode;
        // A search is starting: the list is about to be emptied.
        std::function<void()> starting;
        // Shows the video window and plays the selected row.
        std::function<void()> presentVideo;
        // Shows the picture window, selects row 1 and shows its picture.
        std::function<void()> presentPictures;
        std::function<void()> letEventsRun;
        // A video-mode search is about to walk: time to prepare the player.
        std::function<void()> prepareVideo;
        QWidget* messageParent = nullptr;
        // The search is over, its message answered (may be empty).
        std::function<void()> finished = {};
    };

    FileSearch(SettingsStore& settings, FileTypeChoice media, FileTypeChoice pictures, ListView& list,
               DirList& folderList, Hooks hooks);

    void SearchFiles();
    // Walks the folder with the program's filter. The folder list follows
    // the walk and returns to where it was when the walk ends.
    void walkWithFilter(const QByteArray& folder);

    bool isRunning() const { return running_; }
    void requestCancel() { cancelFlag_ = true; }
    void clearCancel() { cancelFlag_ = false; }
    bool cancelRequested() const { return cancelFlag_; }
    long foundCount() const { return foundCount_; }

private:
    SettingsStore& settings_;
    ListView& list_;
    DirList& folderList_;
    Hooks hooks_;
    bool cancelFlag_ = false;
    long foundCount_ = 0;
    bool running_ = false;
    FileTypeChoice media_;
    FileTypeChoice pictures_;
    TypeFilter typeFilter_;
};
