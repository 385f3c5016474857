#include "platform/toolwindow.h"

#include "platform/twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

ToolWindow::ToolWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint)
{
}

namespace {

QMargins ownFrame(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return handle && window.isVisible() ? handle->frameMargins() : QMargins();
}

} // namespace

QMargins windowFrame(const QWidget& window)
{
    const QMargins own = ownFrame(window);
    if (!own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        const QMargins frame = ownFrame(*other);
        if (!frame.isNull())
            return frame;
    }
    return {};
}

double outerWidth(const QWidget& window)
{
    const QMargins frame = windowFrame(window);
    return twips::fromPixels(window.width() + frame.left() + frame.right());
}

double ToolWindow::outerWidth() const
{
    return ::outerWidth(*this);
}

double ToolWindow::outerHeight() const
{
    const QMargins frame = windowFrame(*this);
    return twips::fromPixels(height() + frame.top() + frame.bottom());
}

QRect workArea(const QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen->availableGeometry();
}

QRect areaBeside(const QWidget& mainWindow)
{
    QRect area = workArea(mainWindow);
    area.setLeft(area.left() + twips::toPixels(outerWidth(mainWindow)));
    return area;
}

void ToolWindow::setOuterSize(double width, double height)
{
    const QMargins frame = windowFrame(*this);
    resize(std::max(1, twips::toPixels(width) - frame.left() - frame.right()),
           std::max(1, twips::toPixels(height) - frame.top() - frame.bottom()));
}

void ToolWindow::placeOuter(std::function<QRect()> outer)
{
    placement_ = std::move(outer);
    applyPlacement();
    settlePlacement();
}

void ToolWindow::applyPlacement()
{
    const QRect outer = placement_();
    const QMargins frame = windowFrame(*this);
    resize(std::max(1, outer.width() - frame.left() - frame.right()),
           std::max(1, outer.height() - frame.top() - frame.bottom()));
    // Before the window exists, move() places the frame's corner (the
    // window manager keeps it there). After, it places the frame's corner
    // where Qt knows the frame, else the client's: then add the frame the
    // window manager will give.
    if (!testAttribute(Qt::WA_WState_Created)) {
        move(outer.topLeft());
        return;
    }
    const QPoint known(geometry().x() - x(), geometry().y() - y());
    move(outer.topLeft() + QPoint(frame.left(), frame.top()) - known);
}

void ToolWindow::settlePlacement()
{
    if (!placement_ || ownFrame(*this).isNull())
        return;
    if (frameGeometry() != placement_())
        applyPlacement();
    placement_ = nullptr;
}

bool ToolWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        settlePlacement();
        break;
    case QEvent::WindowStateChange:
        // Active, so that window managers keep a full-screen window above
        // the desktop's panels; asked once the state has really changed,
        // as a window manager may pass over a request made earlier.
        if (isFullScreen())
            QTimer::singleShot(0, this, [this] {
                if (isFullScreen()) {
                    raise();
                    activateWindow();
                }
            });
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void ToolWindow::toggleFullScreen()
{
    // Window managers keep tool windows out of full screen, and without a
    // window manager nobody sizes the window: it goes full screen as a
    // normal window, at the screen's size, and comes back as it was.
    if (isFullScreen()) {
        setWindowFlag(Qt::Tool, true);
        setWindowState(Qt::WindowNoState);
        setGeometry(normalGeometry_);
        show();
    } else {
        normalGeometry_ = geometry();
        const QRect screenArea = screen()->geometry();
        setWindowFlag(Qt::Tool, false);
        setGeometry(screenArea);
        showFullScreen();
    }
    emit fullScreenChanged(isFullScreen());
}

void ToolWindow::keyPressEvent(QKeyEvent* event)
{
    if (fullScreenAllowed_ && event->key() == Qt::Key_F11) {
        toggleFullScreen();
    } else if (fullScreenAllowed_ && event->key() == Qt::Key_Escape) {
        if (isFullScreen())
            toggleFullScreen();
        emit focusMainWindow();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void ToolWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (fullScreenAllowed_ && event->button() == Qt::LeftButton)
        toggleFullScreen();
    else
        QWidget::mouseDoubleClickEvent(event);
}
