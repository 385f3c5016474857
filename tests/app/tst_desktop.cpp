#include "app/mainwindow.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "support/testsupport.h"

#include <QDBusConnection>
#include <QProcess>
#include <QRadioButton>
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
        QStringList calls;
        const auto waitForCall = [&](const QString& call) {
            return testsupport::waitFor([&] {
                while (screenSaver.canReadLine())
                    calls << QString::fromUtf8(screenSaver.readLine().trimmed());
                return calls.contains(call);
            });
        };

        TestProgram program;
        MainWindow& main = program.app->mainWindow();
        testsupport::fillRows(*program.app, {"long.mpg"});
        program.app->transport().PlaySelected();
        QVERIFY(waitForCall("Inhibit 1 duvaVazorUzevaz"));
        main.Command4_Click(); // stop
        QVERIFY(waitForCall("UnInhibit 1"));
        main.Command3_Click(); // play
        QVERIFY(waitForCall("Inhibit 2 duvaVazorUzevaz"));
        main.pictureModeOption->setChecked(true); // still pictures: the screen may rest
        QVERIFY(waitForCall("UnInhibit 2"));
        main.videoModeOption->setChecked(true);
        QVERIFY(waitForCall("Inhibit 3 duvaVazorUzevaz"));
        program.app->endNow();
        QVERIFY(waitForCall("UnInhibit 3"));
        QCOMPARE(calls, QStringList({"Inhibit 1 duvaVazorUzevaz", "UnInhibit 1", "Inhibit 2 duvaVazorUzevaz",
                                     "UnInhibit 2", "Inhibit 3 duvaVazorUzevaz", "UnInhibit 3"}));
        screenSaver.kill();
        screenSaver.waitForFinished();
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
