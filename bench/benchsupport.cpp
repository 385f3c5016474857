#include "benchsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

long statusKb(const char* field, long long pid)
{
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLong();
    return 0;
}

void waitUntil(const std::function<bool()>& done, int milliseconds)
{
    // Asleep between events: a tick each millisecond looks at done(). A
    // loop that polled without sleeping would cost the benchmark a core.
    QTimer tick;
    tick.start(1);
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void idleFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray startOwnSessionBus(QProcess& daemon)
{
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--print-address=1")});
    const QByteArray address = daemon.waitForReadyRead(5000) ? daemon.readLine().trimmed() : QByteArray();
    if (!address.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    return address;
}
