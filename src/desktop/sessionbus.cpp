#include "desktop/sessionbus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>

namespace sessionbus {
namespace {

const QString kDaemon = QStringLiteral("org.freedesktop.DBus");
const QString kDaemonPath = QStringLiteral("/org/freedesktop/DBus");

bool lookForBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

QDBusMessage daemonCall(const QString& method, const QString& name)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kDaemon, kDaemonPath, kDaemon, method);
    call << name;
    return call;
}

} // namespace

bool announced()
{
    static const bool found = lookForBus();
    return found;
}

void refuseAutolaunch()
{
    // An address of a transport libdbus does not know fails at once,
    // where an unset one would make it run dbus-launch.
    if (!announced())
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

QDBusConnection connection()
{
    return announced() ? QDBusConnection::sessionBus() : QDBusConnection(QStringLiteral("no session bus"));
}

void connectLater(QObject* context, std::function<void(QDBusConnection)> ready)
{
    QThreadPool::globalInstance()->start([target = QPointer<QObject>(context), ready = std::move(ready)] {
        const QDBusConnection bus = connection();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [target, ready, bus] {
            if (target)
                ready(bus);
        }, Qt::QueuedConnection);
    });
}

void requestName(QDBusConnection bus, const QString& name, QObject* context, std::function<void(bool)> owned)
{
    constexpr uint kDoNotQueue = 4;
    constexpr uint kPrimaryOwner = 1;
    constexpr uint kAlreadyOwner = 4;
    QDBusMessage call = daemonCall(QStringLiteral("RequestName"), name);
    call << kDoNotQueue;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [owned = std::move(owned)](QDBusPendingCallWatcher* answer) {
                         answer->deleteLater();
                         const QDBusPendingReply<uint> reply = *answer;
                         owned(!reply.isError() && (reply.value() == kPrimaryOwner || reply.value() == kAlreadyOwner));
                     });
}

void releaseName(QDBusConnection bus, const QString& name)
{
    bus.send(daemonCall(QStringLiteral("ReleaseName"), name));
}

} // namespace sessionbus
