// The program's part in the desktop session: the player controls (MPRIS)
// and the single copy that later launches hand their paths to.
#include "app/application.h"
#include "mainwindow/mainwindow.h"
#include "desktop/mprisservice.h"
#include "app/remotecommands.h"
#include "desktop/singlecopy.h"
#include "desktop/sessionbus.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "search/searchcommand.h"

#include <QSlider>
#include <cmath>

void Application::offerSessionServices()
{
    remote_ = std::make_unique<RemoteCommands>(RemoteCommands::Hooks{
        [this] { return search_->isRunning(); },
        [this] { raiseMainWindow(); },
        [app = QPointer<Application>(this)](const QByteArray& path) { return lookUpForOpening(app, path); },
        [this](int rows) { mainWindow_->stepRows(rows); },
        [this](int key) { mainWindow_->mediaKey(key); },
        [this] { noteClip(); }, // announced before the next request is read
    });
    mpris_ = std::make_unique<MprisService>(MprisService::Hooks{
        [this] { return mprisState(); },
        [this] {
            VideoWindow* video = transport_->loadedVideoWindow();
            return video && playbackState_.videoMode() ? qint64(video->player().CurrentPosition() * 1e6) : 0;
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

MprisState Application::mprisState() const
{
    MprisState state;
    state.volume = playbackState_.volume();
    state.canPlay = playbackState_.videoMode();
    if (playbackState_.videoMode()) {
        const PlaybackState::Clip& clip = playbackState_.clip();
        static const QString kStatus[] = {QStringLiteral("Stopped"), QStringLiteral("Playing"), QStringLiteral("Paused")};
        state.status = kStatus[int(clip.status)];
        state.path = clip.path;
        state.lengthUs = clip.lengthUs;
    } else {
        state.path = playbackState_.picture().path;
    }
    return state;
}

void Application::raiseMainWindow()
{
    if (mainWindow_->isMinimized())
        mainWindow_->showNormal();
    focusMainWindow();
}
