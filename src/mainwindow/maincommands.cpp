// The main window's event procedures.
#include "mainwindow/mainwindow.h"
#include "settings/settingsstore.h"

#include "help/aboutwindow.h"
#include "help/helpfile.h"
#include "help/helpviewer.h"
#include "dialogs/filetypedialog.h"
#include "desktop/folderprobe.h"
#include "platform/messagebox.h"
#include "platform/nativename.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "search/searchcommand.h"
#include "playback/videowindow.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "list/listview.h"
#include "search/splashwindow.h"

#include <QCoreApplication>
#include <algorithm>
#include <QDir>
#include <QMenu>
#include <QSlider>
#include <QTimer>

using namespace settingskeys;

namespace {
void bringForward(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}
} // namespace

// ---- Drive and folder ----

void MainWindow::saveDriveAndFolder()
{
    app_.settings().saveSetting(kApp, kOption, kDrive, driveList->drive());
    app_.settings().saveSetting(kApp, kOption, kDir, nativename::toStoredText(folderList->nativePath()));
}

void MainWindow::Drive1_Change()
{
    saveDriveAndFolder();
    if (!folderList->moveToDrive(driveList->drive()))
        driveList->setDriveOf(folderList->path());
}

void MainWindow::Dir1_Change()
{
    saveDriveAndFolder();
}

void MainWindow::RestoreDriveFolder()
{
    // Choosing the drive takes the folder list through other folders on its
    // way; only where it ends reaches the settings file.
    SettingsStore& store = app_.settings();
    store.holdWrites(kFolderKeys);
    if (restoreStoredFolder()) {
        store.releaseWrites();
        return;
    }
    // A drive that has not answered yet (a busy machine, a sleeping network
    // share) is not gone: the folder shown meanwhile is not stored over the
    // user's, which is restored once the drive answers.
    const QByteArray storedDrive = QFile::encodeName(store.getSetting(kApp, kOption, kDrive));
    const bool unanswered = !storedDrive.isEmpty() && !folderprobe::isFolder(storedDrive, {}).has_value();
    chooseFirstFolder();
    store.releaseWrites(unanswered ? SettingsStore::Held::Drop : SettingsStore::Held::Write);
    if (unanswered)
        folderprobe::whenAnswered(storedDrive, this, [this, shown = folderList->nativePath()](bool folder) {
            if (!folder || folderList->nativePath() != shown || app_.search().isRunning())
                return;
            app_.settings().holdWrites(kFolderKeys);
            const bool restored = restoreStoredFolder();
            app_.settings().releaseWrites(restored ? SettingsStore::Held::Write : SettingsStore::Held::Drop);
        });
}

bool MainWindow::restoreStoredFolder()
{
    SettingsStore& store = app_.settings();
    if (store.getSetting(kApp, kOption, QStringLiteral("F"), kNoData) == kNoData)
        return false;
    const QString drive = store.getSetting(kApp, kOption, kDrive);
    const QString folder = store.getSetting(kApp, kOption, kDir);
    return driveList->setDrive(drive) && folderList->setNativePath(nativename::fromStoredText(folder));
}

// The first start opens the optical drive, or the home folder on a machine
// without one.
void MainWindow::chooseFirstFolder()
{
    SettingsStore& store = app_.settings();
    const QString optical = FindCdRomDrive(driveList->volumes());
    const QString home = QDir::homePath();
    const bool chosen = optical.isEmpty() ? driveList->setDriveOf(home) && folderList->setPath(home)
                                          : driveList->setDrive(optical);
    if (chosen)
        store.saveSetting(kApp, kOption, QStringLiteral("F"), QStringLiteral("OK"));
    else
        driveList->setDriveOf(folderList->path());
}

// ---- Search and cancel ----

void MainWindow::Command1_Click()
{
    if (app_.search().isRunning())
        return; // a nested search would mix two searches' rows
    app_.search().clearCancel();
    app_.splashWindow().show();
    app_.search().SearchFiles();
    app_.unloadSplash();
}

void MainWindow::Command2_Click()
{
    app_.unloadSplash();
    app_.search().requestCancel();
}

void MainWindow::mnuSerch_Click()
{
    if (app_.search().isRunning())
        return;
    // Like the button, the menu clears a cancel left over from an earlier search.
    app_.search().clearCancel();
    app_.search().SearchFiles();
}

// ---- Transport ----

bool MainWindow::refuseInStillPictureMode()
{
    if (!isStillPictureMode())
        return false;
    messagebox::show(this, QStringLiteral("静止画モードでは使用できません"));
    return true;
}

void MainWindow::Command3_Click()
{
    if (refuseInStillPictureMode())
        return;
    setScanMode(ScanMode::Normal);
    app_.transport().videoWindow().player().Play();
    fileList->setFocus();
}

void MainWindow::Command4_Click()
{
    if (refuseInStillPictureMode())
        return;
    setScanMode(ScanMode::Normal);
    app_.transport().videoWindow().player().Stop();
    fileList->setFocus();
}

void MainWindow::Command5_Click()
{
    if (refuseInStillPictureMode())
        return;
    mnuNext_Click();
}

void MainWindow::Command6_Click()
{
    if (refuseInStillPictureMode())
        return;
    app_.transport().videoWindow().player().Play();
    setScanMode(ScanMode::FastForward);
}

void MainWindow::Command7_Click()
{
    if (refuseInStillPictureMode())
        return;
    app_.transport().videoWindow().player().Play();
    setScanMode(ScanMode::Rewind);
}

void MainWindow::Command8_Click()
{
    if (refuseInStillPictureMode())
        return;
    mnuNextBack_Click();
}

void MainWindow::setScanMode(ScanMode mode)
{
    app_.transport().setScanMode(mode);
    if (mode == ScanMode::Normal)
        scanTimer->stop();
    else if (!scanTimer->isActive())
        scanTimer->start();
}

void MainWindow::Slider1_Change()
{
    if (isStillPictureMode()) {
        // One message per use. A click on the groove starts its auto-repeat
        // after this first step; disabling the slider stops it, so it does
        // not step on (each step another message) under the message box.
        if (volumeSlider->isEnabled()) {
            volumeSlider->setEnabled(false);
            refuseInStillPictureMode();
            volumeSlider->setEnabled(true);
            QTimer::singleShot(0, volumeSlider, [slider = volumeSlider] {
                slider->setEnabled(false);
                slider->setEnabled(true);
            });
        }
        return;
    }
    app_.transport().videoWindow().player().setVolume(qint16(volumeSlider->value() - 3000));
}

void MainWindow::Timer1_Timer()
{
    app_.transport().ScanStep();
}

// ---- List ----

void MainWindow::ListView1_Click()
{
    if (isVideoMode())
        app_.transport().playSelectedOrPassOn(Transport::Direction::Forward);
    else
        app_.showSelectedRow();
}

void MainWindow::ListView1_KeyDown(int keyCode)
{
    if (keyCode == ListView::kKeyEnter)
        ListView1_Click();
    else
        fileList->setTabStop(false);
}

void MainWindow::ListView1_Keyup(int keyCode)
{
    if (keyCode == ListView::kKeySpace) {
        SelectNextRow(*fileList);
    } else if (keyCode == ListView::kKeyNonConvert || keyCode == ListView::kKeyB ||
               keyCode == ListView::kKeyBackspace) {
        // B and BackSpace too: the menu promises B, and few keyboards have 無変換.
        SelectPreviousRow(*fileList);
    } else {
        fileList->setTabStop(false);
        return;
    }
    if (isStillPictureMode())
        app_.showSelectedRow();
}

// ---- Menus ----

void MainWindow::mnuEnd_Click()
{
    app_.endNow();
}

void MainWindow::mnuPlay_Click()
{
    screenSizeMenu->setEnabled(!isStillPictureMode());
}

void MainWindow::mnu50_Click()
{
    app_.transport().setScreenSize(50);
}

void MainWindow::mnu100_Click()
{
    app_.transport().setScreenSize(100);
}

void MainWindow::mnu150_Click()
{
    app_.transport().setScreenSize(150);
}

void MainWindow::mnuNext_Click()
{
    if (isStillPictureMode())
        return app_.stepPictures(1);
    app_.transport().videoWindow().player().Play();
    app_.transport().selectNextRow();
    app_.transport().playSelectedOrPassOn(Transport::Direction::Forward);
}

void MainWindow::mnuNextBack_Click()
{
    if (isStillPictureMode())
        return app_.stepPictures(-1);
    app_.transport().videoWindow().player().Play();
    app_.transport().selectPreviousRow();
    app_.transport().playSelectedOrPassOn(Transport::Direction::Backward);
}

bool MainWindow::mediaKey(int key)
{
    switch (key) {
    case Qt::Key_MediaNext:
    case Qt::Key_MediaPrevious:
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaPause:
    case Qt::Key_MediaTogglePlayPause:
    case Qt::Key_MediaStop:
        if (!isStillPictureMode())
            playbackKey(key);
        else if (key == Qt::Key_MediaNext || key == Qt::Key_MediaPrevious)
            app_.stepPictures(key == Qt::Key_MediaNext ? 1 : -1); // as Space and 無変換; nothing plays
        return true;
    default:
        return false;
    }
}

bool MainWindow::videoWindowKey(int key)
{
    constexpr double kStepSeconds = 5;
    VideoWindow* window = app_.transport().loadedVideoWindow();
    if (!window || !isVideoMode())
        return false;
    MediaPlayer& player = window->player();
    switch (key) {
    case Qt::Key_Space:
        if (player.isPaused())
            player.Play();
        else if (player.isPlaying())
            player.Pause();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (player.hasClip()) {
            const double step = key == Qt::Key_Left ? -kStepSeconds : kStepSeconds;
            player.setCurrentPosition(std::clamp(player.CurrentPosition() + step, 0.0, std::max(0.0, player.Duration())));
        }
        return true;
    case Qt::Key_PageUp:
        mnuNextBack_Click();
        return true;
    case Qt::Key_PageDown:
        mnuNext_Click();
        return true;
    default:
        return false;
    }
}

void MainWindow::stepRows(int rows)
{
    if (!isStillPictureMode())
        return app_.transport().stepRows(rows);
    app_.stepPictures(rows);
}

void MainWindow::playbackKey(int key)
{
    MediaPlayer& player = app_.transport().videoWindow().player();
    const bool pause = key == Qt::Key_MediaPause || (key == Qt::Key_MediaTogglePlayPause && player.isPlaying());
    if (key == Qt::Key_MediaNext)
        mnuNext_Click();
    else if (key == Qt::Key_MediaPrevious)
        mnuNextBack_Click();
    else if (key == Qt::Key_MediaStop)
        Command4_Click();
    else if (pause)
        player.Pause();
    else
        Command3_Click();
}

void MainWindow::mnuOption_Click()
{
    bringForward(isVideoMode() ? app_.mediaTypesDialog() : app_.pictureTypesDialog());
}

void MainWindow::mnuTopic_Click()
{
    HelpViewer& viewer = app_.helpViewer();
    viewer.openFinder(helpfile::resolve(QCoreApplication::applicationDirPath(), helpFile_));
    bringForward(viewer);
}

void MainWindow::mnuVersion_Click()
{
    bringForward(app_.aboutWindow());
}
