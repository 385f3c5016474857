// The main window's menu bar and the wiring of its controls.
#include "mainwindow/mainwindow.h"
#include "core/playbackstate.h"

#include "mainwindow/picturebutton.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "list/listview.h"

#include <QMenuBar>
#include <QRadioButton>
#include <QSlider>

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption, QKeySequence shortcut = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

void addSeparator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

} // namespace

void MainWindow::createMenus()
{
    QMenuBar* bar = menuBar();
    QMenu* file = fileMenu = addMenu(bar, "mnuFile", QStringLiteral("ファイル(&F)"));
    connect(addItem(file, "mnuSerch", QStringLiteral("検索"), QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, &MainWindow::mnuSerch_Click);
    addSeparator(file, "mnusp2");
    connect(addItem(file, "mnuEnd", QStringLiteral("終了(&X)")), &QAction::triggered, this,
            &MainWindow::mnuEnd_Click);

    QMenu* play = playMenu = addMenu(bar, "mnuPlay", QStringLiteral("操作（&P)"));
    connect(play, &QMenu::aboutToShow, this, &MainWindow::mnuPlay_Click);
    screenSizeMenu = play->addMenu(QStringLiteral("画面サイズ"));
    screenSizeMenu->setObjectName(QStringLiteral("mnus"));
    screenSizeMenu->menuAction()->setObjectName(QStringLiteral("mnus"));
    connect(addItem(screenSizeMenu, "mnu50", QStringLiteral("50%")), &QAction::triggered, this, &MainWindow::mnu50_Click);
    connect(addItem(screenSizeMenu, "mnu100", QStringLiteral("100%")), &QAction::triggered, this, &MainWindow::mnu100_Click);
    connect(addItem(screenSizeMenu, "mnu150", QStringLiteral("150%")), &QAction::triggered, this, &MainWindow::mnu150_Click);
    addSeparator(play, "mnusp");
    connect(addItem(play, "mnuNext", QStringLiteral("次のファイル   Space")), &QAction::triggered, this,
            &MainWindow::mnuNext_Click);
    connect(addItem(play, "mnuNextBack", QStringLiteral("前のファイル   B")), &QAction::triggered, this,
            &MainWindow::mnuNextBack_Click);
    addSeparator(play, "mnusp4");
    connect(addItem(play, "mnuOption", QStringLiteral("オプション(&O)")), &QAction::triggered, this,
            &MainWindow::mnuOption_Click);

    QMenu* help = addMenu(bar, "mnuHelp", QStringLiteral("ヘルプ(&H)"));
    connect(addItem(help, "mnuTopic", QStringLiteral("トピックの検索(&T)"), QKeySequence(Qt::Key_F1)),
            &QAction::triggered, this, &MainWindow::mnuTopic_Click);
    addSeparator(help, "mnusp3");
    connect(addItem(help, "mnuVersion", QStringLiteral("バージョン情報(&A)")), &QAction::triggered, this,
            &MainWindow::mnuVersion_Click);
}

void MainWindow::connectControls()
{
    connect(driveList, &DriveList::Change, this, &MainWindow::Drive1_Change);
    connect(folderList, &DirList::Change, this, &MainWindow::Dir1_Change);
    connect(volumeSlider, &QSlider::valueChanged, this, &MainWindow::Slider1_Change);
    connect(scanTimer, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    connect(fileList, &ListView::Click, this, &MainWindow::ListView1_Click);
    connect(fileList, &ListView::KeyDown, this, &MainWindow::ListView1_KeyDown);
    connect(fileList, &ListView::KeyUp, this, &MainWindow::ListView1_Keyup);
    // The mode and the volume, as set here, are the program's.
    PlaybackState& state = app_.playbackState();
    for (QRadioButton* option : {videoModeOption, pictureModeOption})
        connect(option, &QRadioButton::toggled, &state, [this, &state] { state.setVideoMode(videoModeOption->isChecked()); });
    connect(volumeSlider, &QSlider::valueChanged, &state, [&state, slider = volumeSlider] {
        state.setVolume(double(slider->value() - slider->minimum()) / std::max(1, slider->maximum() - slider->minimum()));
    });
    const std::pair<PictureButton*, void (MainWindow::*)()> clicks[] = {
        {searchButton, &MainWindow::Command1_Click}, {cancelButton, &MainWindow::Command2_Click},
        {playButton, &MainWindow::Command3_Click}, {stopButton, &MainWindow::Command4_Click},
        {nextButton, &MainWindow::Command5_Click}, {fastForwardButton, &MainWindow::Command6_Click},
        {rewindButton, &MainWindow::Command7_Click}, {previousButton, &MainWindow::Command8_Click},
    };
    for (const auto& [button, slot] : clicks)
        connect(button, &QAbstractButton::clicked, this, slot);
}
