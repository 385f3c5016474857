// Installing into a prefix, and starting the installed program from
// another folder.
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTest>

using testsupport::run;

class InstallTest : public QObject {
    Q_OBJECT
private slots:
    void installsADesktopApplication()
    {
        QTemporaryDir prefix;
        QProcess install;
        install.start(QStringLiteral("cmake"), {"--install", BUILD_DIR, "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(60000));
        QCOMPARE(install.exitCode(), 0);
        const QString root = prefix.path();
        const QString binary = root + "/bin/duvavazoruzevaz";
        QVERIFY(QFile::exists(binary));
        QVERIFY(QFile::exists(root + "/share/duvavazoruzevaz/ruzedir.hlp"));
        QVERIFY(QFile::exists(root + "/share/icons/hicolor/scalable/apps/duvavazoruzevaz.svg"));
        const QString desktop = root + "/share/applications/duvavazoruzevaz.desktop";
        QVERIFY(QFile::exists(desktop));
        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {desktop});
        QVERIFY(validate.waitForFinished(20000));
        QCOMPARE(validate.exitCode(), 0);

        // The installed program, started elsewhere, finds its help (F1).
        qputenv("DVZ_BINARY", QFile::encodeName(binary));
        testsupport::ProgramProcess program;
        QVERIFY(program.start(QStringLiteral("/")));
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!main.isEmpty());
        run("xdotool", {"windowfocus", "--sync", main});
        run("xdotool", {"key", "F1"});
        QVERIFY(!program.waitForWindow(QStringLiteral("duvaVazorUzevaz ヘルプ — duvaVazorUzevaz について")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
