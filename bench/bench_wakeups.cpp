// How often the program's threads wake up: just started, a picture shown,
// a clip paused, and a 640x480 clip playing beside an mpv process playing
// it in a window of the same size. A wake-up is a thread going to sleep
// and being woken again (a voluntary context switch in /proc).
#include "benchsupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kMeasureMs = 10000;

// Voluntary context switches of the process: all its threads, and its
// first thread (the window's).
struct Switches {
    long long all = 0;
    long long window = 0;
};

long long voluntarySwitches(const QString& statusPath)
{
    QFile status(statusPath);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    return 0;
}

Switches switches(qint64 pid)
{
    Switches counted;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        counted.all += voluntarySwitches(tasks + u'/' + task + QStringLiteral("/status"));
    counted.window = voluntarySwitches(QStringLiteral("/proc/%1/status").arg(pid));
    return counted;
}

// Wake-ups a second over the measuring time.
struct Rate {
    double all = 0;
    double window = 0;
};

Rate measure(qint64 pid)
{
    const Switches before = switches(pid);
    QElapsedTimer clock;
    clock.start();
    idleFor(kMeasureMs);
    const Switches after = switches(pid);
    const double seconds = clock.nsecsElapsed() / 1e9;
    return {(after.all - before.all) / seconds, (after.window - before.window) / seconds};
}

void print(const char* what, const Rate& rate)
{
    std::printf("wake-ups a second, %s: program %.1f (window's thread %.1f)\n", what, rate.all, rate.window);
}

// The program started with settings of its own, given time to settle.
class Program {
public:
    explicit Program(const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(PROGRAM), arguments);
        process_.waitForStarted();
        idleFor(3000); // started, searched, the first clip or picture shown
    }
    ~Program()
    {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    qint64 pid() const { return process_.processId(); }

private:
    QTemporaryDir config_;
    QProcess process_;
};

void pause(const QByteArray& busAddress)
{
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLatin1(busAddress), QStringLiteral("controls"));
    bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.mpris.MediaPlayer2.duvavazoruzevaz"),
                                            QStringLiteral("/org/mpris/MediaPlayer2"),
                                            QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Pause")));
    idleFor(500);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication qt(argc, argv);
    const QString fixtures = qt.arguments().value(1);
    // On a session bus of its own, as on a desktop: the player controls and
    // the screen-saver hold are there.
    QProcess daemon;
    const QByteArray address = startOwnSessionBus(daemon);
    if (address.isEmpty())
        return std::puts("no dbus-daemon: skipped"), 0;
    QTemporaryDir clips, pictures;
    QFile::copy(fixtures + QStringLiteral("/long.mpg"), clips.filePath(QStringLiteral("a.mpg")));
    QFile::copy(fixtures + QStringLiteral("/landscape.jpg"), pictures.filePath(QStringLiteral("a.jpg")));

    {
        Program program({});
        print("just started", measure(program.pid()));
    }
    {
        Program program({pictures.filePath(QStringLiteral("a.jpg"))});
        print("a picture shown", measure(program.pid()));
    }
    Rate playing;
    {
        Program program({clips.path()});
        playing = measure(program.pid());
        pause(address);
        print("a clip paused", measure(program.pid()));
    }
    QProcess mpv;
    mpv.start(QStringLiteral("mpv"), {QStringLiteral("--no-config"), QStringLiteral("--ao=null"),
                                      QStringLiteral("--geometry=375x266+0+0"), clips.filePath(QStringLiteral("a.mpg"))});
    mpv.waitForStarted();
    idleFor(3000);
    const Rate theirs = measure(mpv.processId());
    mpv.kill();
    mpv.waitForFinished();
    std::printf("wake-ups a second, playing 640x480 in a 375x266 window: program %.0f (window's thread %.0f), "
                "mpv %.0f, ratio %.2f\n",
                playing.all, playing.window, theirs.all, playing.all / theirs.all);
    daemon.terminate();
    daemon.waitForFinished(5000);
    return 0;
}
