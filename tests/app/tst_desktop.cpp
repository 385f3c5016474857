#include "app/mainwindow.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QDir>

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
    QStringList announced; // the properties each PropertiesChanged named

private slots:
    void changed(const QString&, const QVariantMap& properties, const QStringList&) { announced += properties.keys(); }

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
                if (call[0] == QStringLiteral("Inhibit") && call.value(2) == QStringLiteral("duvaVazorUzevaz")) {
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
        QVERIFY(becomes(true));
        main.Command4_Click(); // stop
        QVERIFY(becomes(false));
        main.Command3_Click(); // play
        QVERIFY(becomes(true));
        main.pictureModeOption->setChecked(true); // still pictures: the screen may rest
        QVERIFY(becomes(false));
        main.videoModeOption->setChecked(true);
        QVERIFY(becomes(true));
        program.app->endNow(); // lets go before the process ends
        QVERIFY(becomes(false));
        QVERIFY(inhibits >= 3);
        screenSaver.kill();
        screenSaver.waitForFinished();
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
        if (!sessionBus)
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        const auto restore = qScopeGuard([&] {
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
            qputenv("PATH", path);
        });
        testsupport::TempTree tree;
        ProgramProcess program;
        QVERIFY(!startOnTwoClips(program, tree).isEmpty());
        QTest::qWait(300); // the copy offers itself once its window is up
        // Without a bus, a launch hands over without trying to start one:
        // a dbus-launch (which libdbus would run) notes each start.
        const QString launched = tree.path("dbus-launch ran");
        QVERIFY(QDir(tree.root()).mkdir(QStringLiteral("bin")));
        QFile launcher(tree.path("bin/dbus-launch"));
        QVERIFY(launcher.open(QIODevice::WriteOnly));
        launcher.write("#!/bin/sh\ntouch '" + QFile::encodeName(launched) + "'\nexit 1\n");
        launcher.close();
        launcher.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(tree.path("bin")) + ':' + path);
        QCOMPARE(launchAgain(program, {tree.path("b.mpg")}), 0);
        QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty()); // the running copy plays it
        QCOMPARE(launchAgain(program, {}), 0); // only raises it
        QCOMPARE(program.windowTitles().count(QStringLiteral("DuvavazorUzevaz")), 1);
        QVERIFY(!QFile::exists(launched));
        // Asked for, a second copy runs beside the first.
        QCOMPARE(launchAgain(program, {QStringLiteral("--new-instance")}), -1);
        QVERIFY(program.process().state() == QProcess::Running);
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
