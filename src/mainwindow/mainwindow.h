#pragma once

#include "mainwindow/mainlayout.h"
#include "mainwindow/mainwindowhost.h"

#include <QMainWindow>
#include <QTimer>

class DirList;
class DriveList;
class ListView;
class PictureButton;
class QAction;
class QLabel;
class QMenu;
class QRadioButton;
class QSlider;
enum class ScanMode;

// Form1: the narrow main window at the screen's left edge.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowHost& app);

    // Runs the load steps; the caller shows the window afterwards.
    void Form_Load();
    // Shown the first time where the load put it, on a Wayland compositor
    // that takes positions too.
    void setVisible(bool visible) override;

    void Option1or2();
    void OptionRegSave();
    bool isVideoMode() const;
    bool isStillPictureMode() const;

    // The controls; each keeps its designer name as its object name.
    QRadioButton* videoModeOption = nullptr;   // Option1 (動画)
    QRadioButton* pictureModeOption = nullptr; // Option2 (静止画)
    DriveList* driveList = nullptr;            // Drive1
    DirList* folderList = nullptr;             // Dir1
    ListView* fileList = nullptr;              // ListView1
    QLabel* volumeLabel = nullptr;             // Label1
    QSlider* volumeSlider = nullptr;           // Slider1
    PictureButton* searchButton = nullptr;     // Command1
    PictureButton* cancelButton = nullptr;     // Command2
    PictureButton* playButton = nullptr;       // Command3
    PictureButton* stopButton = nullptr;       // Command4
    PictureButton* nextButton = nullptr;       // Command5
    PictureButton* fastForwardButton = nullptr; // Command6
    PictureButton* rewindButton = nullptr;     // Command7
    PictureButton* previousButton = nullptr;   // Command8
    QTimer* scanTimer = nullptr;               // Timer1
    QMenu* fileMenu = nullptr;                 // mnuFile (ファイル)
    QMenu* playMenu = nullptr;                 // mnuPlay (操作)
    QMenu* screenSizeMenu = nullptr;           // mnus (画面サイズ)

    QWidget* client() const { return client_; }
    // The help file name set at load, resolved against the program's folder.
    QString helpFile() const { return helpFile_; }
    // Every control's current geometry in twips.
    const mainlayout::Geometry& geometry() const { return geometry_; }

public slots:
    void Form_Resize();
    void Drive1_Change();
    void Dir1_Change();
    // Search and cancel
    void Command1_Click();
    void Command2_Click();
    void mnuSerch_Click();
    // Transport
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Slider1_Change();
    void Timer1_Timer();
    // List
    void ListView1_Click();
    void ListView1_KeyDown(int keyCode);
    void ListView1_Keyup(int keyCode);
    // Menus
    void mnuEnd_Click();
    void mnuPlay_Click();
    void mnu50_Click();
    void mnu100_Click();
    void mnu150_Click();
    void mnuNext_Click();
    void mnuNextBack_Click();
    void mnuOption_Click();
    void mnuTopic_Click();
    void mnuVersion_Click();

    // A keyboard's media keys (play, pause, play/pause, stop, next,
    // previous): the transport in video mode; next and previous step the
    // pictures in still-picture mode, where the others do nothing. False for
    // any other key.
    bool mediaKey(int key);
    // That many presses of the next (negative: previous) media key at once.
    void stepRows(int rows);
    // Keys of the video window: Space pauses and resumes, ← and → step
    // five seconds, PageUp and PageDown play the previous and next rows.
    // True when the key is one of them.
    bool videoWindowKey(int key);

protected:
    void closeEvent(QCloseEvent* event) override;
    // A folder or file dropped from a file manager opens as from the command line.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Timer1 ticks only while fast forward or rewind has a position to move.
    void setScanMode(ScanMode mode);
    void playbackKey(int key);
    void createControls();
    void createButtons();
    void createMenus();
    void connectControls();
    void applyGeometry();
    void RestoreDriveFolder();
    bool restoreStoredFolder();
    void chooseFirstFolder();
    bool refuseInStillPictureMode();
    void saveDriveAndFolder();

    MainWindowHost& app_;
    QWidget* client_ = nullptr;
    mainlayout::Geometry geometry_;
    mainlayout::Distances distances_{};
    bool loaded_ = false;
    bool shownBefore_ = false;
    QString helpFile_;
};
