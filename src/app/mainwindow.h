#pragma once

#include "app/mainlayout.h"

#include <QMainWindow>
#include <QTimer>

class Application;
class DirList;
class DriveList;
class ListView;
class PictureButton;
class QAction;
class QLabel;
class QMenu;
class QRadioButton;
class QSlider;

// Form1: the narrow main window at the screen's left edge.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Application& app);

    // Runs the load steps; the caller shows the window afterwards.
    void Form_Load();

    void Option1or2();
    void OptionRegSave();
    bool isVideoMode() const; // Option1 selected
    bool isStillPictureMode() const; // Option2 selected

    // The controls, by their designer names.
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    DriveList* Drive1 = nullptr;
    DirList* Dir1 = nullptr;
    ListView* ListView1 = nullptr;
    QLabel* Label1 = nullptr;
    QSlider* Slider1 = nullptr;
    PictureButton* Command1 = nullptr;
    PictureButton* Command2 = nullptr;
    PictureButton* Command3 = nullptr;
    PictureButton* Command4 = nullptr;
    PictureButton* Command5 = nullptr;
    PictureButton* Command6 = nullptr;
    PictureButton* Command7 = nullptr;
    PictureButton* Command8 = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* mnus = nullptr;

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

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createButtons();
    void createMenus();
    void connectControls();
    void applyGeometry();
    void RestoreDriveFolder();
    bool refuseInStillPictureMode();
    void chooseScreenSize(int percent);

    Application& app_;
    QWidget* client_ = nullptr;
    mainlayout::Geometry geometry_;
    mainlayout::Distances distances_{};
    bool loaded_ = false;
    QString helpFile_;
};
