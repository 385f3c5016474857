#pragma once

#include "desktop/mounttable.h"

class AboutWindow;
class FileSearch;
class FileTypeDialog;
class HelpViewer;
class PlaybackState;
class QByteArray;
class SettingsStore;
class SplashWindow;
class Transport;

// What the main window's commands ask of the program around it: the parts
// they drive, the other windows, and the program-wide steps. The program's
// wiring provides it; the main window knows nothing else of it.
class MainWindowHost {
public:
    virtual SettingsStore& settings() = 0;
    virtual const MountSource& mounts() const = 0;
    virtual FileSearch& search() = 0;
    virtual Transport& transport() = 0;
    virtual PlaybackState& playbackState() = 0;

    virtual FileTypeDialog& mediaTypesDialog() = 0;
    virtual FileTypeDialog& pictureTypesDialog() = 0;
    virtual AboutWindow& aboutWindow() = 0;
    virtual HelpViewer& helpViewer() = 0;
    virtual SplashWindow& splashWindow() = 0;
    virtual void unloadSplash() = 0;

    // Shows the list's selected row in the picture window.
    virtual void showSelectedRow() = 0;
    // Moves that many rows on (negative: back), wrapping round the list,
    // and shows the picture of the row reached.
    virtual void stepPictures(int rows) = 0;
    // A folder or file dropped on the window, opened as from outside.
    virtual void openFromOutside(const QByteArray& path) = 0;
    // Flushes the settings and ends the process at once.
    virtual void endNow() = 0;

protected:
    ~MainWindowHost() = default;
};
