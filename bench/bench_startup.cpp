// Start-up time and idle memory of the program beside a bare Qt program.
// Run under an X display (scripts/bench.sh starts one).
#include "benchsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <vector>

namespace {

QProcessEnvironment environment(const QTemporaryDir& config, const char* exitWhen)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    env.insert("XDG_DATA_HOME", config.path());
    if (exitWhen)
        env.insert(exitWhen, "1");
    return env;
}

double startMs(const char* program, const QTemporaryDir& config, const QStringList& arguments,
               const char* exitWhen)
{
    QProcess p;
    p.setProcessEnvironment(environment(config, exitWhen));
    QElapsedTimer clock;
    clock.start();
    p.start(program, arguments);
    p.waitForFinished(20000);
    return clock.nsecsElapsed() / 1e6;
}

double medianStartMs(const char* program, int runs, const QStringList& arguments = {},
                     const char* exitWhen = "DVZ_EXIT_WHEN_SHOWN")
{
    QTemporaryDir config;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(startMs(program, config, arguments, exitWhen));
    return median(times);
}

struct Contender {
    const char* program;
    QStringList arguments;
    QTemporaryDir config;
    std::vector<double> times;
};

// The programs take turns, so a busy spell of the machine falls on all alike.
void startInTurns(std::vector<Contender*> contenders, int runs)
{
    for (int i = 0; i < runs; ++i)
        for (Contender* c : contenders)
            c->times.push_back(startMs(c->program, c->config, c->arguments, "DVZ_EXIT_WHEN_SHOWN"));
}

// Peak resident memory (VmHWM) of the program after it has idled a while.
long idlePeakKb(const char* program, const QStringList& arguments = {})
{
    QTemporaryDir config;
    QProcess p;
    p.setProcessEnvironment(environment(config, nullptr));
    p.start(program, arguments);
    p.waitForStarted();
    QThread::msleep(2500);
    const long kb = statusKb("VmHWM", p.processId());
    p.kill();
    p.waitForFinished();
    return kb;
}

// From a close request (SIGTERM, as the session's end sends) while a clip
// plays to the end of the process.
double endMs(const QString& folder)
{
    QTemporaryDir config;
    QProcess p;
    p.setProcessEnvironment(environment(config, nullptr));
    p.start(PROGRAM, {folder});
    p.waitForStarted();
    QThread::msleep(2500);
    QElapsedTimer clock;
    clock.start();
    p.terminate();
    p.waitForFinished(10000);
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication qt(argc, argv);
    const int runs = 20;
    Contender programRuns{PROGRAM, {}, {}, {}};
    Contender bareRuns{BARE, {}, {}, {}};
    Contender labelledRuns{BARE, {"--label"}, {}, {}};
    startInTurns({&programRuns, &bareRuns, &labelledRuns}, 2); // warm the caches
    for (Contender* c : {&programRuns, &bareRuns, &labelledRuns})
        c->times.clear();
    startInTurns({&programRuns, &bareRuns, &labelledRuns}, runs);
    const double program = median(programRuns.times);
    const double bare = median(bareRuns.times);
    const double labelled = median(labelledRuns.times);
    std::printf("start-up to main window shown (median of %d): program %.1f ms, bare Qt %.1f ms, ratio %.2f "
                "(bare Qt with one Japanese label %.1f ms)\n",
                runs, program, bare, program / bare, labelled);
    std::printf("start-up beside the bare Qt window with one Japanese label: ratio %.2f\n", program / labelled);
    // Started on the benchmark tree: to the first clip playing, beside a
    // bare start-up and the walk of that tree (which bench_search prints).
    const QString tree = QStringLiteral("/tmp/duvavazoruzevaz-bench-tree");
    if (QFile::exists(tree)) {
        const double fromTree = medianStartMs(PROGRAM, 5, {tree}, "DVZ_EXIT_WHEN_PLAYING");
        std::printf("started on the benchmark tree to the first clip playing (median of 5): %.0f ms "
                    "(target: 1.3 x (start-up %.0f ms + the bare walk))\n",
                    fromTree, program);
    }
    if (argc > 1) {
        std::vector<double> ends;
        for (int i = 0; i < 5; ++i)
            ends.push_back(endMs(QString::fromLocal8Bit(argv[1])));
        std::printf("close request while a clip plays to the process's end (median of 5): %.0f ms\n", median(ends));
    }
    const long programKb = idlePeakKb(PROGRAM);
    const long bareKb = idlePeakKb(BARE);
    const long labelledKb = idlePeakKb(BARE, {"--label"});
    std::printf("peak RSS when idle: program %.1f MiB, bare Qt %.1f MiB, bare Qt with one Japanese label %.1f MiB "
                "(program %+.1f MiB beside it)\n",
                programKb / 1024.0, bareKb / 1024.0, labelledKb / 1024.0, (programKb - labelledKb) / 1024.0);
    return 0;
}
