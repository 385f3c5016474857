// Other programs' requests at 1,000 a second on a private session bus:
// launches handing over paths that do not exist, then Next pressed on the
// desktop's player controls while a clip plays. Prints how long a ping
// (a property read answered by the window's thread) waited meanwhile, and
// the program's memory before and after.
#include "benchsupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {

const QString kMpris = QStringLiteral("org.mpris.MediaPlayer2.duvavazoruzevaz");
const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

QString copyName(QDBusConnection& bus)
{
    for (const QString& name : bus.interface()->registeredServiceNames().value())
        if (name.startsWith(QStringLiteral("org.duvavazoruzevaz.Copy.")))
            return name;
    return {};
}

struct Pings {
    std::vector<double> ms;
    void print(const char* what, long memoryBefore, long memoryAfter)
    {
        std::sort(ms.begin(), ms.end());
        const auto at = [this](double share) { return ms.empty() ? 0 : ms[size_t(share * (ms.size() - 1))]; };
        std::printf("%s: ping median %.1f ms, 99th %.1f ms, longest %.1f ms (%zu pings); memory %ld -> %ld KiB\n", what,
                    at(0.5), at(0.99), ms.empty() ? 0 : ms.back(), ms.size(), memoryBefore, memoryAfter);
    }
};

// Sends one message a millisecond for the given time, pinging every 10 ms
// on a connection of its own.
Pings flood(QDBusConnection& sender, QDBusConnection& pinger, int seconds, const std::function<QDBusMessage(int)>& make)
{
    Pings pings;
    QDBusMessage ping = QDBusMessage::createMethodCall(kMpris, kMprisPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    ping << kPlayer << QStringLiteral("PlaybackStatus");
    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    qint64 nextPing = 0;
    while (clock.elapsed() < seconds * 1000) {
        for (; sent < clock.elapsed(); ++sent)
            sender.send(make(sent));
        if (clock.elapsed() >= nextPing) {
            QElapsedTimer answered;
            answered.start();
            pinger.call(ping, QDBus::Block, 10000);
            pings.ms.push_back(answered.nsecsElapsed() / 1e6);
            nextPing = clock.elapsed() + 10;
        }
        QThread::usleep(200);
    }
    return pings;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication qt(argc, argv);
    const QString fixtures = qt.arguments().value(1);
    QProcess daemon;
    const QByteArray address = startOwnSessionBus(daemon);
    if (address.isEmpty())
        return std::puts("no dbus-daemon: skipped"), 0;
    QTemporaryDir folder, config;
    for (const char* name : {"a.mpg", "b.mpg"})
        QFile::copy(fixtures + QStringLiteral("/long.mpg"), folder.filePath(QLatin1String(name)));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(PROGRAM), {folder.path()});
    QDBusConnection sender = QDBusConnection::connectToBus(QString::fromLatin1(address), QStringLiteral("sender"));
    QDBusConnection pinger = QDBusConnection::connectToBus(QString::fromLatin1(address), QStringLiteral("pinger"));
    QString copy;
    waitUntil([&] { return !(copy = copyName(sender)).isEmpty(); }, 15000);
    idleFor(1000); // the first clip under way
    const long long pid = program.processId();

    long before = statusKb("VmRSS", pid);
    flood(sender, pinger, 10, [&](int i) {
        QDBusMessage open = QDBusMessage::createMethodCall(copy, QStringLiteral("/org/duvavazoruzevaz/Copy"),
                                                           QStringLiteral("org.duvavazoruzevaz.Copy"), QStringLiteral("Open"));
        open << QFile::encodeName(folder.filePath(QStringLiteral("gone-%1.mpg").arg(i)));
        return open;
    }).print("10,000 launches of missing paths", before, statusKb("VmRSS", pid));

    before = statusKb("VmRSS", pid);
    flood(sender, pinger, 5, [](int) {
        return QDBusMessage::createMethodCall(kMpris, kMprisPath, kPlayer, QStringLiteral("Next"));
    }).print("5,000 Next while a clip plays", before, statusKb("VmRSS", pid));

    program.terminate();
    program.waitForFinished(5000);
    daemon.terminate();
    daemon.waitForFinished(5000);
    return 0;
}
