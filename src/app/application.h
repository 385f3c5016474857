#pragma once

#include "core/clock.h"
#include "core/playbackstate.h"
#include "desktop/idleinhibitor.h"
#include "desktop/mounttable.h"
#include "mainwindow/mainwindowhost.h"
#include "settings/filetypetable.h"
#include "settings/settingsstore.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <unistd.h>

class AboutWindow;
class Extras;
class CopyService;
class RemoteCommands;
class MprisService;
struct MprisState;
class FileSearch;
class FileTypeDialog;
class HelpViewer;
class MainWindow;
class PictureCache;
class PictureWindow;
class SplashWindow;
class Transport;

// The program: its settings, the file-type tables, the main window,
// the search, the transport (video side) and the single instance of each
// other window. A secondary window is created on first use and destroyed
// when it is closed.
class Application : public QObject, public MainWindowHost {
    Q_OBJECT
public:
    struct Options {
        QString configDirectory = SettingsStore::defaultDirectory();
        MountSource mounts = mounttable::systemSource();
        // Prepare the player (library and engine) in video mode when a
        // search is in sight (the pointer on the Search button, the File
        // menu open) or starts; otherwise on first use.
        bool preparePlayer = true;
        // How the process ends at once; tests record it instead.
        std::function<void()> endProcess = [] { ::_exit(0); };
        // What the slideshow and the resume writes are timed by.
        Clock* clock = &systemClock();
    };

    explicit Application(Options options);
    ~Application() override;

    // Creates the main window, runs its load steps and shows it.
    void start();

    SettingsStore& settings() override { return settings_; }
    FileTypeTable& mediaTypes() { return mediaTypes_; }
    FileTypeTable& pictureTypes() { return pictureTypes_; }
    FileTypeTable& otherMediaTypes() { return otherMediaTypes_; }
    FileTypeTable& otherPictureTypes() { return otherPictureTypes_; }
    const MountSource& mounts() const override { return options_.mounts; }

    MainWindow& mainWindow() { return *mainWindow_; }
    FileSearch& search() override { return *search_; }
    Transport& transport() override { return *transport_; }

    // Touching the picture window creates it, hidden, with its load step.
    PictureWindow& pictureWindow();
    PictureCache& pictureCache() { return *pictureCache_; }
    Extras& extras() { return *extras_; }
    PictureWindow* loadedPictureWindow();
    void closePictureWindow();

    FileTypeDialog& mediaTypesDialog() override;
    FileTypeDialog& pictureTypesDialog() override;
    FileTypeDialog* loadedMediaTypesDialog();
    FileTypeDialog* loadedPictureTypesDialog();
    AboutWindow& aboutWindow() override;
    HelpViewer& helpViewer() override;
    SplashWindow& splashWindow() override;
    SplashWindow* loadedSplashWindow();
    void unloadSplash() override;

    void showSelectedRow() override;
    void stepPictures(int rows) override;
    // The slideshow's step: the next picture, passing over folder rows.
    void showNextSlide();

    // A folder, or a file, given from outside (the command line, a drop,
    // a later launch, the desktop's player controls), looked at on a thread
    // and opened once it answered and no search runs (the newest path wins):
    // the folder list moves there and the folder is searched as from the
    // menu; a file is then selected and played or shown. A path that does
    // not exist gets a message that waits for no answer, and changes nothing.
    void openFromOutside(const QByteArray& path) override;
    // Requests of other programs, folded and carried out in turn.
    RemoteCommands& remoteCommands() { return *remote_; }

    // Flushes the settings and ends the process at once: no other handler
    // of any window runs.
    void endNow() override;

    // What the program is doing, as the desktop's player controls and the
    // screen-saver hold see it.
    PlaybackState& playbackState() override { return playbackState_; }

protected:
    // The media keys, in whichever of the program's windows has the focus;
    // the pointer coming onto the Search button.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void offerSessionServices();
    // Runs on a thread: looks at a path given from outside, and returns
    // what opens it (or says why it cannot be opened) on the window's thread.
    static std::function<void()> lookUpForOpening(QPointer<Application> app, const QByteArray& path);
    void openChecked(const QByteArray& absolute, const QByteArray& folder, bool isFolder);
    MprisState mprisState() const;
    void followPlaybackState();
    // The video window's player and the picture window as they are now.
    void noteClip();
    void notePicture();
    void raiseMainWindow();
    void createSearch();
    // In video mode, loads the player while the user is about to search.
    void prepareForSearch();
    void createTransport();
    void connectPictureWindow(PictureWindow& window);
    void focusMainWindow();
    void chooseModeFor(const QByteArray& fileName);
    void playOrShowRowOf(const QByteArray& path);

    Options options_;
    SettingsStore settings_;
    FileTypeTable mediaTypes_;
    FileTypeTable pictureTypes_;
    FileTypeTable otherMediaTypes_;
    FileTypeTable otherPictureTypes_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<FileSearch> search_;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<PictureCache> pictureCache_;
    QPointer<PictureWindow> pictureWindow_;
    QPointer<FileTypeDialog> mediaTypesDialog_;
    QPointer<FileTypeDialog> pictureTypesDialog_;
    QPointer<AboutWindow> aboutWindow_;
    QPointer<HelpViewer> helpViewer_;
    QPointer<SplashWindow> splashWindow_;
    IdleInhibitor idleInhibitor_;
    Extras* extras_ = nullptr;
    std::unique_ptr<MprisService> mpris_;
    std::unique_ptr<CopyService> copyService_;
    std::unique_ptr<RemoteCommands> remote_;
    PlaybackState playbackState_;
    // A player's changes within one command are taken together, once it is done.
    QTimer clipLater_;
};
