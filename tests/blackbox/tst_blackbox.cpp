// The built program, started and driven as a user would under X.
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QTest>
#include <csignal>

using testsupport::ProgramProcess;
using testsupport::run;

namespace {
void key(const QString& windowId, const QString& keys)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--window"), windowId, keys});
}

// Types into the window that has the focus, as a keyboard would.
void type(const QString& windowId, const QString& keys)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

// A program whose settings point at the folder, in the given mode.
void prepare(ProgramProcess& program, const QString& folder, const QString& mode)
{
    testsupport::writeSettings(program.configDir(), {{"Option", "F", "OK"},
                                                     {"Option", "Drive", "/"},
                                                     {"Option", "Dir", folder},
                                                     {"Option", "OP", mode}});
}
} // namespace

class BlackBoxTest : public QObject {
    Q_OBJECT
private slots:
    void startsAtTheTopLeftWithItsDesignSize()
    {
        ProgramProcess program;
        QVERIFY(program.start(QStringLiteral("/")));
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!main.isEmpty());
        const QRect window = program.windowGeometry(main);
        QCOMPARE(window.topLeft(), QPoint(0, 0));
        // The client area is 226 × 478 pixels below the menu bar.
        QCOMPARE(window.width(), 226);
        QVERIFY2(window.height() > 478 + 10 && window.height() < 478 + 40, qPrintable(QString::number(window.height())));
        // SIGTERM is a close request: the mode is stored and the program ends.
        ::kill(pid_t(program.process().processId()), SIGTERM);
        QVERIFY(program.waitForExit());
        QCOMPARE(program.process().exitCode(), 0);
        QCOMPARE(program.setting(QStringLiteral("OP")), QStringLiteral("OP1"));
    }

    void exitCommandEndsWithoutStoringTheMode()
    {
        ProgramProcess program;
        QVERIFY(program.start());
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!main.isEmpty());
        key(main, QStringLiteral("alt+f"));
        QTest::qWait(300);
        key(main, QStringLiteral("x"));
        QVERIFY(program.waitForExit());
        QCOMPARE(program.setting(QStringLiteral("OP")), QStringLiteral("(NO DATA)"));
    }

    void searchPlaysTheClipsOneAfterAnother()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("short.wave"), tree.path("a.wave")));
        QVERIFY(QFile::copy(testsupport::fixture("short.wave"), tree.path("b.wave")));
        ProgramProcess program;
        prepare(program, tree.root(), QStringLiteral("OP1"));
        QVERIFY(program.start());
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!main.isEmpty());
        type(main, QStringLiteral("ctrl+f"));
        const QString video = program.waitForWindow(QStringLiteral("a.wave"));
        QVERIFY(!video.isEmpty());
        QCOMPARE(program.windowGeometry(video).topLeft(), QPoint(226, 0));
        QVERIFY(!program.waitForWindow(QStringLiteral("b.wave")).isEmpty());
        QVERIFY(!program.waitForWindow(QStringLiteral("a.wave")).isEmpty()); // and round again
    }

    void spaceStepsThroughThePictures()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("a.jpg")));
        QVERIFY(QFile::copy(testsupport::fixture("square.gif"), tree.path("b.gif")));
        ProgramProcess program;
        prepare(program, tree.root(), QStringLiteral("OP2"));
        QVERIFY(program.start());
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!main.isEmpty());
        type(main, QStringLiteral("ctrl+f"));
        const QString pictures = program.waitForWindow(QStringLiteral("a.jpg"));
        QVERIFY(!pictures.isEmpty());
        QCOMPARE(program.windowGeometry(pictures).left(), 226);
        type(main, QStringLiteral("space"));
        QVERIFY(!program.waitForWindow(QStringLiteral("b.gif")).isEmpty());
        type(main, QStringLiteral("space"));
        QVERIFY(!program.waitForWindow(QStringLiteral("a.jpg")).isEmpty());
        // The picture window in a screenshot, for a person to look at.
        run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("still-pictures.png")});
    }
};

QTEST_GUILESS_MAIN(BlackBoxTest)
#include "tst_blackbox.moc"
