#pragma once

#include "platform/mounttable.h"
#include "settings/filetypetable.h"
#include "settings/settingsstore.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <unistd.h>

class AboutWindow;
class PictureCache;
struct PlaybackContext;
class FileTypeDialog;
class HelpViewer;
class MainWindow;
class PictureWindow;
class SplashWindow;
class VideoWindow;
struct FilterContext;
struct WalkContext;

// The program: its shared state, its settings, the two file-type tables
// and the single instance of each window. A secondary window is created on
// first use and destroyed when it is closed.
class Application : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString configDirectory = SettingsStore::defaultDirectory();
        MountSource mounts = mounttable::systemSource();
        // Load the player library in the background once the main window is up.
        bool preloadPlayer = true;
        // How the process ends at once; tests record it instead.
        std::function<void()> endProcess = [] { ::_exit(0); };
    };

    explicit Application(Options options);
    ~Application() override;

    // Creates the main window, runs its load steps and shows it.
    void start();

    // The shared state of the program.
    bool CancelFlag = false;
    long FoundCount = 0;
    QString ScanMode;
    int ScreenSize = 0;
    long BaseWidth = 0;
    float BaseHeight = 0;

    SettingsStore& settings() { return settings_; }
    FileTypeTable& MediaTypes() { return mediaTypes_; }
    FileTypeTable& PictureTypes() { return pictureTypes_; }
    const MountSource& mounts() const { return options_.mounts; }

    MainWindow& form1() { return *form1_; }
    // Touching the video or picture window creates it, hidden, with its load step.
    VideoWindow& form2();
    VideoWindow* form2IfLoaded();
    PictureWindow& form4();
    PictureWindow* form4IfLoaded();
    void closeVideoWindow();
    void closePictureWindow();

    FileTypeDialog& form3();
    FileTypeDialog& form5();
    FileTypeDialog* form3IfLoaded();
    FileTypeDialog* form5IfLoaded();
    AboutWindow& frmAbout();
    HelpViewer& helpViewer();
    SplashWindow& frmSplash();
    SplashWindow* frmSplashIfLoaded();
    void unloadSplash();

    // The module procedures, with this program's collaborators.
    void SearchFiles();
    void WalkFolder(const QByteArray& folder);
    void PlaySelected();
    void SelectNextRow();
    void SelectPreviousRow();
    void ShowSelectedPicture();
    void ScanStep();
    void ApplyScreenSize();
    bool isSearching() const { return searching_; }

    // Flushes the settings and ends the process at once: no other handler
    // of any window runs.
    void endNow();

private:
    FilterContext& filterContext();
    PlaybackContext playbackContext();

    Options options_;
    SettingsStore settings_;
    FileTypeTable mediaTypes_;
    FileTypeTable pictureTypes_;
    std::unique_ptr<MainWindow> form1_;
    QPointer<VideoWindow> form2_;
    QPointer<PictureWindow> form4_;
    QPointer<FileTypeDialog> form3_;
    QPointer<FileTypeDialog> form5_;
    QPointer<AboutWindow> frmAbout_;
    QPointer<HelpViewer> helpViewer_;
    QPointer<SplashWindow> frmSplash_;
    std::unique_ptr<FilterContext> filterContext_;
    std::unique_ptr<PictureCache> pictureCache_;
    bool searching_ = false;
};
