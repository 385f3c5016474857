#include "app/mainwindow.h"

#include "app/application.h"
#include "app/picturebutton.h"
#include "platform/twips.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "search/listview.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
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

MainWindow::MainWindow(Application& app) : app_(app)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("DuvavazorUzevaz"));
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
    auto* frame = new QGroupBox(QStringLiteral("Frame1"), client_);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setAutoFillBackground(true);
    paint(frame, QPalette::Window, Qt::black);
    paint(frame, QPalette::WindowText, Qt::black);
    for (QRadioButton** option : {&Option1, &Option2}) {
        const bool first = option == &Option1;
        *option = new QRadioButton(first ? QStringLiteral("動画") : QStringLiteral("静止画"), frame);
        (*option)->setObjectName(first ? QStringLiteral("Option1") : QStringLiteral("Option2"));
        paint(*option, QPalette::WindowText, QColor(255, 128, 128));
    }

    Drive1 = new DriveList(app_.mounts(), client_);
    paint(Drive1, QPalette::Base, kOrange);
    paint(Drive1, QPalette::Button, kOrange);
    Dir1 = new DirList([this](const QString& path) { return Drive1->volumeOf(path); }, client_);
    paint(Dir1, QPalette::Base, kOrange);
    paint(Dir1, QPalette::Text, palette().color(QPalette::ButtonText));
    ListView1 = new ListView(client_);

    Label1 = new QLabel(QStringLiteral("Volume"), client_);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAutoFillBackground(true);
    paint(Label1, QPalette::WindowText, QColor(255, 192, 255));
    paint(Label1, QPalette::Window, palette().color(QPalette::ButtonText));
    Slider1 = new QSlider(Qt::Horizontal, client_);
    Slider1->setObjectName(QStringLiteral("Slider1"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(200);
}

void MainWindow::createButtons()
{
    using Face = PictureButton::Face;
    const struct {
        PictureButton** button;
        Face face;
        const char* name;
        const char* tooltip;
    } buttons[] = {
        {&Command1, Face::Search, "Command1", nullptr},   {&Command2, Face::Cancel, "Command2", nullptr},
        {&Command3, Face::Play, "Command3", "再生"},       {&Command4, Face::Stop, "Command4", "停止"},
        {&Command5, Face::Next, "Command5", "次のファイル"}, {&Command6, Face::FastForward, "Command6", "早送り"},
        {&Command7, Face::Rewind, "Command7", "巻き戻し"}, {&Command8, Face::Previous, "Command8", "前のファイル"},
    };
    for (const auto& b : buttons) {
        *b.button = new PictureButton(b.face, client_);
        (*b.button)->setObjectName(QLatin1String(b.name));
        if (b.tooltip)
            (*b.button)->setToolTip(QString::fromUtf8(b.tooltip));
    }
    // Tab order by the design's tab indexes; Drive1 (index 0) starts.
    QWidget* const order[] = {Drive1,  Command1, Command2, Command3, Command4, Command5, Command6, Command7,
                              Command8, Dir1,    Slider1,  ListView1, Option2, Option1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    // Command2 is the cancel button: Esc clicks it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command2, &QAbstractButton::click);
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
    return Option1->isChecked();
}

bool MainWindow::isStillPictureMode() const
{
    return Option2->isChecked();
}

void MainWindow::Form_Load()
{
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    helpFile_ = QStringLiteral("ruzedir.hlp");
    move(0, 0);
    resize(twips::toPixels(mainlayout::kDesignWidth),
           twips::toPixels(mainlayout::kDesignHeight) + menuBar()->sizeHint().height());
    distances_ = mainlayout::recordDistances(mainlayout::design(), mainlayout::kDesignWidth,
                                             mainlayout::kDesignHeight);
    const int column = twips::toPixels(twips::roundHalfEven(geometry_.at(QStringLiteral("ListView1")).width / 3.5));
    ListView1->rows().setHeaders({QStringLiteral("ファイル名"), QStringLiteral("サイズ"), QStringLiteral("フォルダ")});
    for (int i = 0; i < 3; ++i)
        ListView1->header()->resizeSection(i, column);
    Slider1->setMaximum(3000);
    Slider1->setMinimum(0);
    Slider1->setValue(1500);
    Option1or2();
    RestoreDriveFolder();
    Timer1->start();
    loaded_ = true;
}

void MainWindow::Option1or2()
{
    const QString stored = app_.settings().getSetting(settingskeys::kApp, settingskeys::kOption,
                                                      QStringLiteral("OP"), settingskeys::kNoData);
    const bool video = stored == settingskeys::kNoData || stored == QLatin1String("OP1");
    (video ? Option1 : Option2)->setChecked(true);
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

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Form_QueryUnload: store the display mode and end at once.
    event->accept();
    OptionRegSave();
    app_.endNow();
}
