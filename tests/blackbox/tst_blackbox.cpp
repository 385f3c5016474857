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
};

QTEST_GUILESS_MAIN(BlackBoxTest)
#include "tst_blackbox.moc"
