// Start-up time and idle memory of the program beside a bare Qt program.
// Run under an X display (scripts/bench.sh starts one).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QProcessEnvironment environment(const QTemporaryDir& config, const char* exitWhen)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    if (exitWhen)
        env.insert(exitWhen, "1");
    return env;
}

double medianStartMs(const char* program, int runs, const QStringList& arguments = {},
                     const char* exitWhen = "DVZ_EXIT_WHEN_SHOWN")
{
    QTemporaryDir config;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setProcessEnvironment(environment(config, exitWhen));
        QElapsedTimer clock;
        clock.start();
        p.start(program, arguments);
        p.waitForFinished(20000);
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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
    QFile status(QStringLiteral("/proc/%1/status").arg(p.processId()));
    long kb = -1;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                kb = line.mid(6).trimmed().split(' ').first().toLong();
    }
    p.kill();
    p.waitForFinished();
    return kb;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication qt(argc, argv);
    const int runs = 20;
    medianStartMs(PROGRAM, 2); // warm the caches
    medianStartMs(BARE, 2);
    const double program = medianStartMs(PROGRAM, runs);
    const double bare = medianStartMs(BARE, runs);
    const double labelled = medianStartMs(BARE, runs, {"--label"});
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
    const long programKb = idlePeakKb(PROGRAM);
    const long bareKb = idlePeakKb(BARE);
    const long labelledKb = idlePeakKb(BARE, {"--label"});
    std::printf("peak RSS when idle: program %.1f MiB, bare Qt %.1f MiB, bare Qt with one Japanese label %.1f MiB "
                "(program %+.1f MiB beside it)\n",
                programKb / 1024.0, bareKb / 1024.0, labelledKb / 1024.0, (programKb - labelledKb) / 1024.0);
    return 0;
}
