#include "app/mainwindow.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "support/testsupport.h"

#include <QDBusConnection>
#include <QProcess>
#include <QRadioButton>
#include <QSet>
#include <QTest>

using testsupport::TestProgram;

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
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
