#include "app/application.h"

#include "app/aboutwindow.h"
#include "app/helpviewer.h"
#include "app/mainwindow.h"
#include "dialogs/filetypedialog.h"
#include "playback/mediaplayer.h"
#include "playback/mpvapi.h"
#include "playback/playcommands.h"
#include "playback/videowindow.h"
#include "search/dirlist.h"
#include "search/folderwalk.h"
#include "search/listview.h"
#include "search/searchcommand.h"
#include "search/splashwindow.h"
#include "search/typefilter.h"
#include "viewer/picturecache.h"
#include "viewer/picturewindow.h"
#include "viewer/showpicture.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <thread>

Application::Application(Options options)
    : options_(std::move(options)), settings_(options_.configDirectory),
      mediaTypes_(FileTypeTable::MediaTypes(settings_)), pictureTypes_(FileTypeTable::PictureTypes(settings_))
{
}

Application::~Application()
{
    for (QWidget* window : std::initializer_list<QWidget*>{form2_, form4_, form3_, form5_, frmAbout_, helpViewer_, frmSplash_})
        delete window;
    form1_.reset();
    settings_.flush();
}

void Application::start()
{
    const double ratio = qApp->devicePixelRatio();
    pictureCache_ = std::make_unique<PictureCache>([ratio](QSize natural) { return shownPixelSize(natural, ratio); });
    form1_ = std::make_unique<MainWindow>(*this);
    form1_->Form_Load();
    form1_->show();
    if (options_.preloadPlayer) {
        // Once the window is up, load the player library off the UI thread,
        // then start the engine, so the first clip opens without waiting.
        QTimer::singleShot(100, this, [] { std::thread([] { MpvApi::get(); }).detach(); });
        QTimer::singleShot(500, this, [this] {
            if (form2_)
                form2_->player().ensureEngine();
        });
    }
}

// ---- Windows ----

VideoWindow& Application::form2()
{
    if (!form2_) {
        form2_ = new VideoWindow();
        form2_->Form_Load(twips::fromPixels(form1_->frameGeometry().width()), BaseWidth, BaseHeight);
        connect(&form2_->player(), &MediaPlayer::EndOfStream, this, [this] {
            SelectNextRow();
            PlaySelected();
        });
    }
    return *form2_;
}

PictureWindow& Application::form4()
{
    if (!form4_) {
        form4_ = new PictureWindow();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        form4_->Form_Load(twips::fromPixels(form1_->frameGeometry().width()), twips::fromPixels(screen.width()),
                          twips::fromPixels(screen.height()));
    }
    return *form4_;
}

void Application::closeVideoWindow()
{
    if (form2_) {
        form2_->hide();
        delete form2_;
    }
}

void Application::closePictureWindow()
{
    if (form4_) {
        form4_->hide();
        delete form4_;
    }
}

FileTypeDialog& Application::form3()
{
    if (!form3_)
        form3_ = new FileTypeDialog(mediaTypes_, FileTypeDialogDesign::media());
    return *form3_;
}

FileTypeDialog& Application::form5()
{
    if (!form5_)
        form5_ = new FileTypeDialog(pictureTypes_, FileTypeDialogDesign::pictures());
    return *form5_;
}

AboutWindow& Application::frmAbout()
{
    if (!frmAbout_)
        frmAbout_ = new AboutWindow();
    return *frmAbout_;
}

HelpViewer& Application::helpViewer()
{
    if (!helpViewer_)
        helpViewer_ = new HelpViewer();
    return *helpViewer_;
}

SplashWindow& Application::frmSplash()
{
    if (!frmSplash_)
        frmSplash_ = new SplashWindow();
    return *frmSplash_;
}

VideoWindow* Application::form2IfLoaded()
{
    return form2_;
}

PictureWindow* Application::form4IfLoaded()
{
    return form4_;
}

FileTypeDialog* Application::form3IfLoaded()
{
    return form3_;
}

FileTypeDialog* Application::form5IfLoaded()
{
    return form5_;
}

SplashWindow* Application::frmSplashIfLoaded()
{
    return frmSplash_;
}

void Application::unloadSplash()
{
    delete frmSplash_;
}

// ---- Module procedures ----

void Application::SearchFiles()
{
    searching_ = true;
    SearchContext context{
        CancelFlag,
        FoundCount,
        *form1_->ListView1,
        *form1_->Dir1,
        [this] { return form1_->isVideoMode(); },
        [this](const QByteArray& folder) { WalkFolder(folder); },
        [this] {
            form2().show();
            PlaySelected();
        },
        [this] {
            form4().show();
            if (form1_->ListView1->count() >= 1)
                form1_->ListView1->select(1);
            ShowSelectedPicture();
        },
        form1_.get(),
    };
    ::SearchFiles(context);
    searching_ = false;
}

FilterContext& Application::filterContext()
{
    if (!filterContext_) {
        filterContext_.reset(new FilterContext{[this] { return form1_->isVideoMode(); }, mediaTypes_, pictureTypes_,
                                               *form1_->ListView1, FoundCount});
    }
    return *filterContext_;
}

void Application::WalkFolder(const QByteArray& folder)
{
    FilterContext& filter = filterContext();
    WalkContext context{
        CancelFlag,
        *form1_->Dir1,
        [&filter](const QByteArray& path, const QByteArray& name) { FilterEntry(path, name, filter); },
        [] { QCoreApplication::processEvents(); },
    };
    // The folder list's "Drive"/"Dir" writes of one walk reach the file when it returns.
    settings_.holdWrites();
    ::WalkFolder(folder, context);
    settings_.releaseWrites();
}

PlaybackContext Application::playbackContext()
{
    return PlaybackContext{
        [this] { return form1_->isVideoMode(); },
        [this] { closePictureWindow(); },
        [this]() -> VideoWindow& { return form2(); },
        [this]() -> VideoWindow* { return form2_; },
        *form1_->ListView1,
        ScanMode,
    };
}

void Application::PlaySelected()
{
    PlaybackContext context = playbackContext();
    ::PlaySelected(context);
}

void Application::SelectNextRow()
{
    ::SelectNextRow(*form1_->ListView1);
}

void Application::SelectPreviousRow()
{
    ::SelectPreviousRow(*form1_->ListView1);
}

void Application::ScanStep()
{
    PlaybackContext context = playbackContext();
    ::ScanStep(context);
}

void Application::ShowSelectedPicture()
{
    PictureContext context{
        [this] { return form1_->isStillPictureMode(); },
        [this] { closeVideoWindow(); },
        [this]() -> PictureWindow& { return form4(); },
        *form1_->ListView1,
        *pictureCache_,
    };
    ::ShowSelectedPicture(context);
}

void Application::ApplyScreenSize()
{
    ::ApplyScreenSize(form2(), ScreenSize, BaseWidth, BaseHeight);
}

void Application::endNow()
{
    settings_.flush();
    options_.endProcess();
}
