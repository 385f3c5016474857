#include "platform/withdrawal.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>

namespace {

constexpr int kDeadlineMs = 1000;

xcb_connection_t* xConnection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t wmStateAtom(xcb_connection_t* connection)
{
    static const xcb_atom_t atom = [connection] {
        const char name[] = "WM_STATE";
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return found;
    }();
    return atom;
}

} // namespace

WithdrawalWait::WithdrawalWait(const QWidget& window, std::function<void()> then) : then_(std::move(then))
{
    xcb_connection_t* connection = xConnection();
    // The widget lets go of its native window while hidden to change
    // kind; the window itself stays.
    const QWindow* handle = window.windowHandle();
    if (connection && handle && handle->handle()) {
        window_ = handle->winId();
        wmState_ = wmStateAtom(connection);
    }
    // Installed before the property is read: a change after the reading
    // is then seen as an event.
    qGuiApp->installNativeEventFilter(this);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &WithdrawalWait::finish);
    deadline_.start(heldByWindowManager() ? kDeadlineMs : 0);
}

WithdrawalWait::~WithdrawalWait()
{
    qGuiApp->removeNativeEventFilter(this);
}

// ICCCM: the window manager deletes WM_STATE, or sets it to Withdrawn,
// once it has let the window go.
bool WithdrawalWait::heldByWindowManager() const
{
    xcb_connection_t* connection = xConnection();
    if (!connection || !window_ || wmState_ == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window_, wmState_, wmState_, 0, 1), nullptr);
    bool held = false;
    if (reply && reply->type == wmState_ && xcb_get_property_value_length(reply) >= 4) {
        constexpr uint32_t kWithdrawn = 0;
        held = *static_cast<const uint32_t*>(xcb_get_property_value(reply)) != kWithdrawn;
    }
    free(reply);
    return held;
}

bool WithdrawalWait::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!window_ || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (change->window == window_ && change->atom == wmState_ && deadline_.isActive() &&
        (change->state == XCB_PROPERTY_DELETE || !heldByWindowManager()))
        deadline_.start(0); // called back from the event loop, not from inside Qt's event handling
    return false;
}

void WithdrawalWait::finish()
{
    qGuiApp->removeNativeEventFilter(this);
    if (then_)
        std::exchange(then_, nullptr)();
}
