#include "app/application.h"

#include "app/aboutwindow.h"
#include "app/helpviewer.h"
#include "app/mainwindow.h"
#include "dialogs/filetypedialog.h"
#include "list/listview.h"
#include "platform/toolwindow.h"
#include "platform/twips.h"
#include "playback/mediaplayer.h"
#include "playback/mpvapi.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "search/searchcommand.h"
#include "search/splashwindow.h"
#include "viewer/picturecache.h"
#include "viewer/picturewindow.h"
#include "viewer/showpicture.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <thread>

Application::Application(Options options)
    : options_(std::move(options)), settings_(options_.configDirectory),
      mediaTypes_(FileTypeTable::MediaTypes(settings_)), pictureTypes_(FileTypeTable::PictureTypes(settings_)),
      otherMediaTypes_(FileTypeTable::OtherMediaTypes(settings_)),
      otherPictureTypes_(FileTypeTable::OtherPictureTypes(settings_))
{
}

Application::~Application()
{
    for (QWidget* window : std::initializer_list<QWidget*>{pictureWindow_, mediaTypesDialog_, pictureTypesDialog_,
                                                           aboutWindow_, helpViewer_, splashWindow_})
        delete window;
    transport_.reset();
    search_.reset();
    mainWindow_.reset();
    settings_.flush();
}

void Application::start()
{
    const double ratio = qApp->devicePixelRatio();
    pictureCache_ = std::make_unique<PictureCache>([ratio](QSize natural) { return shownPixelSize(natural, ratio); });
    mainWindow_ = std::make_unique<MainWindow>(*this);
    createSearch();
    createTransport();
    mainWindow_->Form_Load();
    mainWindow_->show();
    if (options_.preloadPlayer) {
        // Once the window is up, load the player library off the UI thread,
        // then start the engine, so the first clip opens without waiting.
        QTimer::singleShot(100, this, [] { std::thread([] { MpvApi::get(); }).detach(); });
        QTimer::singleShot(500, this, [this] {
            if (VideoWindow* window = transport_->loadedVideoWindow())
                window->player().ensureEngine();
        });
    }
}

void Application::createSearch()
{
    MainWindow& main = *mainWindow_;
    FileSearch::Hooks hooks{
        [&main] { return main.isVideoMode(); },
        [this] {
            transport_->videoWindow().show();
            transport_->PlaySelected();
        },
        [this, &main] {
            pictureWindow().show();
            if (main.fileList->count() >= 1)
                main.fileList->select(1);
            ShowSelectedPicture();
        },
        [] { QCoreApplication::processEvents(); },
        &main,
    };
    search_ = std::make_unique<FileSearch>(settings_, FileTypeChoice{mediaTypes_, otherMediaTypes_},
                                           FileTypeChoice{pictureTypes_, otherPictureTypes_}, *main.fileList, *main.folderList,
                                           std::move(hooks));
}

void Application::createTransport()
{
    MainWindow& main = *mainWindow_;
    Transport::Hooks hooks{
        [&main] { return main.isVideoMode(); },
        [this] { closePictureWindow(); },
        [&main] { return outerWidth(main); },
    };
    transport_ = std::make_unique<Transport>(*main.fileList, std::move(hooks));
}

// ---- Windows ----

PictureWindow& Application::pictureWindow()
{
    if (!pictureWindow_) {
        pictureWindow_ = new PictureWindow();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        pictureWindow_->Form_Load(outerWidth(*mainWindow_),
                                  twips::fromPixels(screen.width()), twips::fromPixels(screen.height()));
    }
    return *pictureWindow_;
}

void Application::closePictureWindow()
{
    if (pictureWindow_) {
        pictureWindow_->hide();
        delete pictureWindow_;
    }
}

FileTypeDialog& Application::mediaTypesDialog()
{
    if (!mediaTypesDialog_)
        mediaTypesDialog_ = new FileTypeDialog({mediaTypes_, otherMediaTypes_}, FileTypeDialogDesign::media());
    return *mediaTypesDialog_;
}

FileTypeDialog& Application::pictureTypesDialog()
{
    if (!pictureTypesDialog_)
        pictureTypesDialog_ = new FileTypeDialog({pictureTypes_, otherPictureTypes_}, FileTypeDialogDesign::pictures());
    return *pictureTypesDialog_;
}

AboutWindow& Application::aboutWindow()
{
    if (!aboutWindow_)
        aboutWindow_ = new AboutWindow();
    return *aboutWindow_;
}

HelpViewer& Application::helpViewer()
{
    if (!helpViewer_)
        helpViewer_ = new HelpViewer();
    return *helpViewer_;
}

SplashWindow& Application::splashWindow()
{
    if (!splashWindow_)
        splashWindow_ = new SplashWindow();
    return *splashWindow_;
}

PictureWindow* Application::loadedPictureWindow()
{
    return pictureWindow_;
}

FileTypeDialog* Application::loadedMediaTypesDialog()
{
    return mediaTypesDialog_;
}

FileTypeDialog* Application::loadedPictureTypesDialog()
{
    return pictureTypesDialog_;
}

SplashWindow* Application::loadedSplashWindow()
{
    return splashWindow_;
}

void Application::unloadSplash()
{
    delete splashWindow_;
}

// ---- Pictures ----

void Application::ShowSelectedPicture()
{
    PictureContext context{
        [this] { return mainWindow_->isStillPictureMode(); },
        [this] { transport_->closeVideoWindow(); },
        [this]() -> PictureWindow& { return pictureWindow(); },
        *mainWindow_->fileList,
        *pictureCache_,
        [this] { ShowSelectedPicture(); },
    };
    ::ShowSelectedPicture(context);
}

void Application::endNow()
{
    settings_.flush();
    options_.endProcess();
}
