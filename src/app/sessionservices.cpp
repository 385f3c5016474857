// The program's part in the desktop session: the player controls (MPRIS)
// and the single copy that later launches hand their paths to.
#include "app/application.h"
#include "app/mainwindow.h"
#include "app/mprisservice.h"
#include "app/remotecommands.h"
#include "app/singlecopy.h"
#include "list/listview.h"
#include "platform/sessionbus.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "search/searchcommand.h"
#include "viewer/picturewindow.h"

#include <QSlider>
#include <cmath>

void Application::offerSessionServices()
{
    remote_ = std::make_unique<RemoteCommands>(RemoteCommands::Hooks{
        [this] { return search_->isRunning(); },
        [this] { raiseMainWindow(); },
        [this](const QByteArray& path) { openNow(path); },
        [this](int rows) { mainWindow_->stepRows(rows); },
        [this](int key) { mainWindow_->mediaKey(key); },
        [this] { mpris_->refresh(); },
    });
    mpris_ = std::make_unique<MprisService>(MprisService::Hooks{
        [this] { return mprisState(); },
        [this] {
            VideoWindow* video = transport_->loadedVideoWindow();
            return video && mainWindow_->isVideoMode() ? qint64(video->player().CurrentPosition() * 1e6) : 0;
        },
        [this](int key) { remote_->press(key); },
        [this](double volume) {
            QSlider& slider = *mainWindow_->volumeSlider;
            slider.setValue(slider.minimum() + int(std::lround(volume * (slider.maximum() - slider.minimum()))));
        },
        [this] { remote_->raise(); },
        [this] { mainWindow_->close(); },
        [this](const QByteArray& path) { openFromOutside(path); },
    });
    copyService_ = std::make_unique<CopyService>([this](const QByteArray& path) { openFromOutside(path); },
                                                 [this] { remote_->raise(); });
    // Connected off the window's thread, once the window is up: none of
    // this delays its first paint or holds it while the bus answers.
    sessionbus::connectLater(this, [this](QDBusConnection bus) {
        mpris_->registerOnBus(bus);
        copyService_->listen(bus, options_.configDirectory);
    });
}

MprisState Application::mprisState()
{
    MainWindow& main = *mainWindow_;
    MprisState state;
    const QSlider& slider = *main.volumeSlider;
    state.volume = double(slider.value() - slider.minimum()) / std::max(1, slider.maximum() - slider.minimum());
    state.canPlay = main.isVideoMode();
    if (main.isVideoMode()) {
        VideoWindow* video = transport_->loadedVideoWindow();
        if (!video || !video->player().hasClip())
            return state;
        const MediaPlayer& player = video->player();
        state.status = player.isStopped() ? QStringLiteral("Stopped")
                       : player.isPaused() ? QStringLiteral("Paused")
                       : player.isPlaying() ? QStringLiteral("Playing") : QStringLiteral("Stopped");
        state.path = player.playingEntry().isEmpty() ? player.fileName() : player.playingEntry();
        state.lengthUs = player.Duration() > 0 ? qint64(player.Duration() * 1e6) : 0;
    } else if (pictureWindow_ && pictureWindow_->isVisible() && main.fileList->selectedIndex() > 0) {
        state.path = main.fileList->fullPath(main.fileList->selectedIndex());
    }
    return state;
}

void Application::raiseMainWindow()
{
    if (mainWindow_->isMinimized())
        mainWindow_->showNormal();
    focusMainWindow();
}
