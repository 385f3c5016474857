#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

// The desktop session's bus, used only where the session announces one.
// Nothing here waits for the bus on the window's thread.
namespace sessionbus {

// Call first, before anything reaches for the bus (Qt's accessibility
// bridge does): where the session announces no bus, libdbus is told so,
// and neither the program nor Qt starts one (X11 autolaunch) that would
// outlive the program.
void refuseAutolaunch();
// The session has a bus: its address is set, or the user bus is in the
// runtime folder. Decided once, at the first call.
bool announced();
// The session bus, or an unconnected connection without one. The first
// call connects and waits for the bus: see connectLater.
QDBusConnection connection();
// Connects on a worker thread, then calls ready with the connection
// (connected or not) on the window's thread, unless context is gone.
void connectLater(QObject* context, std::function<void(QDBusConnection)> ready);
// Asks for a well-known name without waiting (not queued when taken);
// owned tells, later, whether this connection holds it now.
void requestName(QDBusConnection bus, const QString& name, QObject* context, std::function<void(bool owned)> owned);
// Gives a name back without waiting for the answer.
void releaseName(QDBusConnection bus, const QString& name);

} // namespace sessionbus
