// The program's folder walk beside find(1) on the same tree, its memory per
// row, its longest pause between event-processing points (also within one
// folder of a million files), and the list with a million rows.
#include "benchprogram.h"
#include "benchtree.h"
#include "app/mainwindow.h"
#include "list/listview.h"
#include "playback/transport.h"
#include "search/searchcommand.h"

#include <QAbstractEventDispatcher>
#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

std::pair<double, long> timeFind(const QByteArray& root)
{
    QStringList args = {QString::fromUtf8(root), "("};
    const char* patterns[] = {"avi", "ra", "ram", "mpg", "mpeg", "qt", "mov", "dat", "wave", "mp3", "rm"};
    for (const char* p : patterns) {
        if (args.size() > 2)
            args << "-o";
        args << "-iname" << QStringLiteral("*.") + QLatin1String(p);
    }
    args << ")" << "-printf" << "%s %h %f\\n";
    QProcess find;
    QElapsedTimer clock;
    clock.start();
    find.start("find", args);
    find.waitForFinished(-1);
    const double ms = clock.nsecsElapsed() / 1e6;
    return {ms, find.readAllStandardOutput().count('\n')};
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication qt(argc, argv);
    const QByteArray root = benchTree();
    QTemporaryDir config;
    const auto program = startBenchProgram(config.path());
    Application& app = *program;
    ListView& list = *app.mainWindow().fileList;

    // Longest pause between two event-processing points while walking.
    QElapsedTimer sinceEvents;
    double longestGapMs = 0;
    bool walking = false;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] {
        if (walking)
            longestGapMs = std::max(longestGapMs, sinceEvents.nsecsElapsed() / 1e6);
        sinceEvents.restart();
    });

    // The program's walk of a folder, in milliseconds, its pauses noted.
    const auto timedWalk = [&](const QByteArray& folder) {
        QElapsedTimer clock;
        clock.start();
        sinceEvents.start();
        walking = true;
        app.search().WalkFolder(folder);
        walking = false;
        return clock.nsecsElapsed() / 1e6;
    };

    std::vector<double> walks, finds;
    long rows = 0, found = 0, rssPerRow = 0;
    for (int run = 0; run < 5; ++run) {
        list.clearRows();
        const long before = statusKb("VmRSS");
        walks.push_back(timedWalk(root));
        rows = list.count();
        if (run == 0)
            rssPerRow = (statusKb("VmRSS") - before) * 1024 / std::max(1L, rows);
        const auto [ms, lines] = timeFind(root);
        finds.push_back(ms);
        found = lines;
    }
    const double walk = median(walks), find = median(finds);
    std::printf("walk of the tree (median of 5): program %.0f ms, find %.0f ms, ratio %.2f\n", walk, find, walk / find);
    std::printf("rows found: program %ld, find %ld%s\n", rows, found, rows == found ? " (agree)" : " (DISAGREE)");
    std::printf("memory: %ld bytes of resident memory per row\n", rssPerRow);
    std::printf("longest pause between event-processing points: %.1f ms\n", longestGapMs);

    // One folder of a million files: the window must keep answering.
    const QByteArray million = benchMillionFolder();
    list.clearRows();
    longestGapMs = 0;
    const double millionMs = timedWalk(million);
    std::printf("a folder of 1,000,000 files: walked in %.0f ms (%d rows), longest pause %.1f ms\n",
                millionMs, list.count(), longestGapMs);

    // A million rows: fill, select the last, step, clear.
    QElapsedTimer clock;
    clock.start();
    list.clearRows();
    for (int i = 0; i < 1000000; ++i)
        list.appendRow("/music/album/", "clip" + QByteArray::number(i) + ".mp3", i);
    list.count();
    qt.processEvents();
    const double fill = clock.nsecsElapsed() / 1e6;
    clock.restart();
    list.select(1000000);
    list.EnsureVisible(1000000);
    qt.processEvents();
    const double last = clock.nsecsElapsed() / 1e6;
    clock.restart();
    for (int i = 0; i < 1000; ++i)
        SelectNextRow(list);
    const double steps = clock.nsecsElapsed() / 1e6;
    clock.restart();
    list.clearRows();
    qt.processEvents();
    const double clear = clock.nsecsElapsed() / 1e6;
    std::printf("1,000,000 rows: fill %.0f ms, select and show the last %.1f ms, 1,000 SelectNextRow %.1f ms, clear %.0f ms\n",
                fill, last, steps, clear);
    return 0;
}
