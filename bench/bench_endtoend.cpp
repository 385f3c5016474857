// The program end to end: Search over the benchmark tree until the first
// clip plays or the first picture is painted, beside the bare walk (the
// first clip also in a second process of this benchmark, the pointer
// having rested on the Search button first, as a user's does); and the
// gap between one clip's end and the next clip's first frame.
#include "platform/leanmemory.h"
#include "benchprogram.h"
#include "benchtree.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/picturebutton.h"
#include "list/listview.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "playback/videosurface.h"
#include "search/dirlist.h"
#include "search/searchcommand.h"
#include "viewer/pictureimage.h"
#include "viewer/picturewindow.h"

#include "benchsupport.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {


double searchUntil(Application& app, const QByteArray& root, const std::function<bool()>& presented)
{
    app.mainWindow().folderList->setNativePath(root);
    QElapsedTimer clock;
    clock.start();
    app.mainWindow().mnuSerch_Click();
    waitUntil(presented, 10000);
    return clock.nsecsElapsed() / 1e6;
}

bool firstClipPlays(Application& app)
{
    VideoWindow* window = app.transport().loadedVideoWindow();
    return window && window->isVisible() && window->player().CurrentPosition() > 0;
}

double medianWalk(Application& app, const QByteArray& root)
{
    std::vector<double> walks;
    for (int i = 0; i < 3; ++i)
        walks.push_back(timeWalk(app, root));
    return median(walks);
}

// The first clip of a search started 300 ms after the pointer came onto
// the Search button.
int firstClipAfterThePointerRested(Application& app, const QByteArray& root)
{
    const double walk = medianWalk(app, root);
    QWidget* button = app.mainWindow().searchButton;
    waitUntil([&] { return button->isVisible(); }, 3000);
    QCursor::setPos(button->mapToGlobal(button->rect().center()));
    idleFor(300);
    const double video = searchUntil(app, root, [&] { return firstClipPlays(app); });
    std::printf("the same, the pointer having rested on the Search button for 300 ms: %.0f ms (%.2f x its bare walk, %.0f ms)\n",
                video, video / walk, walk);
    return 0;
}

void runPointerRested(const QString& fixtures)
{
    QProcess rested;
    rested.setProcessChannelMode(QProcess::ForwardedChannels);
    rested.start(QCoreApplication::applicationFilePath(), {fixtures, QStringLiteral("--pointer-rested")});
    rested.waitForFinished(60000);
}

} // namespace

int main(int argc, char* argv[])
{
    keepMemoryLean(); // as the program does
    VideoSurface::preferSoftwareDrawingInPlace();
    QApplication qt(argc, argv);
    // Absolute: the program moves the working folder when it starts.
    const QString fixtures = QFileInfo(qt.arguments().value(1)).absoluteFilePath();
    const QByteArray root = benchTree();
    // Real files first in the tree, so the search has something to present.
    QFile::copy(fixtures + "/clip.mpg", QString::fromUtf8(root + "/0 first.mpg"));
    QFile::copy(fixtures + "/landscape.jpg", QString::fromUtf8(root + "/0 first.jpg"));

    QTemporaryDir config;
    auto app = startBenchProgram(config.path());
    if (qt.arguments().contains(QStringLiteral("--pointer-rested")))
        return firstClipAfterThePointerRested(*app, root);
    const double walk = medianWalk(*app, root);

    const double video = searchUntil(*app, root, [&] { return firstClipPlays(*app); });
    app->mainWindow().pictureModeOption->setChecked(true);
    bool painted = false;
    const double still = searchUntil(*app, root, [&] {
        PictureWindow* window = app->loadedPictureWindow();
        if (window && window->isVisible() && window->image().isVisible() && !painted) {
            window->image().repaint();
            painted = true;
        }
        return painted;
    });
    std::printf("search of the benchmark tree: bare walk %.0f ms; until the first clip plays %.0f ms; "
                "until the first picture is painted %.0f ms\n",
                walk, video, still);
    std::fflush(stdout);
    runPointerRested(fixtures);

    // Twenty one-second clips at 25 frames a second whose sound ends with
    // their last frame: the time between the last frame of one clip and the
    // first of the next, beside the 40 ms between two frames of one clip.
    QTemporaryDir clips;
    for (int i = 0; i < 20; ++i)
        QFile::copy(fixtures + "/clip.avi", clips.filePath(QStringLiteral("clip%1.avi").arg(i, 2, 10, QLatin1Char('0'))));
    app->mainWindow().videoModeOption->setChecked(true);
    app->mainWindow().folderList->setPath(clips.path());
    app->mainWindow().mnuSerch_Click();
    VideoWindow& window = app->transport().videoWindow();
    auto* surface = window.findChild<VideoSurface*>();
    // New pictures and clip changes on one clock (the next clip's first
    // picture may come before the change is announced): a change's gap is
    // the longest time between two new pictures within 150 ms of it, beside
    // the same measure in the middle of a clip.
    QElapsedTimer clock;
    clock.start();
    std::vector<double> frames, changes;
    const auto noteChange = [&] { changes.push_back(clock.nsecsElapsed() / 1e6); };
    QObject::connect(&window.player(), &MediaPlayer::EndOfStream, noteChange);
    QObject::connect(&window.player(), &MediaPlayer::FollowedOn, noteChange);
    QObject::connect(surface, &VideoSurface::frameShown, [&](bool fresh) {
        if (fresh)
            frames.push_back(clock.nsecsElapsed() / 1e6);
    });
    waitUntil([&] { return changes.size() >= 20; }, 40000);
    idleFor(400);
    const auto gapAround = [&](double at) {
        double longest = 0;
        for (size_t i = 1; i < frames.size(); ++i)
            if (std::abs(frames[i] - at) < 150)
                longest = std::max(longest, frames[i] - frames[i - 1]);
        return longest;
    };
    std::vector<double> gaps, withinClip;
    for (double change : changes) {
        gaps.push_back(gapAround(change));
        withinClip.push_back(gapAround(change + 500));
    }
    if (!gaps.empty())
        std::printf("last frame of a clip to the first frame of the next (median of %zu): %.1f ms "
                    "(%.1f ms within a clip, measured the same way)\n",
                    gaps.size(), median(gaps), median(withinClip));

    // The same video-mode search while a clip plays: the walk must not wait for the frames.
    const double whilePlaying = searchUntil(*app, root, [&] {
        MediaPlayer& player = app->transport().videoWindow().player();
        return player.fileName().endsWith("0 first.mpg") && player.CurrentPosition() > 0;
    });
    std::printf("the search until the first clip plays, started while a clip plays: %.0f ms (%.2f x the same search idle)\n",
                whilePlaying, whilePlaying / video);

    // Full screen on and off: the time to the first frame drawn at the new size.
    std::vector<double> toggles;
    for (int i = 0; i < 10; ++i) {
        const QSize before = surface->size();
        QElapsedTimer clock;
        clock.start();
        window.toggleFullScreen();
        bool drawn = false;
        const auto connection = QObject::connect(surface, &VideoSurface::frameShown, [&] {
            drawn = drawn || surface->size() != before;
        });
        waitUntil([&] { return drawn; }, 3000);
        QObject::disconnect(connection);
        toggles.push_back(clock.nsecsElapsed() / 1e6);
        idleFor(200);
    }
    std::printf("full screen on or off to the first frame at the new size (median of 10): %.1f ms\n", median(toggles));
    return 0;
}
