#include "mainwindow/mainwindow.h"
#include "core/playbackstate.h"
#include "settings/settingsstore.h"

#include "mainwindow/picturebutton.h"
#include "platform/legiblecolour.h"
#include "platform/nativename.h"
#include "platform/plasmaplacement.h"
#include "platform/twips.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "list/listview.h"

#include <QCloseEvent>
#include <QMimeData>
#include <QUrl>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>

namespace {

const QColor kOrange(255, 192, 128);

void paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette look = widget->palette();
    look.setColor(role, colour);
    widget->setPalette(look);
}

} // namespace

MainWindow::MainWindow(MainWindowHost& app) : app_(app)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("DuvavazorUzevaz"));
    setAcceptDrops(true);
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setAutoFillBackground(true);
    paint(client_, QPalette::Window, Qt::black);
    setCentralWidget(client_);
    client_->installEventFilter(this);
    createControls();
    createButtons();
    createMenus();
    geometry_ = mainlayout::design();
    applyGeometry();
    connectControls();
}

void MainWindow::createControls()
{
    // The frame's top edge lies above the client area, out of view.
    auto* frame = new QFrame(client_);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setAccessibleName(QStringLiteral("表示する種類")); // what its two options choose
    frame->setAutoFillBackground(true);
    paint(frame, QPalette::Window, Qt::black);
    paint(frame, QPalette::WindowText, Qt::black);
    for (QRadioButton** option : {&videoModeOption, &pictureModeOption}) {
        const bool first = option == &videoModeOption;
        *option = new QRadioButton(first ? QStringLiteral("動画") : QStringLiteral("静止画"), frame);
        (*option)->setObjectName(first ? QStringLiteral("Option1") : QStringLiteral("Option2"));
        paint(*option, QPalette::WindowText, QColor(255, 128, 128));
    }

    driveList = new DriveList(app_.mounts(), client_);
    folderList = new DirList([this](const QString& path) { return driveList->volumeOf(path); }, client_);
    // The menu-text colour on orange while it reads well there (dark
    // palettes give white): black otherwise.
    paint(folderList, QPalette::Base, kOrange);
    paint(folderList, QPalette::Text, legiblecolour::against(palette().color(QPalette::ButtonText), kOrange));
    fileList = new ListView(client_);
    driveList->setAccessibleName(QStringLiteral("ドライブ"));
    driveList->setAccessibleDescription(QStringLiteral("ドライブ")); // spoken beside its value, its name here
    folderList->setAccessibleName(QStringLiteral("フォルダ"));
    fileList->setAccessibleName(QStringLiteral("ファイル一覧"));

    volumeLabel = new QLabel(QStringLiteral("Volume"), client_);
    volumeLabel->setObjectName(QStringLiteral("Label1"));
    volumeLabel->setAutoFillBackground(true);
    const QColor pink(255, 192, 255);
    paint(volumeLabel, QPalette::WindowText, pink);
    paint(volumeLabel, QPalette::Window, legiblecolour::against(palette().color(QPalette::ButtonText), pink));
    volumeSlider = new QSlider(Qt::Horizontal, client_);
    volumeSlider->setObjectName(QStringLiteral("Slider1"));
    volumeSlider->setAccessibleName(QStringLiteral("音量"));

    scanTimer = new QTimer(this);
    scanTimer->setObjectName(QStringLiteral("Timer1"));
    scanTimer->setInterval(200);
}

void MainWindow::createButtons()
{
    using Face = PictureButton::Face;
    const struct {
        PictureButton** button;
        Face face;
        const char* name;
        const char* tooltip;
        const char* spokenName; // what a screen reader says: the picture's word or the tooltip
    } buttons[] = {
        {&searchButton, Face::Search, "Command1", nullptr, "検索"},
        {&cancelButton, Face::Cancel, "Command2", nullptr, "キャンセル"},
        {&playButton, Face::Play, "Command3", "再生", "再生"},
        {&stopButton, Face::Stop, "Command4", "停止", "停止"},
        {&nextButton, Face::Next, "Command5", "次のファイル", "次のファイル"},
        {&fastForwardButton, Face::FastForward, "Command6", "早送り", "早送り"},
        {&rewindButton, Face::Rewind, "Command7", "巻き戻し", "巻き戻し"},
        {&previousButton, Face::Previous, "Command8", "前のファイル", "前のファイル"},
    };
    for (const auto& b : buttons) {
        *b.button = new PictureButton(b.face, client_);
        (*b.button)->setObjectName(QLatin1String(b.name));
        if (b.tooltip)
            (*b.button)->setToolTip(QString::fromUtf8(b.tooltip));
        (*b.button)->setAccessibleName(QString::fromUtf8(b.spokenName));
    }
    // Tab order by the tab indexes; the drive list (index 0) starts.
    QWidget* const order[] = {driveList,    searchButton,   cancelButton, playButton,   stopButton,
                              nextButton,   fastForwardButton, rewindButton, previousButton, folderList,
                              volumeSlider, fileList,       pictureModeOption, videoModeOption};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    // Esc clicks the cancel button.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, cancelButton, &QAbstractButton::click);
}

void MainWindow::applyGeometry()
{
    for (const auto& [name, rect] : geometry_) {
        if (auto* widget = findChild<QWidget*>(name))
            widget->setGeometry(twips::toPixelRect(rect));
    }
}

bool MainWindow::isVideoMode() const
{
    return app_.playbackState().videoMode();
}

bool MainWindow::isStillPictureMode() const
{
    return !isVideoMode();
}

void MainWindow::setVisible(bool visible)
{
    const bool firstShow = visible && !shownBefore_;
    QMainWindow::setVisible(visible);
    if (firstShow) {
        shownBefore_ = true;
        plasmaplacement::place(*windowHandle(), frameGeometry().topLeft());
    }
}

void MainWindow::Form_Load()
{
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    helpFile_ = QStringLiteral("ruzedir.hlp");
    move(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    resize(twips::toPixels(mainlayout::kDesignWidth),
           twips::toPixels(mainlayout::kDesignHeight) + menuBar()->sizeHint().height());
    distances_ = mainlayout::recordDistances(mainlayout::design(), mainlayout::kDesignWidth,
                                             mainlayout::kDesignHeight);
    const int column = twips::toPixels(twips::roundHalfEven(geometry_.at(QStringLiteral("ListView1")).width / 3.5));
    fileList->rows().setHeaders({QStringLiteral("ファイル名"), QStringLiteral("サイズ"), QStringLiteral("フォルダ")});
    for (int i = 0; i < 3; ++i)
        fileList->header()->resizeSection(i, column);
    volumeSlider->setMaximum(3000);
    volumeSlider->setMinimum(0);
    volumeSlider->setValue(1500);
    Option1or2();
    RestoreDriveFolder();
    // The drive list (tab index 0) has the focus first, so a first arrow
    // key cannot switch the mode unseen.
    driveList->setFocus();
    loaded_ = true;
}

void MainWindow::Option1or2()
{
    const QString stored = app_.settings().getSetting(settingskeys::kApp, settingskeys::kOption,
                                                      QStringLiteral("OP"), settingskeys::kNoData);
    const bool video = stored == settingskeys::kNoData || stored == QLatin1String("OP1");
    (video ? videoModeOption : pictureModeOption)->setChecked(true);
}

void MainWindow::OptionRegSave()
{
    app_.settings().saveSetting(settingskeys::kApp, settingskeys::kOption, QStringLiteral("OP"),
                                isVideoMode() ? QStringLiteral("OP1") : QStringLiteral("OP2"));
}

void MainWindow::Form_Resize()
{
    const double width = twips::fromPixels(client_->width());
    const double height = twips::fromPixels(client_->height());
    if (isMinimized() || width <= 0 || height <= 0)
        return;
    geometry_ = mainlayout::resized(geometry_, distances_, width, height);
    applyGeometry();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == client_ && event->type() == QEvent::Resize && loaded_)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

namespace {
QByteArray droppedPath(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    return urls.isEmpty() ? QByteArray() : nativename::localPathOfUrl(urls.first());
}
} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedPath(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QByteArray path = droppedPath(*event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    app_.openFromOutside(path); // after the drop has finished: the file manager never waits for the search

}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Form_QueryUnload: store the display mode and end at once.
    event->accept();
    OptionRegSave();
    app_.endNow();
}
