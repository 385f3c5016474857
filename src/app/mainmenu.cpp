// The main window's menu bar and the wiring of its controls.
#include "app/mainwindow.h"

#include "app/picturebutton.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "search/listview.h"

#include <QMenuBar>
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
    QMenu* file = addMenu(bar, "mnuFile", QStringLiteral("ファイル(&F)"));
    connect(addItem(file, "mnuSerch", QStringLiteral("検索"), QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, &MainWindow::mnuSerch_Click);
    addSeparator(file, "mnusp2");
    connect(addItem(file, "mnuEnd", QStringLiteral("終了(&X)")), &QAction::triggered, this,
            &MainWindow::mnuEnd_Click);

    QMenu* play = addMenu(bar, "mnuPlay", QStringLiteral("操作（&P)"));
    connect(play, &QMenu::aboutToShow, this, &MainWindow::mnuPlay_Click);
    mnus = play->addMenu(QStringLiteral("画面サイズ"));
    mnus->setObjectName(QStringLiteral("mnus"));
    mnus->menuAction()->setObjectName(QStringLiteral("mnus"));
    connect(addItem(mnus, "mnu50", QStringLiteral("50%")), &QAction::triggered, this, &MainWindow::mnu50_Click);
    connect(addItem(mnus, "mnu100", QStringLiteral("100%")), &QAction::triggered, this, &MainWindow::mnu100_Click);
    connect(addItem(mnus, "mnu150", QStringLiteral("150%")), &QAction::triggered, this, &MainWindow::mnu150_Click);
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
    connect(Drive1, &DriveList::Change, this, &MainWindow::Drive1_Change);
    connect(Dir1, &DirList::Change, this, &MainWindow::Dir1_Change);
    connect(Slider1, &QSlider::valueChanged, this, &MainWindow::Slider1_Change);
    connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    connect(ListView1, &ListView::Click, this, &MainWindow::ListView1_Click);
    connect(ListView1, &ListView::KeyDown, this, &MainWindow::ListView1_KeyDown);
    connect(ListView1, &ListView::KeyUp, this, &MainWindow::ListView1_Keyup);
    const std::pair<PictureButton*, void (MainWindow::*)()> clicks[] = {
        {Command1, &MainWindow::Command1_Click}, {Command2, &MainWindow::Command2_Click},
        {Command3, &MainWindow::Command3_Click}, {Command4, &MainWindow::Command4_Click},
        {Command5, &MainWindow::Command5_Click}, {Command6, &MainWindow::Command6_Click},
        {Command7, &MainWindow::Command7_Click}, {Command8, &MainWindow::Command8_Click},
    };
    for (const auto& [button, slot] : clicks)
        connect(button, &QAbstractButton::clicked, this, slot);
}
