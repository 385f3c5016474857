#include "search/splashwindow.h"

#include "platform/twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>

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
    QFont small = count_->font();
    small.setPixelSize(11);
    count_->setFont(small);
    // A whole line of its font, inside the frame's inner edge.
    const int lineHeight = QFontMetrics(small).height();
    const QRect line = twips::toPixelRect({480, 1560, 2295, 195});
    const int top = std::min(line.top(), frame->contentsRect().bottom() + 1 - lineHeight);
    count_->setGeometry(line.left(), top, line.width(), lineHeight);
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
