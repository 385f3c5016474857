#include "help/aboutwindow.h"

#include "platform/legiblecolour.h"
#include "platform/twips.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QResource>
#include <QTimer>

namespace {

// Drawn from the SVG at build time, at these sides, as premultiplied ARGB
// pixels: an image reader would load every image format plugin.
constexpr int kIconSides[] = {16, 24, 32, 48, 64, 128};

// The pixels are read where they lie in the program (stored uncompressed),
// not copied.
QImage iconImage(int side)
{
    const QResource pixels(QStringLiteral(":/icons/duvavazoruzevaz-%1.argb").arg(side));
    if (!pixels.isValid() || pixels.compressionAlgorithm() != QResource::NoCompression ||
        pixels.size() != qint64(side) * side * 4)
        return {};
    return QImage(pixels.data(), side, side, QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QIcon programIcon()
{
    QIcon icon;
    for (const int side : kIconSides)
        icon.addPixmap(QPixmap::fromImage(iconImage(side)));
    return icon;
}

namespace {

void setWindowIcon()
{
    QApplication::setWindowIcon(programIcon());
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
    new AfterFirstPaint(window, setWindowIcon);
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
