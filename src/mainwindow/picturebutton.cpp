#include "mainwindow/picturebutton.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kMagenta(255, 0, 128);

QPolygonF triangle(double left, double top, double width, double height, bool pointsRight)
{
    const double tipX = pointsRight ? left + width : left;
    const double baseX = pointsRight ? left : left + width;
    return QPolygonF({QPointF(baseX, top), QPointF(tipX, top + height / 2), QPointF(baseX, top + height)});
}

} // namespace

PictureButton::PictureButton(Face face, QWidget* parent) : QAbstractButton(parent), face_(face)
{
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::enterEvent(QEnterEvent* event)
{
    // The hand is set at the first hover: making the first cursor reads the
    // cursor theme, which the window's first showing need not wait for.
    if (!testAttribute(Qt::WA_SetCursor))
        setCursor(Qt::PointingHandCursor);
    QAbstractButton::enterEvent(event);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (isDown())
        area.translate(1, 1);
    if (face_ == Face::Search || face_ == Face::Cancel)
        paintWord(painter, area);
    else
        paintSymbol(painter, area);
    if (hasFocus()) {
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5));
    }
}

void PictureButton::paintSymbol(QPainter& painter, const QRectF& area) const
{
    painter.fillRect(rect(), Qt::black);
    const double unit = std::min(area.width(), area.height());
    const QRectF box(area.center().x() - unit * 0.34, area.center().y() - unit * 0.28, unit * 0.68,
                     unit * 0.56);
    QPainterPath path;
    const double half = box.width() / 2;
    const double bar = box.width() * 0.16;
    switch (face_) {
    case Face::Play:
        path.addPolygon(triangle(box.left() + box.width() * 0.12, box.top(), box.width() * 0.8, box.height(), true));
        break;
    case Face::Stop:
        path.addRect(QRectF(box.center().x() - box.height() / 2, box.top(), box.height(), box.height()));
        break;
    case Face::Next:
        path.addPolygon(triangle(box.left(), box.top(), box.width() - bar * 1.5, box.height(), true));
        path.addRect(QRectF(box.right() - bar, box.top(), bar, box.height()));
        break;
    case Face::Previous:
        path.addRect(QRectF(box.left(), box.top(), bar, box.height()));
        path.addPolygon(triangle(box.left() + bar * 1.5, box.top(), box.width() - bar * 1.5, box.height(), false));
        break;
    case Face::FastForward:
        path.addPolygon(triangle(box.left(), box.top(), half, box.height(), true));
        path.addPolygon(triangle(box.left() + half, box.top(), half, box.height(), true));
        break;
    case Face::Rewind:
        path.addPolygon(triangle(box.left(), box.top(), half, box.height(), false));
        path.addPolygon(triangle(box.left() + half, box.top(), half, box.height(), false));
        break;
    default:
        break;
    }
    path.closeSubpath();
    painter.setPen(QPen(Qt::white, std::max(1.0, unit / 22.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(kMagenta);
    painter.drawPath(path.simplified());
}

void PictureButton::paintWord(QPainter& painter, const QRectF& area) const
{
    painter.fillRect(rect(), Qt::black);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(kMagenta);
    painter.drawRoundedRect(area.adjusted(1, 1, -1, -1), 3, 3);
    QFont font = painter.font();
    font.setPixelSize(std::max(8, int(area.height() * 0.55)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(area, Qt::AlignCenter,
                     face_ == Face::Search ? QStringLiteral("Search") : QStringLiteral("Cancel"));
}
