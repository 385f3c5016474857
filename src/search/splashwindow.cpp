#include "search/splashwindow.h"

#include "platform/twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

SplashWindow::SplashWindow(std::function<long()> foundCount, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(twips::toPixelSize(3285, 2115));

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(twips::toPixelRect({120, 120, 3001, 1770}));

    auto* working = new QLabel(QStringLiteral("処理中"), frame);
    working->setObjectName(QStringLiteral("Label1"));
    QFont big(QStringLiteral("Noto Sans CJK JP"));
    big.setPointSize(36);
    big.setWeight(QFont::Normal);
    working->setFont(big);
    working->setGeometry(twips::toPixelRect({360, 360, 2175, 855}));

    auto* hint = new QLabel(QStringLiteral("Cancelボタンで中止します"), frame);
    hint->setObjectName(QStringLiteral("Label2"));
    hint->setGeometry(twips::toPixelRect({480, 1320, 2295, 255}));

    count_ = new QLabel(frame);
    count_->setObjectName(QStringLiteral("FoundCount"));
    count_->setGeometry(twips::toPixelRect({480, 1560, 2295, 195}));
    QFont small = count_->font();
    small.setPixelSize(11);
    count_->setFont(small);
    const auto showCount = [this, foundCount = std::move(foundCount)] {
        count_->setText(QStringLiteral("見つかったファイル: %1").arg(foundCount()));
    };
    showCount();
    countTimer_.setInterval(100);
    connect(&countTimer_, &QTimer::timeout, this, showCount);
    countTimer_.start();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = rect();
        area.moveCenter(screen->geometry().center());
        move(area.topLeft());
    }
}
