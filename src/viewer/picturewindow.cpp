#include "viewer/picturewindow.h"

#include "platform/twips.h"
#include "viewer/pictureimage.h"
#include "viewer/picturefit.h"

#include <QKeyEvent>
#include <QPainter>

const QString PictureWindow::KeyHelpText =
    QStringLiteral("表示方法１　キーボードの↓で次のファイル") + QStringLiteral("↑で前のファイルでファイル選択後") +
    QStringLiteral("Enter で表示") + QChar(13) + QStringLiteral("表示方法２　キーボードのスペースで次のファイル　") +
    QStringLiteral("キーボードの無変換で前のファイル　");

void CaptionLabel::setCaption(const QString& caption)
{
    caption_ = caption;
    QString shown = caption;
    setText(shown.replace(QChar(13), QChar(10)));
}

void CaptionLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    const QStringList lines = caption_.split(QChar(13));
    const double pitch = double(height()) / std::max<qsizetype>(1, lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(QRectF(2, i * pitch, width() - 2, pitch), Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
}

PictureWindow::PictureWindow(QWidget* parent)
    : ToolWindow(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("スライドショー"));
    allowFullScreen();
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::black));
    resize(twips::toPixelSize(8745, 7770));

    image_ = new PictureImage(this);
    image_->setSizeTwips(3015, 2175);
    image_->movePositionTwips(3000, 1920);
    image_->hide();

    label_ = new CaptionLabel(this);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setGeometry(twips::toPixelRect({0, 0, 7095, 375}));
    label_->setAutoFillBackground(true);
    QPalette look;
    look.setColor(QPalette::Window, QColor(255, 224, 192));
    look.setColor(QPalette::WindowText, Qt::black);
    label_->setPalette(look);
    QFont small = label_->font();
    small.setPixelSize(10);
    label_->setFont(small);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureWindow::Form_Load(std::function<QRect()> areaBesideMainWindow)
{
    placeOuter(std::move(areaBesideMainWindow));
    label_->setCaption(KeyHelpText);
}

void PictureWindow::Form_Resize()
{
    CenterPicture();
}

void PictureWindow::CenterPicture()
{
    const twips::Rect shown = image_->geometryTwips();
    const bool alone = isFullScreen();
    const picturefit::Position at =
        picturefit::CenterPicture(alone ? twips::fromPixels(width()) : outerWidth(),
                                  alone ? twips::fromPixels(height()) : outerHeight(), shown.width, shown.height);
    image_->movePositionTwips(at.left, at.top);
}

void PictureWindow::resizeEvent(QResizeEvent*)
{
    // Full screen shows the picture alone.
    label_->setVisible(!isFullScreen());
    Form_Resize();
}

void PictureWindow::changeEvent(QEvent* event)
{
    // Full screen may be reported after the size it brings.
    if (event->type() == QEvent::WindowStateChange) {
        label_->setVisible(!isFullScreen());
        Form_Resize();
    }
    ToolWindow::changeEvent(event);
}

void PictureWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        emit nextPictureRequested();
        break;
    case Qt::Key_Muhenkan:
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_PageUp:
    case Qt::Key_B:
        emit previousPictureRequested();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit showAgainRequested();
        break;
    default:
        ToolWindow::keyPressEvent(event);
    }
}
