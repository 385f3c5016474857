#include "mainwindow/mainwindow.h"
#include "desktop/mprisservice.h"
#include "list/listview.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "viewer/picturewindow.h"
#include "support/programprocess.h"
#include "support/testsupport.h"

#include "desktop/singlecopy.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QDir>
#include <cmath>
#include <utility>
#include <sys/resource.h>
#include <sys/stat.h>

using testsupport::ProgramProcess;
using testsupport::TestProgram;

namespace {

const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// An MPRIS client, as a panel's player applet is.
class PlayerControls : public QObject {
    Q_OBJECT
public:
    PlayerControls()
    {
        QDBusConnection::sessionBus().connect(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                              QStringLiteral("PropertiesChanged"), this,
                                              SLOT(changed(QString, QVariantMap, QStringList)));
    }
    QVariant get(const QString& property)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                           QStringLiteral("Get"));
        call << kPlayer << property;
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QVariantMap metadata() { return qdbus_cast<QVariantMap>(get(QStringLiteral("Metadata")).value<QDBusArgument>()); }
    void call(const QString& method, const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kPlayer, method);
        message.setArguments(arguments);
        QDBusConnection::sessionBus().call(message, QDBus::Block, 3000);
    }
    void setVolume(double volume)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                           QStringLiteral("Set"));
        call << kPlayer << QStringLiteral("Volume") << QVariant::fromValue(QDBusVariant(volume));
        QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    }
    QStringList announced;      // the properties each PropertiesChanged named
    QVariantMap lastMetadata;   // as the last PropertiesChanged announced it

private slots:
    void changed(const QString&, const QVariantMap& properties, const QStringList&)
    {
        announced += properties.keys();
        if (properties.contains(QStringLiteral("Metadata")))
            lastMetadata = qdbus_cast<QVariantMap>(properties.value(QStringLiteral("Metadata")).value<QDBusArgument>());
    }

private:
    static inline const QString kService = QStringLiteral("org.mpris.MediaPlayer2.duvavazoruzevaz");
    static inline const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
};

// The program started on a folder of two long clips; the X id of the video
// window playing the first, or an empty text when it never came.
QString startOnTwoClips(ProgramProcess& program, const testsupport::TempTree& tree)
{
    for (const char* name : {"a.mpg", "b.mpg"})
        if (!QFile::copy(testsupport::fixture("long.mpg"), tree.path(QLatin1String(name))))
            return {};
    return program.start({}, {tree.root()}) ? program.waitForWindow(QStringLiteral("a.mpg")) : QString();
}

// The program started again with the same settings folder, as a second
// "Open with" would; its exit status, or -1 while it still runs.
int launchAgain(ProgramProcess& running, const QStringList& arguments)
{
    QProcess again;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), running.configDir());
    again.setProcessEnvironment(environment);
    again.start(qEnvironmentVariable("DVZ_BINARY"), arguments);
    if (again.waitForFinished(4000))
        return again.exitCode();
    again.kill();
    again.waitForFinished();
    return -1;
}

// Sanitizer builds (DVZ_MEMORY_FACTOR set) run a few times slower and keep
// freed memory in quarantine: memory is judged without them.
const bool kSanitized = qEnvironmentVariableIsSet("DVZ_MEMORY_FACTOR");
const qint64 kPingBoundMs = kSanitized ? 300 : 100;

// A dbus-launch first on the search path that notes each time it runs
// (libdbus runs it to start a bus); the note's path.
QString watchBusStarts(const testsupport::TempTree& tree)
{
    const QString note = tree.path("dbus-launch ran");
    QDir(tree.root()).mkdir(QStringLiteral("bin"));
    QFile launcher(tree.path("bin/dbus-launch"));
    if (!launcher.open(QIODevice::WriteOnly))
        return {};
    launcher.write("#!/bin/sh\ntouch '" + QFile::encodeName(note) + "'\nexit 1\n");
    launcher.close();
    launcher.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(tree.path("bin")) + ':' + qgetenv("PATH"));
    return note;
}

// The name the running copy answers launches on.
QString copyServiceName()
{
    for (const QString& name : QDBusConnection::sessionBus().interface()->registeredServiceNames().value())
        if (name.startsWith(QStringLiteral("org.duvavazoruzevaz.Copy.")))
            return name;
    return {};
}

QDBusMessage copyOpen(const QString& service, const QByteArray& path)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/duvavazoruzevaz/Copy"),
                                                       QStringLiteral("org.duvavazoruzevaz.Copy"), QStringLiteral("Open"));
    call << path;
    return call;
}

// Holds hundreds of idle clients on the socket and sends one 50 MB
// "path", as a hostile local client would; prints what it held and sent,
// then waits for its standard input to close.
const char* kSocketFlood = R"(
import resource, socket, sys, time
resource.setrlimit(resource.RLIMIT_NOFILE, (4096, 4096))
def connect():
    deadline = time.time() + 5
    while time.time() < deadline:
        s = socket.socket(socket.AF_UNIX)
        s.settimeout(2)
        try:
            s.connect(sys.argv[1])
            return s
        except BlockingIOError:  # the queue is full: as a persistent client, try again
            s.close()
            time.sleep(0.002)
        except OSError:
            s.close()
            return None
held = [s for s in (connect() for i in range(600)) if s]
big = connect()
sent = 0
try:
    while big and sent < 50000000:
        sent += big.send(b"x" * 65536)
except OSError:
    pass
print(len(held), sent, flush=True)
sys.stdin.read()
)";

// Names the timers that fire on the window's thread while it lives.
class TimerWatch : public QObject {
public:
    TimerWatch() { qApp->installEventFilter(this); }
    ~TimerWatch() override { qApp->removeEventFilter(this); }
    // Whether 600 ms pass with no timer firing, within five seconds (what
    // a command started may take to settle).
    bool fallsQuiet()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            fired_.clear();
            QTest::qWait(600);
            if (fired_.isEmpty())
                return true;
        }
        return false;
    }
    QByteArray fired() const { return fired_.join(", "); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer && fired_.size() < 20) {
            const QObject* owner = watched->parent();
            fired_ += QByteArray(watched->metaObject()->className()) + ' ' + watched->objectName().toUtf8() + " of " +
                      (owner ? owner->metaObject()->className() : "nothing");
        }
        return false;
    }

private:
    QByteArrayList fired_;
};

} // namespace

// The program as a citizen of a desktop session (run on a private session
// bus of its own).
class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void theScreenSaverIsHeldOffWhileAClipPlays()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        QProcess screenSaver;
        screenSaver.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(FAKE_SCREENSAVER)});
        QVERIFY(screenSaver.waitForReadyRead(10000));
        QCOMPARE(screenSaver.readLine().trimmed(), QByteArray("ready"));
        // The cookies inhibiting now, from the calls the stand-in printed.
        QSet<QString> holding;
        int inhibits = 0;
        const auto held = [&] {
            while (screenSaver.canReadLine()) {
                const QStringList call = QString::fromUtf8(screenSaver.readLine().trimmed()).split(u' ');
                if (call[0] == QStringLiteral("Inhibit") && call.value(2) == QStringLiteral("duvaVazorUzevaz") &&
                    call.value(3) == QStringLiteral("動画の再生中")) {
                    holding.insert(call[1]);
                    ++inhibits;
                } else if (call[0] == QStringLiteral("UnInhibit")) {
                    holding.remove(call[1]);
                }
            }
            return !holding.isEmpty();
        };
        const auto becomes = [&](bool on) { return testsupport::waitFor([&] { return held() == on; }); };

        TestProgram program;
        MainWindow& main = program.app->mainWindow();
        testsupport::fillRows(*program.app, {"long.mpg"});
        QVERIFY(!held());
        program.app->transport().PlaySelected();
        QVERIFY(becomes(true)); // asked; answered a second later
        main.Command4_Click();  // stopped before the answer: let go once it comes
        QVERIFY(becomes(false));
        main.Command3_Click(); // play
        QVERIFY(becomes(true));
        main.pictureModeOption->setChecked(true); // still pictures: the screen may rest
        QVERIFY(becomes(false));
        testsupport::fillRows(*program.app, {"landscape.jpg"});
        main.fileList->select(1);
        program.app->showSelectedRow();
        PictureWindow& pictures = program.app->pictureWindow();
        pictures.toggleFullScreen(); // unless a picture fills the screen
        QVERIFY(becomes(true));
        pictures.toggleFullScreen();
        QVERIFY(becomes(false));
        main.videoModeOption->setChecked(true);
        testsupport::fillRows(*program.app, {"long.mpg"});
        program.app->transport().PlaySelected();
        QVERIFY(becomes(true));
        program.app->endNow(); // lets go before the process ends
        QVERIFY(becomes(false));
        QVERIFY(inhibits >= 3);
        screenSaver.kill();
        screenSaver.waitForFinished();
    }

    // With nothing to do, the window's thread sleeps: no timer fires once
    // started, with a clip paused or stopped, or with a picture shown.
    void anIdleProgramSleeps()
    {
        TestProgram program;
        MainWindow& main = program.app->mainWindow();
        TimerWatch timers;
        QVERIFY2(timers.fallsQuiet(), timers.fired().constData());
        testsupport::fillRows(*program.app, {"long.mpg"});
        QVERIFY(program.app->transport().PlaySelected());
        const MediaPlayer& player = program.app->transport().videoWindow().player();
        main.Command6_Click(); // fast forward: Timer1 moves the clip on
        QVERIFY(testsupport::waitFor([&] { return player.CurrentPosition() > 3; }));
        main.Command3_Click();
        main.mediaKey(Qt::Key_MediaPause);
        QVERIFY2(timers.fallsQuiet(), timers.fired().constData());
        main.Command4_Click();
        QVERIFY2(timers.fallsQuiet(), timers.fired().constData());
        main.pictureModeOption->setChecked(true);
        testsupport::fillRows(*program.app, {"landscape.jpg"});
        main.fileList->select(1);
        program.app->showSelectedRow();
        QVERIFY2(timers.fallsQuiet(), timers.fired().constData());
    }

    void theDesktopsPlayerControlsDriveTheLoop()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        testsupport::TempTree tree;
        ProgramProcess program;
        QVERIFY(!startOnTwoClips(program, tree).isEmpty());
        PlayerControls controls;
        QVERIFY(testsupport::waitFor([&] { return controls.get(QStringLiteral("PlaybackStatus")) == QStringLiteral("Playing"); }));
        QVariantMap track = controls.metadata();
        QCOMPARE(track.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("a.mpg"));
        QCOMPARE(track.value(QStringLiteral("xesam:url")).toString(), QStringLiteral("file://") + tree.path("a.mpg"));
        QVERIFY(track.value(QStringLiteral("mpris:length")).toLongLong() > 50'000'000); // the minute-long clip
        QVERIFY(controls.get(QStringLiteral("CanPause")).toBool());

        controls.call(QStringLiteral("Next"));
        QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty());
        QCOMPARE(controls.metadata().value(QStringLiteral("xesam:title")).toString(), QStringLiteral("b.mpg"));
        QVERIFY(controls.metadata().value(QStringLiteral("mpris:trackid")) != track.value(QStringLiteral("mpris:trackid")));
        controls.call(QStringLiteral("PlayPause"));
        QCOMPARE(controls.get(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Paused"));
        controls.call(QStringLiteral("PlayPause"));
        QCOMPARE(controls.get(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
        // The volume runs along the slider: a quarter of it is 750 of 3000.
        controls.setVolume(0.25);
        QCOMPARE(controls.get(QStringLiteral("Volume")).toDouble(), 0.25);
        QVERIFY(testsupport::waitFor([&] {
            return controls.announced.contains(QStringLiteral("Metadata")) &&
                   controls.announced.count(QStringLiteral("PlaybackStatus")) >= 2 &&
                   controls.announced.contains(QStringLiteral("Volume"));
        }));
    }

    // A clip that opens late: its length is announced once it is known.
    void theLengthIsAnnouncedWhenAClipOpensLate()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        MprisState state;
        state.status = QStringLiteral("Playing");
        state.canPlay = true;
        state.path = "/media/a.mpg";
        MprisService service({[&state] { return state; }, [] { return qint64(0); }, [](int) {}, [](double) {}, [] {},
                              [] {}, [](const QByteArray&) {}});
        service.registerOnBus(QDBusConnection::sessionBus());
        PlayerControls controls;
        QVERIFY(testsupport::waitFor([&] { return controls.get(QStringLiteral("PlaybackStatus")) == QStringLiteral("Playing"); }));
        QVERIFY(!controls.metadata().contains(QStringLiteral("mpris:length")));
        state.lengthUs = 61'000'000;
        service.refresh();
        QVERIFY(testsupport::waitFor([&] { return controls.lastMetadata.value(QStringLiteral("mpris:length")).toLongLong() == 61'000'000; }));
        QCOMPARE(controls.lastMetadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("a.mpg"));
        QCOMPARE(controls.lastMetadata.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{QStringLiteral("media")});
        // What it opens, as its desktop entry says.
        QDBusMessage call = QDBusMessage::createMethodCall(service.kServiceName, QStringLiteral("/org/mpris/MediaPlayer2"),
                                                           QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        call << QStringLiteral("org.mpris.MediaPlayer2") << QStringLiteral("SupportedMimeTypes");
        const QStringList types = QDBusConnection::sessionBus().call(call).arguments().value(0).value<QDBusVariant>().variant().toStringList();
        QFile entry(QStringLiteral(DESKTOP_ENTRY));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString line = QString::fromUtf8(entry.readAll()).section(QStringLiteral("\nMimeType="), 1).section(u'\n', 0, 0);
        QCOMPARE(types, line.split(u';', Qt::SkipEmptyParts));
    }

    void keysOfTheVideoWindow()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        testsupport::TempTree tree;
        ProgramProcess program;
        const QString video = startOnTwoClips(program, tree);
        QVERIFY(!video.isEmpty());
        PlayerControls controls; // what the keys did, as the desktop sees it
        const auto status = [&] { return controls.get(QStringLiteral("PlaybackStatus")).toString(); };
        const auto position = [&] { return controls.get(QStringLiteral("Position")).toLongLong() / 1e6; };
        QVERIFY(testsupport::waitFor([&] { return status() == QStringLiteral("Playing"); }));
        testsupport::key(video, QStringLiteral("space"));
        QVERIFY(testsupport::waitFor([&] { return status() == QStringLiteral("Paused"); }));
        const double paused = position();
        testsupport::key(video, QStringLiteral("Right"));
        QVERIFY(testsupport::waitFor([&] { return qAbs(position() - (paused + 5)) < 0.5; }));
        testsupport::key(video, QStringLiteral("Left"));
        QVERIFY(testsupport::waitFor([&] { return qAbs(position() - paused) < 0.5; }));
        testsupport::key(video, QStringLiteral("space"));
        QVERIFY(testsupport::waitFor([&] { return status() == QStringLiteral("Playing"); }));
        testsupport::key(video, QStringLiteral("Next")); // PageDown
        QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty());
        testsupport::key(program.waitForWindow(QStringLiteral("b.mpg")), QStringLiteral("Prior")); // PageUp
        QVERIFY(!program.waitForWindow(QStringLiteral("a.mpg")).isEmpty());
    }

    void aSecondLaunchHandsItsPathToTheRunningCopy_data()
    {
        QTest::addColumn<bool>("sessionBus");
        QTest::newRow("session bus") << true;
        QTest::newRow("no session bus: local socket") << false;
    }

    void aSecondLaunchHandsItsPathToTheRunningCopy()
    {
        QFETCH(bool, sessionBus);
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        const QByteArray path = qgetenv("PATH");
        const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        if (!sessionBus)
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        const auto restore = qScopeGuard([&] {
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
            qputenv("PATH", path);
            qputenv("XDG_RUNTIME_DIR", runtimeBefore);
        });
        testsupport::TempTree tree;
        // Without a bus, nothing starts one in a whole session of use.
        const QString busStarted = watchBusStarts(tree);
        ProgramProcess program;
        QVERIFY(!startOnTwoClips(program, tree).isEmpty());
        if (sessionBus)
            QVERIFY(testsupport::waitFor([] { return !copyServiceName().isEmpty(); }));
        else
            QVERIFY(testsupport::waitFor([&] { return QFileInfo::exists(singlecopy::socketPath(program.configDir())); }));
        QCOMPARE(launchAgain(program, {tree.path("b.mpg")}), 0);
        QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty()); // the running copy plays it
        QCOMPARE(launchAgain(program, {}), 0); // only raises it
        // A path that is not there: the launch ends at once, the running
        // copy says so without holding it.
        QCOMPARE(launchAgain(program, {tree.path("gone.mpg")}), 0);
        QVERIFY(!program.waitForWindow(QStringLiteral("duvaVazorUzevaz")).isEmpty());
        QCOMPARE(program.windowTitles().count(QStringLiteral("DuvavazorUzevaz")), 1);
        QVERIFY(!QFile::exists(busStarted));

        // Asked for, a second copy runs beside the first, which keeps its socket.
        struct stat before {}, after {};
        const QByteArray socket = QFile::encodeName(singlecopy::socketPath(program.configDir()));
        ::stat(socket.constData(), &before);
        QCOMPARE(launchAgain(program, {QStringLiteral("--new-instance")}), -1);
        QVERIFY(program.process().state() == QProcess::Running);
        if (!sessionBus) {
            QCOMPARE(::stat(socket.constData(), &after), 0);
            QCOMPARE(after.st_ino, before.st_ino);
            // A runtime folder others may write to is no place for the
            // hand-over: the launch runs as a copy of its own.
            QVERIFY(QFile::setPermissions(runtime.path(), QFile::Permissions(0x7777)));
            QCOMPARE(launchAgain(program, {tree.path("a.mpg")}), -1);
        }
    }

    // The hand-over's folder is private to the user, or there is none.
    void theHandOverFolderIsPrivateOrNone()
    {
        const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray tmpBefore = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_RUNTIME_DIR", runtimeBefore);
            qputenv("TMPDIR", tmpBefore);
        });
        QTemporaryDir root;
        const QString own = root.filePath(QStringLiteral("own"));
        QVERIFY(QDir().mkdir(own) && QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(own));
        QCOMPARE(singlecopy::privateRuntimeFolder(), own);
        QVERIFY(singlecopy::socketPath(QStringLiteral("/c")).startsWith(own + u'/'));
        const QString link = root.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(own, link));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(link));
        QCOMPARE(singlecopy::privateRuntimeFolder(), QString());
        QVERIFY(QFile::setPermissions(own, QFile::Permissions(0x7755)));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(own));
        QCOMPARE(singlecopy::privateRuntimeFolder(), QString());
        QCOMPARE(singlecopy::socketPath(QStringLiteral("/c")), QString());

        // Without one: a folder of the program's own in the temporary
        // folder, made private; one somebody else made first is not used.
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(root.path()));
        const QString made = root.filePath(QStringLiteral("duvavazoruzevaz-%1").arg(::geteuid()));
        QCOMPARE(singlecopy::privateRuntimeFolder(), made);
        QCOMPARE(QFileInfo(made).permissions() & 0x0077, 0);
        QVERIFY(QFile::setPermissions(made, QFile::Permissions(0x7777)));
        QCOMPARE(singlecopy::privateRuntimeFolder(), QString());
    }

    // A script on the bus floods the program with launches of missing
    // paths, then with Next: the program answers each at once, shows one
    // message, lands 1,001 rows on, and its window keeps answering.
    void aFloodOnTheBusLeavesOneMessageAndAnAnsweringWindow()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        testsupport::TempTree tree;
        ProgramProcess program;
        QVERIFY(!startOnTwoClips(program, tree).isEmpty());
        PlayerControls controls;
        QVERIFY(testsupport::waitFor([&] { return controls.get(QStringLiteral("PlaybackStatus")) == QStringLiteral("Playing"); }));
        QString copy;
        QVERIFY(testsupport::waitFor([&] { return !(copy = copyServiceName()).isEmpty(); }));
        const long memoryBefore = program.settledResidentKb();
        QDBusConnection flood = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("flood"));
        qint64 worstPing = 0;
        const auto ping = [&] {
            QElapsedTimer clock;
            clock.start();
            QVERIFY(!controls.get(QStringLiteral("PlaybackStatus")).toString().isEmpty());
            worstPing = std::max(worstPing, clock.elapsed());
        };
        const auto player = [](const QString& method, const QVariantList& arguments = {}) {
            QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.mpris.MediaPlayer2.duvavazoruzevaz"),
                                                               QStringLiteral("/org/mpris/MediaPlayer2"), kPlayer, method);
            call.setArguments(arguments);
            return call;
        };
        // What a ping takes on this machine now, without the flood (a busy
        // machine's scheduler delays each): the flood may add the bound to it.
        for (int i = 0; i < 20; ++i) {
            ping();
            QTest::qWait(10);
        }
        const qint64 quietPing = std::exchange(worstPing, 0);
        for (int i = 0; i < 2000; ++i) {
            const QByteArray missing = QFile::encodeName(tree.path(QStringLiteral("gone-%1.mpg").arg(i)));
            flood.send(i % 2 ? copyOpen(copy, missing)
                             : player(QStringLiteral("OpenUri"), {QString::fromUtf8("file://" + missing)}));
            if (i % 100 == 0)
                ping();
        }
        qInfo("worst ping while opening %lld ms", worstPing);
        for (int i = 0; i < 1001; ++i) {
            flood.send(player(QStringLiteral("Next")));
            if (i % 100 == 0)
                ping();
        }
        QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty());
        for (int i = 0; i < 10; ++i)
            ping();
        qInfo("worst ping %lld ms (%lld ms without the flood), memory %+ld KiB", worstPing, quietPing,
              program.residentKb() - memoryBefore);
        QVERIFY2(worstPing <= quietPing + kPingBoundMs * testsupport::busyFactor(), qPrintable(QString::number(worstPing)));
        QCOMPARE(program.windowTitles().count(QStringLiteral("duvaVazorUzevaz")), 1); // the one message
        QVERIFY(kSanitized || program.residentKb() - memoryBefore < 40'000);

        // Longer than any path: refused at once, the window undisturbed. The
        // bus's own time for 10 MB there and back: the same bytes to a
        // method the object does not have.
        const QByteArray huge(10'000'000, 'a');
        QDBusMessage unknown = QDBusMessage::createMethodCall(copy, QStringLiteral("/org/duvavazoruzevaz/Copy"),
                                                              QStringLiteral("org.duvavazoruzevaz.Copy"), QStringLiteral("Nothing"));
        unknown << huge;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(flood.call(unknown, QDBus::Block, 10000).type(), QDBusMessage::ErrorMessage);
        const qint64 transfer = clock.restart();
        const QDBusMessage answer = flood.call(copyOpen(copy, huge), QDBus::Block, 10000);
        QCOMPARE(answer.type(), QDBusMessage::ErrorMessage);
        QVERIFY2(clock.elapsed() < transfer + 500, qPrintable(QStringLiteral("%1 ms, the bus alone %2 ms").arg(clock.elapsed()).arg(transfer)));

        // Small ones: a volume that is not a number is ignored; Stop is
        // reported as stopped.
        controls.setVolume(0.5);
        controls.setVolume(std::nan(""));
        QCOMPARE(controls.get(QStringLiteral("Volume")).toDouble(), 0.5);
        controls.call(QStringLiteral("Stop"));
        QVERIFY(testsupport::waitFor([&] { return controls.get(QStringLiteral("PlaybackStatus")) == QStringLiteral("Stopped"); }));
        QVERIFY(program.process().state() == QProcess::Running);
    }

    // Without a bus: a local client holds hundreds of connections and
    // sends 50 MB; the program's descriptors and memory hold, its socket
    // stays, and a launch still reaches it.
    void aFloodOnTheSocketLeavesTheHandOverWorking()
    {
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        const QByteArray path = qgetenv("PATH");
        const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
        QTemporaryDir runtime; // private: 0700, the test's own
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const auto restore = qScopeGuard([&] {
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
            qputenv("PATH", path);
            qputenv("XDG_RUNTIME_DIR", runtimeBefore);
        });
        testsupport::TempTree tree;
        // Few descriptors, so the flood would use them all up.
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit few{256, limit.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &few);
        ProgramProcess program;
        const QString started = startOnTwoClips(program, tree);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        QVERIFY(!started.isEmpty());
        const QString socket = singlecopy::socketPath(program.configDir());
        QVERIFY(testsupport::waitFor([&] { return QFileInfo::exists(socket); }));
        const long memoryBefore = program.settledResidentKb();

        QProcess client;
        client.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(kSocketFlood), socket});
        QVERIFY(testsupport::waitFor([&] { return client.canReadLine(); }, 60000));
        qInfo("client held %s", client.readLine().trimmed().constData());
        QVERIFY(QFileInfo::exists(socket));
        qInfo("memory %+ld KiB", program.residentKb() - memoryBefore);
        QVERIFY(kSanitized || program.residentKb() - memoryBefore < 20'000);
        QCOMPARE(launchAgain(program, {tree.path("b.mpg")}), 0); // while the client holds on
        QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty());
        client.closeWriteChannel();
        QVERIFY(client.waitForFinished(10000));
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
