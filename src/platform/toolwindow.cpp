#include "platform/toolwindow.h"

#include "platform/twips.h"

ToolWindow::ToolWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint)
{
}

QMargins ToolWindow::frameMargins() const
{
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

double ToolWindow::outerWidth() const
{
    return twips::fromPixels(frameGeometry().width());
}

double ToolWindow::outerHeight() const
{
    return twips::fromPixels(frameGeometry().height());
}

void ToolWindow::setOuterSize(double width, double height)
{
    const QMargins frame = frameMargins();
    resize(std::max(1, twips::toPixels(width) - frame.left() - frame.right()),
           std::max(1, twips::toPixels(height) - frame.top() - frame.bottom()));
}
