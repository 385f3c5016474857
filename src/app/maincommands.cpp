// The main window's event procedures.
#include "app/application.h"
#include "app/mainwindow.h"

#include "app/aboutwindow.h"
#include "app/helpfile.h"
#include "app/helpviewer.h"
#include "dialogs/filetypedialog.h"
#include "platform/messagebox.h"
#include "playback/mediaplayer.h"
#include "playback/playcommands.h"
#include "playback/videowindow.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "search/listview.h"
#include "search/splashwindow.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSlider>

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

void MainWindow::Drive1_Change()
{
    app_.settings().saveSetting(kApp, kOption, QStringLiteral("Drive"), Drive1->drive());
    app_.settings().saveSetting(kApp, kOption, QStringLiteral("Dir"), Dir1->path());
    if (!Dir1->moveToDrive(Drive1->drive()))
        Drive1->setDrive(Dir1->path());
}

void MainWindow::Dir1_Change()
{
    app_.settings().saveSetting(kApp, kOption, QStringLiteral("Drive"), Drive1->drive());
    app_.settings().saveSetting(kApp, kOption, QStringLiteral("Dir"), Dir1->path());
}

void MainWindow::RestoreDriveFolder()
{
    SettingsStore& store = app_.settings();
    if (store.getSetting(kApp, kOption, QStringLiteral("F"), kNoData) != kNoData) {
        const QString drive = store.getSetting(kApp, kOption, QStringLiteral("Drive"));
        const QString folder = store.getSetting(kApp, kOption, QStringLiteral("Dir"));
        if (Drive1->setDrive(drive) && Dir1->setPath(folder))
            return;
    }
    if (Drive1->setDrive(FindCdRomDrive(Drive1->volumes())))
        store.saveSetting(kApp, kOption, QStringLiteral("F"), QStringLiteral("OK"));
    else
        Drive1->setDrive(Dir1->path());
}

// ---- Search and cancel ----

void MainWindow::Command1_Click()
{
    if (app_.isSearching())
        return; // a nested search would mix two searches' rows
    app_.CancelFlag = false;
    app_.frmSplash().show();
    app_.SearchFiles();
    app_.unloadSplash();
}

void MainWindow::Command2_Click()
{
    app_.unloadSplash();
    app_.CancelFlag = true;
}

void MainWindow::mnuSerch_Click()
{
    if (app_.isSearching())
        return;
    // Like the button, the menu clears a cancel left over from an earlier search.
    app_.CancelFlag = false;
    app_.SearchFiles();
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
    app_.ScanMode = kScanNormal;
    app_.form2().player().Play();
    ListView1->setFocus();
}

void MainWindow::Command4_Click()
{
    if (refuseInStillPictureMode())
        return;
    app_.ScanMode = kScanNormal;
    app_.form2().player().Stop();
    ListView1->setFocus();
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
    app_.form2().player().Play();
    app_.ScanMode = kScanFast;
}

void MainWindow::Command7_Click()
{
    if (refuseInStillPictureMode())
        return;
    app_.form2().player().Play();
    app_.ScanMode = kScanRewind;
}

void MainWindow::Command8_Click()
{
    if (refuseInStillPictureMode())
        return;
    mnuNextBack_Click();
}

void MainWindow::Slider1_Change()
{
    if (refuseInStillPictureMode())
        return;
    app_.form2().player().setVolume(qint16(Slider1->value() - 3000));
}

void MainWindow::Timer1_Timer()
{
    app_.ScanStep();
}

// ---- List ----

void MainWindow::ListView1_Click()
{
    if (isVideoMode())
        app_.PlaySelected();
    else
        app_.ShowSelectedPicture();
}

void MainWindow::ListView1_KeyDown(int keyCode)
{
    if (keyCode == ListView::kKeyEnter)
        ListView1_Click();
    else
        ListView1->setTabStop(false);
}

void MainWindow::ListView1_Keyup(int keyCode)
{
    if (keyCode == ListView::kKeySpace) {
        app_.SelectNextRow();
    } else if (keyCode == ListView::kKeyNonConvert) {
        app_.SelectPreviousRow();
    } else {
        ListView1->setTabStop(false);
        return;
    }
    if (isStillPictureMode())
        app_.ShowSelectedPicture();
}

// ---- Menus ----

void MainWindow::mnuEnd_Click()
{
    app_.endNow();
}

void MainWindow::mnuPlay_Click()
{
    mnus->setEnabled(!isStillPictureMode());
}

void MainWindow::chooseScreenSize(int percent)
{
    app_.ScreenSize = percent;
    app_.ApplyScreenSize();
}

void MainWindow::mnu50_Click()
{
    chooseScreenSize(50);
}

void MainWindow::mnu100_Click()
{
    chooseScreenSize(100);
}

void MainWindow::mnu150_Click()
{
    chooseScreenSize(150);
}

void MainWindow::mnuNext_Click()
{
    app_.form2().player().Play();
    app_.SelectNextRow();
    app_.PlaySelected();
}

void MainWindow::mnuNextBack_Click()
{
    app_.form2().player().Play();
    app_.SelectPreviousRow();
    app_.PlaySelected();
}

void MainWindow::mnuOption_Click()
{
    bringForward(isVideoMode() ? app_.form3() : app_.form5());
}

void MainWindow::mnuTopic_Click()
{
    HelpViewer& viewer = app_.helpViewer();
    viewer.openFinder(helpfile::resolve(QCoreApplication::applicationDirPath(), helpFile_));
    bringForward(viewer);
}

void MainWindow::mnuVersion_Click()
{
    bringForward(app_.frmAbout());
}
