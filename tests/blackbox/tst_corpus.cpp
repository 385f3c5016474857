// The built program over a folder of broken and hostile files, in both
// modes: it tries every row, stays responsive and small, never reaches
// the network, and keeps its settings file whole.
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QSet>
#include <QSettings>
#include <QTcpServer>
#include <QTest>
#include <csignal>
#include <utility>

using testsupport::key;
using testsupport::ProgramProcess;

namespace {

// Sanitizer builds (DVZ_MEMORY_FACTOR set) need more for their own bookkeeping.
const long kMaxResidentKb = 400 * 1024 * std::max(1, qEnvironmentVariableIntValue("DVZ_MEMORY_FACTOR"));

// Opens the about window from the main window's menu and closes it again;
// the time until it appeared, in milliseconds, less what the same keys and
// look-up cost for a window that is already there (the probe's own time,
// which grows on a busy machine).
qint64 aboutWindowDelay(ProgramProcess& program, const QString& main)
{
    QElapsedTimer probe;
    probe.start();
    key(main, QStringLiteral("shift"));
    key(main, QStringLiteral("shift"));
    program.waitForWindow(QStringLiteral("DuvavazorUzevaz"), 5000);
    const qint64 overhead = probe.elapsed();
    QElapsedTimer clock;
    clock.start();
    key(main, QStringLiteral("alt+h"));
    key(main, QStringLiteral("a"));
    const QString about = program.waitForWindow(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), 5000); // (titles come back trimmed)
    const qint64 delay = clock.elapsed();
    if (!about.isEmpty())
        key(about, QStringLiteral("Return"));
    return about.isEmpty() ? 99999 : std::max<qint64>(0, delay - overhead);
}

} // namespace

class CorpusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        connect(&listener, &QTcpServer::newConnection, this, [this] {
            ++connections;
            delete listener.nextPendingConnection();
        });
        const QString made = testsupport::run(
            QStringLiteral("bash"), {QStringLiteral(CORPUS_SCRIPT), corpus.root(), QString::number(listener.serverPort()),
                                     qEnvironmentVariable("DVZ_FIXTURES"), QStringLiteral("&& echo made")});
        QVERIFY(QFile::exists(corpus.path("bomb.gif")));
    }

    void videoModeLoopsPastEveryRefusedFile()
    {
        ProgramProcess program;
        const QString main = program.startSearch(corpus.root(), QStringLiteral("OP1"));
        QVERIFY(!main.isEmpty());
        // Every clip that plays comes round, and the loop goes on to the first again.
        // (Titles come back trimmed.)
        const QStringList good = {"good-clip.mpg", "good-short.wave", "曲 テスト.mp3", "sjis-曲.avi",
                                  "spaced  .wave", "mixed.ram", "deep.wave"};
        QStringList order; // the clips in the order they came
        long peakKb = 0;
        qint64 slowest = 0;
        QElapsedTimer clock;
        clock.start();
        const auto cameRound = [&] { return order.size() > good.size() && order.last() == order.first(); };
        while (!cameRound() && clock.elapsed() < 90000) {
            for (const QString& title : program.windowTitles()) {
                if (good.contains(title) && (order.isEmpty() || order.last() != title))
                    order << title;
            }
            peakKb = std::max(peakKb, program.residentKb());
            if (order.size() == 3 && slowest == 0)
                slowest = aboutWindowDelay(program, main); // while the loop runs
            QTest::qWait(50);
        }
        const QSet<QString> seen(order.begin(), order.end());
        QCOMPARE(seen.size(), good.size());
        QVERIFY2(cameRound(), qPrintable(order.join(u'|')));
        slowest = std::max(slowest, aboutWindowDelay(program, main));
        QVERIFY2(slowest < 1000, qPrintable(QString::number(slowest)));
        QVERIFY2(peakKb < kMaxResidentKb, qPrintable(QString::number(peakKb)));
        endAndCheckSettings(program);
        std::printf("video mode: %d clips came round, slowest answer %lld ms, peak %ld MiB, %d connections\n",
                    int(seen.size()), slowest, peakKb / 1024, connections);
    }

    void stillPictureModeShowsWhatItCanAndSettles()
    {
        ProgramProcess program;
        const QString main = program.startSearch(corpus.root(), QStringLiteral("OP2"));
        QVERIFY(!main.isEmpty());
        QVERIFY(testsupport::waitFor([&] { return program.windowTitles().size() == 2; }, 20000));
        // Every row in turn, and round again.
        for (int i = 0; i < 16; ++i)
            key(main, QStringLiteral("space"));
        const qint64 delay = aboutWindowDelay(program, main);
        QVERIFY2(delay < 1000, qPrintable(QString::number(delay)));
        const long residentKb = program.residentKb();
        QVERIFY2(residentKb < kMaxResidentKb, qPrintable(QString::number(residentKb)));
        // Once the pictures asked for are read (on a busy machine that takes
        // a while), idle, it uses next to no processor time.
        double last = program.cpuSeconds();
        QVERIFY(testsupport::waitFor([&] {
            QTest::qWait(500);
            const double now = program.cpuSeconds();
            return std::exchange(last, now) > now - 0.025;
        }, 30000));
        const double before = program.cpuSeconds();
        QTest::qWait(3000);
        const double busy = (program.cpuSeconds() - before) / 3.0;
        QVERIFY2(busy < 0.05, qPrintable(QString::number(busy)));
        endAndCheckSettings(program);
    }

    void cleanupTestCase() { QCOMPARE(connections, 0); }

private:
    void endAndCheckSettings(ProgramProcess& program)
    {
        ::kill(pid_t(program.process().processId()), SIGTERM);
        QVERIFY(program.waitForExit());
        QSettings settings(program.configDir() + QStringLiteral("/ZOLT.ini"), QSettings::IniFormat);
        QCOMPARE(settings.status(), QSettings::NoError);
        QCOMPARE(settings.value("Option/Dir").toString(), corpus.root());
    }

    testsupport::TempTree corpus;
    QTcpServer listener;
    int connections = 0;
};

QTEST_GUILESS_MAIN(CorpusTest)
#include "tst_corpus.moc"
