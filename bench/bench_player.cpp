// Opening a clip in the program's player beside a whole mpv process that
// opens it and plays 0.1 s; the CPU share of playing a 640×480 clip in the
// visible video window beside mpv itself; the program's peak memory while
// it plays that clip beside mpv's.
#include "platform/leanmemory.h"
#include "playback/mediaplayer.h"
#include "playback/videowindow.h"
#include "playback/videosurface.h"

#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// FileName assignment to the first frame presented (video) or the first
// audio played (the audio clock moving).
double openMs(VideoWindow& window, const QByteArray& path, bool video)
{
    MediaPlayer& player = window.player();
    auto* surface = window.findChild<VideoSurface*>();
    bool presented = false;
    QMetaObject::Connection swapped;
    QElapsedTimer clock;
    clock.start();
    if (!player.setFileName(path))
        return -1;
    if (video && surface) {
        swapped = QObject::connect(surface, &VideoSurface::frameShown, [&] { presented = true; });
        waitUntil([&] { return presented; }, 3000);
        QObject::disconnect(swapped);
    } else {
        waitUntil([&] { return player.CurrentPosition() > 0; }, 3000);
    }
    return clock.nsecsElapsed() / 1e6;
}

double mpvProcessMs(const QString& path)
{
    QProcess mpv;
    QElapsedTimer clock;
    clock.start();
    mpv.start("mpv", {"--no-config", "--vo=null", "--ao=null", "--length=0.1", path});
    mpv.waitForFinished(20000);
    return clock.nsecsElapsed() / 1e6;
}

// Peak resident memory of a process that has played for five seconds.
long playingPeakKb(const QString& program, const QStringList& arguments)
{
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    environment.insert("XDG_DATA_HOME", config.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForStarted();
    idleFor(5000);
    const long kb = statusKb("VmHWM", process.processId());
    process.kill();
    process.waitForFinished();
    return kb;
}

} // namespace

int main(int argc, char* argv[])
{
    keepMemoryLean(); // as the program does
    VideoSurface::preferSoftwareDrawingInPlace();
    QApplication qt(argc, argv);
    const QString fixtures = qt.arguments().value(1);
    VideoWindow window;
    window.Form_Load([] { return QRect(226, 0, 1054, 1024); });
    window.show();
    window.player().ensureEngine();
    idleFor(300);

    for (const char* name : {"clip.mpg", "song.mp3", "sound.wave"}) {
        const QString path = fixtures + '/' + name;
        const bool video = QByteArray(name).endsWith(".mpg");
        std::vector<double> ours, theirs;
        for (int i = 0; i < 20; ++i) {
            ours.push_back(openMs(window, QFile::encodeName(path), video));
            theirs.push_back(mpvProcessMs(path));
        }
        std::printf("open %-10s to first %s (median of 20): program %.1f ms, mpv process %.1f ms, ratio %.2f\n", name,
                    video ? "frame" : "sound", median(ours), median(theirs), median(ours) / median(theirs));
    }

    // CPU while a 640×480 clip plays in the visible window, for 5 seconds.
    window.player().setFileName(QFile::encodeName(fixtures + "/long.mpg"));
    const double before = cpuSeconds(RUSAGE_SELF);
    const quint64 rendersBefore = window.player().engine()->renderCount();
    QElapsedTimer clock;
    clock.start();
    idleFor(5000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double ours = (cpuSeconds(RUSAGE_SELF) - before) / seconds;
    const double renders = (window.player().engine()->renderCount() - rendersBefore) / seconds;
    window.player().Stop();

    QProcess mpv;
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    clock.restart();
    mpv.start("mpv", {"--no-config", "--ao=null", "--geometry=375x266+0+0", "--length=5", fixtures + "/long.mpg"});
    mpv.waitForFinished(30000);
    const double theirs = (cpuSeconds(RUSAGE_CHILDREN) - childrenBefore) / (clock.nsecsElapsed() / 1e9);
    std::printf("CPU while playing 640x480 in a 375x266 window: program %.0f %% of a core, mpv %.0f %%, ratio %.2f; "
                "program renders %.1f frames a second (the clip has 25)\n",
                ours * 100, theirs * 100, ours / theirs, renders);

    const QString clip = fixtures + "/long.mpg";
    const long programKb = playingPeakKb(PROGRAM, {clip});
    const long mpvKb = playingPeakKb("mpv", {"--no-config", "--geometry=375x266+0+0", clip});
    const long headlessKb = playingPeakKb("mpv", {"--no-config", "--vo=null", clip});
    std::printf("peak memory playing 640x480 in a window for 5 s: program %.0f MiB, mpv %.0f MiB, ratio %.2f "
                "(mpv without a video output %.0f MiB)\n",
                programKb / 1024.0, mpvKb / 1024.0, double(programKb) / mpvKb, headlessKb / 1024.0);
    return 0;
}
