#include "desktop/idleinhibitor.h"

#include "desktop/sessionbus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <X11/Xlib.h>

namespace {

const QString kApplication = QStringLiteral("duvaVazorUzevaz");
const QString kReason = QStringLiteral("動画の再生中");

const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

constexpr uint kInhibitIdle = 8; // the portal's flag for "the session going idle"
constexpr int kXResetMs = 5000;
// The program is ending: long enough for a bus that answers, short
// enough that the process ends promptly with one that does not.
constexpr int kReleaseWaitMs = 100;

} // namespace

IdleInhibitor::IdleInhibitor(QObject* parent) : QObject(parent)
{
    xReset_.setInterval(kXResetMs);
    connect(&xReset_, &QTimer::timeout, this, &IdleInhibitor::resetXScreenSaver);
}

void IdleInhibitor::setHeld(bool held)
{
    if (held == held_)
        return;
    held_ = held;
    if (held) {
        resetXScreenSaver();
        xReset_.start();
        inhibit();
    } else {
        xReset_.stop();
        uninhibit(false);
    }
}

void IdleInhibitor::release()
{
    held_ = false;
    xReset_.stop();
    uninhibit(true);
}

void IdleInhibitor::inhibit()
{
    if (asking_ || cookie_ || request_ || !sessionbus::connection().isConnected())
        return;
    asking_ = true;
    QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver,
                                                       QStringLiteral("Inhibit"));
    call << kApplication << kReason;
    auto* watcher = new QDBusPendingCallWatcher(sessionbus::connection().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
        answer->deleteLater();
        const QDBusPendingReply<uint> reply = *answer;
        if (reply.isError())
            return inhibitThroughPortal();
        asking_ = false;
        cookie_ = reply.value();
        if (!held_)
            uninhibit(false); // let go while the call was on its way
    });
}

void IdleInhibitor::inhibitThroughPortal()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kPortal, kPortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"),
                                                       QStringLiteral("Inhibit"));
    call << QString() << kInhibitIdle << QVariantMap{{QStringLiteral("reason"), kReason}};
    auto* watcher = new QDBusPendingCallWatcher(sessionbus::connection().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
        answer->deleteLater();
        asking_ = false;
        const QDBusPendingReply<QDBusObjectPath> reply = *answer;
        if (reply.isError())
            return; // no screen saver to ask on this desktop
        request_ = reply.value().path();
        if (!held_)
            uninhibit(false);
    });
}

void IdleInhibitor::uninhibit(bool waitForBus)
{
    QDBusMessage call;
    if (cookie_) {
        call = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, QStringLiteral("UnInhibit"));
        call << *cookie_;
    } else if (request_) {
        call = QDBusMessage::createMethodCall(kPortal, *request_, QStringLiteral("org.freedesktop.portal.Request"),
                                              QStringLiteral("Close"));
    } else {
        return;
    }
    cookie_.reset();
    request_.reset();
    if (waitForBus)
        sessionbus::connection().call(call, QDBus::Block, kReleaseWaitMs);
    else
        sessionbus::connection().asyncCall(call);
}

void IdleInhibitor::resetXScreenSaver()
{
    // A one-way request: the server's idle time starts again, as after input.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        XResetScreenSaver(x11->display());
        XFlush(x11->display());
    }
}
