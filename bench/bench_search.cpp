// The program's folder walk beside find(1) on the same tree (and beside a
// bare C walk, also with two busy loops), its memory per row, its longest
// pause between event-processing points (also within one folder of a
// million files), and the list with a million rows.
#include "platform/leanmemory.h"
#include "benchprogram.h"
#include "benchtree.h"
#include "mainwindow/mainwindow.h"
#include "list/listview.h"
#include "playback/transport.h"
#include "search/searchcommand.h"

#include <QAbstractEventDispatcher>
#include "benchsupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <strings.h>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

double cpuMs(clockid_t clock)
{
    timespec now;
    ::clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

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

bool isMediaName(const char* name)
{
    const char* dot = std::strrchr(name, '.');
    if (!dot)
        return false;
    static const char* const kTypes[] = {"avi", "ra", "ram", "mpg", "mpeg", "qt", "mov", "dat", "wave", "mp3", "rm"};
    for (const char* type : kTypes)
        if (::strcasecmp(dot + 1, type) == 0)
            return true;
    return false;
}

// The floor: a bare C walk (openat, fdopendir, readdir with d_type;
// fstatat only on the matches, and on entries whose type the listing
// does not say), counting the matches.
long bareWalk(int parent, const char* name)
{
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return 0;
    }
    long found = 0;
    std::vector<std::string> subfolders;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        bool folder = entry->d_type == DT_DIR;
        struct stat st;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)
            folder = ::fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        if (folder)
            subfolders.emplace_back(entry->d_name);
        else if (isMediaName(entry->d_name) && ::fstatat(fd, entry->d_name, &st, 0) == 0)
            ++found;
    }
    for (const std::string& subfolder : subfolders)
        found += bareWalk(fd, subfolder.c_str());
    ::closedir(dir);
    return found;
}

// Two processes that spin for as long as it lives: a machine of two cores
// as busy as it can be.
struct BusyLoops {
    BusyLoops()
    {
        for (QProcess& loop : loops)
            loop.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
    }
    ~BusyLoops()
    {
        for (QProcess& loop : loops) {
            loop.kill();
            loop.waitForFinished();
        }
    }
    QProcess loops[2];
};

} // namespace

// A small tree (410 folders, 4 files each) for a slow file system.
QByteArray smallTree(const QTemporaryDir& dir)
{
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b)
            for (int c = 0; c < 3; ++c) {
                const QString folder = dir.filePath(QStringLiteral("a%1/b%2/c%3").arg(a).arg(b).arg(c));
                QDir().mkpath(folder);
                for (const char* name : {"clip.mpg", "song.mp3", "photo.jpg", "notes.txt"})
                    QFile(folder + '/' + QLatin1String(name)).open(QIODevice::WriteOnly);
            }
    return QFile::encodeName(dir.path());
}

// Run under strace delaying every directory read (see scripts/bench.sh):
// the program's walk, which reads ahead once reads are slow, beside the
// single-threaded C walk on the same slow file system.
int slowFileSystem(Application& app)
{
    QTemporaryDir dir;
    const QByteArray root = smallTree(dir);
    std::vector<double> walks, bare;
    for (int run = 0; run < 3; ++run) {
        walks.push_back(timeWalk(app, root));
        QElapsedTimer clock;
        clock.start();
        bareWalk(AT_FDCWD, root.constData());
        bare.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("walk of 410 folders on a file system taking 2 ms a directory read (median of 3): program %.0f ms, "
                "C %.0f ms, ratio %.2f (%d rows)\n",
                median(walks), median(bare), median(walks) / median(bare), app.mainWindow().fileList->count());
    return 0;
}

int main(int argc, char* argv[])
{
    keepMemoryLean(); // as the program does
    QApplication qt(argc, argv);
    if (qt.arguments().contains(QStringLiteral("--slow-file-system"))) {
        QTemporaryDir config;
        return slowFileSystem(*startBenchProgram(config.path()));
    }
    const QByteArray root = benchTree();
    QTemporaryDir config;
    const auto program = startBenchProgram(config.path());
    Application& app = *program;
    ListView& list = *app.mainWindow().fileList;

    // Pauses between two event-processing points while walking, and how
    // much of each went to filling the list's model (publishing rows to
    // the view); the rest is the walk's own work (listing, filtering rows).
    struct Pause {
        double ms, fillingMs;
    };
    std::vector<Pause> pauses;
    QElapsedTimer sinceEvents, filling;
    double fillingMs = 0;
    bool walking = false;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] {
        if (walking)
            pauses.push_back({sinceEvents.nsecsElapsed() / 1e6, fillingMs});
        fillingMs = 0;
        sinceEvents.restart();
    });
    QAbstractItemModel* model = list.model();
    QObject::connect(model, &QAbstractItemModel::rowsAboutToBeInserted, [&] { filling.start(); });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] { fillingMs += filling.nsecsElapsed() / 1e6; });
    const auto longestPauses = [&pauses] {
        std::sort(pauses.begin(), pauses.end(), [](const Pause& a, const Pause& b) { return a.ms > b.ms; });
        QStringList text;
        for (size_t i = 0; i < std::min<size_t>(3, pauses.size()); ++i)
            text << QString::asprintf("%.1f ms (filling the model %.1f ms, the walk the rest)", pauses[i].ms,
                                      pauses[i].fillingMs);
        pauses.clear();
        return text.join(QStringLiteral(", ")).toStdString();
    };

    // The program's walk of a folder, in milliseconds, its pauses and the
    // processor time of the window's thread and of all threads noted.
    std::vector<double> windowCpu, allCpu;
    const auto timedWalk = [&](const QByteArray& folder) {
        QElapsedTimer clock;
        const double windowBefore = cpuMs(CLOCK_THREAD_CPUTIME_ID), allBefore = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        clock.start();
        sinceEvents.start();
        walking = true;
        app.search().walkWithFilter(folder);
        walking = false;
        windowCpu.push_back(cpuMs(CLOCK_THREAD_CPUTIME_ID) - windowBefore);
        allCpu.push_back(cpuMs(CLOCK_PROCESS_CPUTIME_ID) - allBefore);
        return clock.nsecsElapsed() / 1e6;
    };

    std::vector<double> walks, finds, bare;
    long rows = 0, found = 0, rssPerRow = 0, bareFound = 0;
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
        QElapsedTimer clock;
        clock.start();
        bareFound = bareWalk(AT_FDCWD, root.constData());
        bare.push_back(clock.nsecsElapsed() / 1e6);
    }
    const double walk = median(walks), find = median(finds);
    std::printf("walk of the tree (median of 5): program %.0f ms, find %.0f ms, ratio %.2f\n", walk, find, walk / find);
    std::printf("walk of the tree beside a bare C walk (median of 5): program %.0f ms, C %.0f ms, ratio %.2f (C found %ld)\n",
                walk, median(bare), walk / median(bare), bareFound);
    std::printf("processor time of the walk (median of 5): window's thread %.0f ms, all threads %.0f ms\n",
                median(windowCpu), median(allCpu));
    std::printf("rows found: program %ld, find %ld%s\n", rows, found, rows == found ? " (agree)" : " (DISAGREE)");
    std::printf("memory: %ld bytes of resident memory per row\n", rssPerRow);
    std::printf("longest pauses between event-processing points: %s\n", longestPauses().c_str());

    {
        BusyLoops busy;
        std::vector<double> loadedWalks, loadedBare;
        for (int run = 0; run < 5; ++run) {
            list.clearRows();
            loadedWalks.push_back(timedWalk(root));
            QElapsedTimer clock;
            clock.start();
            bareWalk(AT_FDCWD, root.constData());
            loadedBare.push_back(clock.nsecsElapsed() / 1e6);
        }
        pauses.clear();
        std::printf("the same with two busy loops (median of 5): program %.0f ms, C %.0f ms, ratio %.2f\n",
                    median(loadedWalks), median(loadedBare), median(loadedWalks) / median(loadedBare));
    }

    // One folder of a million files: the window must keep answering.
    const QByteArray million = benchMillionFolder();
    list.clearRows();
    const double millionMs = timedWalk(million);
    const int millionRows = list.count();
    std::printf("a folder of 1,000,000 files: walked in %.0f ms (%d rows), longest pauses %s\n", millionMs, millionRows,
                longestPauses().c_str());

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
