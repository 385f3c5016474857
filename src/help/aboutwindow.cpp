#include "help/aboutwindow.h"

#include "platform/legiblecolour.h"
#include "platform/twips.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QThreadPool>
#include <QTimer>

namespace {
const QString kIconSource = QStringLiteral(":/duvavazoruzevaz.svg");
} // namespace

QIcon programIcon()
{
    Q_INIT_RESOURCE(resources); // the icon lives in a static library's resources
    return QIcon(kIconSource);
}

namespace {

void setWindowIconInBackground()
{
    QThreadPool::globalInstance()->start([] {
        QList<QImage> images;
        for (const int side : {16, 24, 32, 48, 64, 128}) {
            QImageReader reader(kIconSource);
            reader.setScaledSize(QSize(side, side));
            images.append(reader.read());
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(), [images] {
            QIcon icon;
            for (const QImage& image : images)
                icon.addPixmap(QPixmap::fromImage(image));
            QApplication::setWindowIcon(icon);
        });
    });
}

// Runs its task after the window's first paint.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* window, void (*task)()) : QObject(window), task_(task) { window->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, task_);
            deleteLater();
        }
        return false;
    }

private:
    void (*task_)();
};

} // namespace

void setWindowIconAfterFirstPaint(QWidget* window)
{
    Q_INIT_RESOURCE(resources);
    new AfterFirstPaint(window, setWindowIconInBackground);
}

QString AboutWindow::versionText()
{
    return QStringLiteral("Version %1.%2.%3").arg(PROGRAM_VERSION_MAJOR).arg(PROGRAM_VERSION_MINOR).arg(PROGRAM_VERSION_PATCH);
}

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 "));
    setWindowIcon(programIcon());
    setModal(false);
    setGeometry(twips::toPixelRect({3360, 330, 3585, 1680}));
    setFixedSize(size());

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twips::toPixelRect({2040, 1200, 1260, 345}));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::cmdOK_Click);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twips::toPixelRect({240, 240, 480, 480}));
    picIcon->setAutoFillBackground(true);
    QPalette grey = picIcon->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    picIcon->setPalette(grey);
    picIcon->setPixmap(programIcon().pixmap(32, 32));

    lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(twips::toPixelRect({1050, 780, 2205, 225}));

    lblTitle = new QLabel(QStringLiteral("duvaVazorUzevaz"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(twips::toPixelRect({1050, 240, 2325, 480}));
    QFont titleFont = lblTitle->font();
    titleFont.setPixelSize(18);
    lblTitle->setFont(titleFont);
    QPalette black = lblTitle->palette();
    black.setColor(QPalette::WindowText, legiblecolour::against(Qt::black, black.color(QPalette::Window)));
    lblTitle->setPalette(black);

    cmdOK->setFocus();
}

void AboutWindow::cmdOK_Click()
{
    close();
}
