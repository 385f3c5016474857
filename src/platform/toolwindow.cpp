#include "platform/toolwindow.h"

#include "platform/plasmaplacement.h"
#include "platform/twips.h"
#include "platform/withdrawal.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace {

// A screen reader is told these are windows, named by their titles (a
// plain widget would be a "filler" to it).
QAccessibleInterface* accessibleWindow(const QString&, QObject* object)
{
    auto* window = qobject_cast<ToolWindow*>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

} // namespace

ToolWindow::ToolWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint)
{
    static const bool spoken = (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(spoken);
}

ToolWindow::~ToolWindow() = default;

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

namespace {

// A Wayland compositor places windows itself and does not say where, nor
// where its panels are. GNOME's puts a new window where it covers no other
// if it can (right of or below one), else at the corner over the main
// window, and maximizes one that nearly fills the screen. The area is cut
// to what fits right of the main window wherever such a compositor put it:
// within half its width of the screen's edge, no lower than the middle.
QRect roomBesideWhereverPlaced(QRect area, const QSize& mainOuter, const QSize& screen)
{
    const int widest = std::max(screen.width() / 3, screen.width() - mainOuter.width() * 3 / 2);
    const int tallest = (screen.height() + mainOuter.height()) / 2;
    area.setWidth(std::min(area.width(), widest));
    area.setHeight(std::min(area.height(), tallest));
    return area;
}

} // namespace

QRect areaBeside(const QWidget& mainWindow)
{
    // Beside the main window where it stands (the work area's left edge,
    // unless the user moved it), on its roomier side.
    const QRect work = workArea(mainWindow);
    const int mainLeft = std::clamp(mainWindow.frameGeometry().left(), work.left(), work.right());
    QRect right = work;
    right.setLeft(mainLeft + twips::toPixels(outerWidth(mainWindow)));
    QRect left = work;
    left.setRight(mainLeft - 1);
    const QRect beside = right.width() >= left.width() ? right : left;
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return beside;
    const QSize mainOuter(twips::toPixels(outerWidth(mainWindow)), mainWindow.frameGeometry().height());
    return roomBesideWhereverPlaced(beside, mainOuter, work.size());
}

void ToolWindow::setOuterSize(double width, double height)
{
    const QMargins frame = windowFrame(*this);
    resize(std::max(1, twips::toPixels(width) - frame.left() - frame.right()),
           std::max(1, twips::toPixels(height) - frame.top() - frame.bottom()));
}

void ToolWindow::placeOuter(std::function<QRect()> outer)
{
    placer_ = outer;
    placement_ = std::move(outer);
    corrections_ = 0;
    applyPlacement();
    settlePlacement();
    if (const QScreen* screen = this->screen())
        connect(screen, &QScreen::availableGeometryChanged, this, &ToolWindow::followWorkArea, Qt::UniqueConnection);
}

void ToolWindow::followWorkArea()
{
    if (!placer_ || isFullScreen())
        return;
    placement_ = placer_;
    corrections_ = 0;
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
    if (isVisible())
        plasmaplacement::place(*windowHandle(), outer.topLeft());
}

void ToolWindow::settlePlacement()
{
    // A busy window manager may take a move before it has framed the
    // window, and put the frame where the client was asked for: the place
    // is asked again until it holds, a few times at most (a window
    // manager that places windows itself keeps its place).
    constexpr int kMostCorrections = 3;
    if (!placement_ || ownFrame(*this).isNull())
        return;
    if (frameGeometry() == placement_() || corrections_ >= kMostCorrections) {
        placement_ = nullptr;
        return;
    }
    ++corrections_;
    applyPlacement();
}

bool ToolWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        settlePlacement();
        break;
    case QEvent::WinIdChange: // made anew (to draw with OpenGL, say)
        if (placer_ && windowHandle() && !isFullScreen())
            plasmaplacement::place(*windowHandle(), frameGeometry().topLeft());
        break;
    default:
        break;
    }
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Close && event->isAccepted())
        withdrawal_.reset(); // closed while waiting to be shown again: it stays closed
    return handled;
}

void ToolWindow::toggleFullScreen()
{
    changeFullScreen(!isFullScreen(), false);
}

void ToolWindow::changeFullScreen(bool on, bool thenFocusMainWindow)
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return changeFullScreenInPlace(on, thenFocusMainWindow);
    // Window managers keep tool windows out of full screen, and without a
    // window manager nobody sizes the window: it goes full screen as a
    // normal window, at the screen's size, and comes back as it was.
    const QRect place = on ? screen()->geometry() : normalGeometry_;
    if (on)
        normalGeometry_ = geometry();
    setWindowFlag(Qt::Tool, !on); // hides the window
    withdrawal_ = std::make_unique<WithdrawalWait>(*this, [=, this] {
        withdrawal_.release()->deleteLater();
        if (on) {
            setGeometry(place);
            showFullScreen();
        } else {
            setWindowState(Qt::WindowNoState);
            setGeometry(place);
            show();
        }
        emit fullScreenChanged(on);
        if (thenFocusMainWindow) {
            emit focusMainWindow();
        } else {
            // Keeps the keys; a full-screen window is kept above the
            // desktop's panels only while it is active.
            raise();
            activateWindow();
        }
    });
}

// A Wayland compositor sizes a full-screen window itself, whatever its
// kind. The window stays as it is: hidden and shown again it would ask for
// the focus without the compositor's leave (GNOME then says "… is ready").
void ToolWindow::changeFullScreenInPlace(bool on, bool thenFocusMainWindow)
{
    if (on)
        showFullScreen();
    else
        showNormal();
    emit fullScreenChanged(on);
    if (thenFocusMainWindow)
        emit focusMainWindow();
}

void ToolWindow::setVisible(bool visible)
{
    withdrawal_.reset(); // shown or hidden meanwhile: that stands
    QWidget::setVisible(visible);
    if (visible && placer_ && !isFullScreen())
        plasmaplacement::place(*windowHandle(), frameGeometry().topLeft());
}

void ToolWindow::keyPressEvent(QKeyEvent* event)
{
    const bool fullScreenKey = event->key() == Qt::Key_F11 || event->key() == Qt::Key_Escape;
    if (!fullScreenAllowed_ || !fullScreenKey)
        QWidget::keyPressEvent(event);
    else if (event->isAutoRepeat() || (event->key() == Qt::Key_F11 && event->timestamp() == lastF11Release_))
        return; // a held key changes the window once
    else if (event->key() == Qt::Key_F11)
        toggleFullScreen();
    else if (isFullScreen())
        changeFullScreen(false, true);
    else
        emit focusMainWindow();
}

void ToolWindow::keyReleaseEvent(QKeyEvent* event)
{
    // X repeats a held key as a release and a press at the same time; on a
    // busy machine the press can come too late for Qt to pair the two.
    if (event->key() == Qt::Key_F11)
        lastF11Release_ = event->timestamp();
    QWidget::keyReleaseEvent(event);
}

void ToolWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (fullScreenAllowed_ && event->button() == Qt::LeftButton)
        toggleFullScreen();
    else
        QWidget::mouseDoubleClickEvent(event);
}
