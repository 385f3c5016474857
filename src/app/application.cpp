#include "app/application.h"

#include "help/aboutwindow.h"
#include "help/helpviewer.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/picturebutton.h"
#include "dialogs/filetypedialog.h"
#include "list/listview.h"
#include "platform/messagebox.h"
#include "platform/nativename.h"
#include "desktop/recentfiles.h"
#include "platform/toolwindow.h"
#include "platform/twips.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "search/folderlisting.h"
#include "search/searchcommand.h"
#include "search/splashwindow.h"
#include "search/typefilter.h"
#include "app/extras.h"
#include "desktop/mprisservice.h"
#include "app/remotecommands.h"
#include "desktop/singlecopy.h"
#include "viewer/picturecache.h"
#include "viewer/picturewindow.h"
#include "viewer/showpicture.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QThreadPool>
#include <cerrno>
#include <sys/stat.h>

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
    idleInhibitor_.release();
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
    connect(mainWindow_->fileMenu, &QMenu::aboutToShow, this, &Application::prepareForSearch);
    extras_ = new Extras(*this, *mainWindow_->playMenu, *options_.clock);
    mainWindow_->show();
    offerSessionServices();
    followPlaybackState();
    qApp->installEventFilter(this);
}

void Application::followPlaybackState()
{
    clipLater_.setSingleShot(true);
    clipLater_.setInterval(0);
    connect(&clipLater_, &QTimer::timeout, this, &Application::noteClip);
    connect(transport_.get(), &Transport::playerChanged, &clipLater_, qOverload<>(&QTimer::start));
    connect(&playbackState_, &PlaybackState::changed, this, [this] {
        idleInhibitor_.setHeld(playbackState_.keepsScreenOn());
        mpris_->refresh();
    });
    noteClip();
}

void Application::noteClip()
{
    VideoWindow* video = transport_->loadedVideoWindow();
    PlaybackState::Clip clip;
    if (video && video->player().hasClip()) {
        const MediaPlayer& player = video->player();
        using Status = PlaybackState::Status;
        clip.status = player.isStopped() ? Status::Stopped
                      : player.isPaused() ? Status::Paused
                      : player.isPlaying() ? Status::Playing : Status::Stopped;
        clip.path = player.playingEntry().isEmpty() ? player.fileName() : player.playingEntry();
        clip.lengthUs = player.Duration() > 0 ? qint64(player.Duration() * 1e6) : 0;
    }
    playbackState_.setClip(clip);
}

void Application::notePicture()
{
    ListView& list = *mainWindow_->fileList;
    PlaybackState::Picture picture;
    if (pictureWindow_ && pictureWindow_->isVisible()) {
        picture.fullScreen = pictureWindow_->isFullScreen();
        if (list.selectedIndex() > 0)
            picture.path = list.fullPath(list.selectedIndex());
    }
    playbackState_.setPicture(picture);
}

bool Application::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && mainWindow_ && watched == mainWindow_->searchButton)
        prepareForSearch();
    if (extras_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress))
        extras_->slideShow().stop(); // the user took over
    if (event->type() != QEvent::KeyPress || !mainWindow_)
        return QObject::eventFilter(watched, event);
    int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_MediaPlay)
        key = Qt::Key_MediaTogglePlayPause; // most keyboards' one play key: it toggles, as in every player
    if (mainWindow_->mediaKey(key))
        return true;
    const VideoWindow* video = transport_->loadedVideoWindow();
    if (video && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == video &&
        mainWindow_->videoWindowKey(key))
        return true;
    return QObject::eventFilter(watched, event);
}

void Application::createSearch()
{
    MainWindow& main = *mainWindow_;
    FileSearch::Hooks hooks{
        [&main] { return main.isVideoMode(); },
        [this, &main] {
            if (extras_)
                extras_->resume().notePlaying(true); // where the clip was left, as its folder is left
            transport_->newListComing();
            // A clip still playing would hand its end of stream to the
            // list being filled: pictures close the video window now
            // rather than at the first picture.
            if (!main.isVideoMode())
                transport_->closeVideoWindow();
        },
        [this, &main] {
            transport_->videoWindow().show();
            // Where the folder was left, if its row is still there; else row 1.
            const std::optional<ResumePlace> place = extras_->resume().placeFor(main.folderList->nativePath());
            const int row = place ? main.fileList->rowOf(place->file) : 0;
            if (row > 0)
                SelectRow(*main.fileList, row);
            transport_->playSelectedOrPassOn(Transport::Direction::Forward);
            MediaPlayer& player = transport_->videoWindow().player();
            if (row > 0 && main.fileList->selectedIndex() == row && player.hasClip() && !player.isOpening())
                player.setCurrentPosition(place->position);
        },
        [this, &main] {
            pictureWindow().show();
            if (main.fileList->count() >= 1)
                main.fileList->select(1);
            showSelectedRow();
            extras_->slideShow().start();
        },
        [] { QCoreApplication::processEvents(); },
        [this] { prepareForSearch(); },
        &main,
        [this] {
            if (remote_)
                remote_->resume();
        },
    };
    search_ = std::make_unique<FileSearch>(settings_, FileTypeChoice{mediaTypes_, otherMediaTypes_},
                                           FileTypeChoice{pictureTypes_, otherPictureTypes_}, *main.fileList,
                                           *main.folderList, std::move(hooks));
}

void Application::prepareForSearch()
{
    if (options_.preparePlayer && mainWindow_->isVideoMode())
        transport_->preparePlayer();
}

void Application::createTransport()
{
    MainWindow& main = *mainWindow_;
    Transport::Hooks hooks{
        [&main] { return main.isVideoMode(); },
        [this] { closePictureWindow(); },
        [&main] { return areaBeside(main); },
        [this] { focusMainWindow(); },
        [this] { messagebox::notify(mainWindow_.get(), QStringLiteral("再生できるファイルがありません")); },
    };
    transport_ = std::make_unique<Transport>(*main.fileList, std::move(hooks));
}

// ---- Windows ----

PictureWindow& Application::pictureWindow()
{
    if (!pictureWindow_) {
        pictureWindow_ = new PictureWindow();
        pictureWindow_->Form_Load([&main = *mainWindow_] { return areaBeside(main); });
        connectPictureWindow(*pictureWindow_);
    }
    return *pictureWindow_;
}

void Application::connectPictureWindow(PictureWindow& window)
{
    connect(&window, &PictureWindow::nextPictureRequested, this, [this] { stepPictures(1); });
    connect(&window, &PictureWindow::previousPictureRequested, this, [this] { stepPictures(-1); });
    connect(&window, &PictureWindow::showAgainRequested, this, &Application::showSelectedRow);
    connect(&window, &ToolWindow::fullScreenChanged, this, [this, &window](bool on) {
        const double ratio = window.devicePixelRatioF();
        const QSize screen = window.size();
        if (on)
            pictureCache_->retarget(
                [ratio, screen](QSize natural) { return fullScreenPixelSize(natural, screen, ratio); });
        else
            pictureCache_->retarget([ratio](QSize natural) { return shownPixelSize(natural, ratio); });
        showSelectedRow();
    });
    connect(&window, &ToolWindow::focusMainWindow, this, &Application::focusMainWindow);
    // No picture is shown any more (the window is half gone: not asked).
    connect(&window, &QObject::destroyed, this, [this] { playbackState_.setPicture({}); });
}

void Application::focusMainWindow()
{
    mainWindow_->raise();
    mainWindow_->activateWindow();
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
        splashWindow_ = new SplashWindow([this] { return search_->foundCount(); });
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

void Application::showSelectedRow()
{
    PictureContext context{
        [this] { return mainWindow_->isStillPictureMode(); },
        [this] { transport_->closeVideoWindow(); },
        [this]() -> PictureWindow& { return pictureWindow(); },
        *mainWindow_->fileList,
        *pictureCache_,
        [this] { showSelectedRow(); },
    };
    ShowSelectedPicture(context);
    notePicture();
}

void Application::stepPictures(int rows)
{
    ListView& list = *mainWindow_->fileList;
    // A burst of steps goes round the list once at most.
    const int count = list.count();
    const int moves = count > 0 && std::abs(rows) > 1 ? std::abs(rows) % count : std::min(std::abs(rows), 1);
    for (int i = 0; i < moves; ++i)
        rows > 0 ? SelectNextRow(list) : SelectPreviousRow(list);
    showSelectedRow();
}

void Application::showNextSlide()
{
    // As Space does: the next row, wrapping. A folder that matched the
    // types has no picture to show for a whole interval: it is passed over
    // (once round at most).
    ListView& list = *mainWindow_->fileList;
    if (list.count() == 0)
        return extras_->slideShow().stop();
    for (int tries = 0; tries < list.count(); ++tries) {
        SelectNextRow(list);
        const int row = list.selectedIndex();
        if (row == 0 || !list.rows().isFolder(row - 1))
            break;
    }
    showSelectedRow();
}

// ---- From outside ----

void Application::openFromOutside(const QByteArray& path)
{
    remote_->open(path);
}

namespace {

// Only folders and files of a real file system are opened: not a device, a
// pipe, or the kernel's /proc and /sys. Empty when the path is one; else
// what is wrong with it.
QString whyNotOpened(const QByteArray& path, const QByteArray& absolute, struct stat& st)
{
    if (path.contains('\0'))
        return QStringLiteral("フォルダまたはファイルが見つかりません。");
    if (::stat(absolute.constData(), &st) != 0)
        return errno == EACCES ? QStringLiteral("フォルダまたはファイルにアクセスできません。")
                               : QStringLiteral("フォルダまたはファイルが見つかりません。");
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
        return QStringLiteral("フォルダでも通常のファイルでもありません（パイプやデバイスなど）。");
    if (folderlisting::isPseudoFileSystem(absolute))
        return QStringLiteral("システムの仮想ファイルシステム（/proc、/sys）は開けません。");
    return {};
}

} // namespace

std::function<void()> Application::lookUpForOpening(QPointer<Application> app, const QByteArray& path)
{
    const auto tell = [app](const QString& text) {
        return [app, text] {
            if (app)
                messagebox::notify(app->mainWindow_.get(), text);
        };
    };
    // Cleaned as the list builds its paths ("//", "." and ".." gone); Latin-1
    // keeps every byte as it is.
    const QByteArray absolute = QDir::cleanPath(QString::fromLatin1(path)).toLatin1();
    struct stat st;
    const QString refusal = whyNotOpened(path, absolute, st);
    if (!refusal.isEmpty())
        return tell(refusal + u'\n' + nativename::toDisplay(path));
    const bool isFolder = S_ISDIR(st.st_mode);
    const QByteArray folder = isFolder ? absolute : absolute.left(absolute.lastIndexOf('/') + 1);
    // A folder (or a file's, which is one) the list can show and the search can walk.
    if (::access(folder.constData(), R_OK | X_OK) != 0)
        return tell(QStringLiteral("フォルダを開けません。\n%1").arg(nativename::toDisplay(folder)));
    return [app, absolute, folder, isFolder] {
        if (app)
            app->openChecked(absolute, folder, isFolder);
    };
}

void Application::openChecked(const QByteArray& absolute, const QByteArray& folder, bool isFolder)
{
    MainWindow& main = *mainWindow_;
    // File choosers and docks offer it again.
    QThreadPool::globalInstance()->start([absolute, isFolder] { recentfiles::add(absolute, isFolder); });
    if (!isFolder)
        chooseModeFor(absolute.mid(absolute.lastIndexOf('/') + 1));
    main.driveList->showDriveOfCheckedFolder(nativename::toDisplay(folder));
    main.folderList->enterCheckedFolder(folder);
    main.mnuSerch_Click();
    if (!isFolder)
        playOrShowRowOf(absolute);
}

void Application::chooseModeFor(const QByteArray& fileName)
{
    const QString upper = nativename::toDisplay(fileName).toUpper();
    const auto fits = [&upper](FileTypeTable& table) {
        for (int i = 0; i < table.count(); ++i) {
            if (wildcardMatch(upper, table.entry(i).Pattern.toUpper()))
                return true;
        }
        return false;
    };
    if (fits(pictureTypes_) || fits(otherPictureTypes_))
        mainWindow_->pictureModeOption->setChecked(true);
    else if (fits(mediaTypes_) || fits(otherMediaTypes_))
        mainWindow_->videoModeOption->setChecked(true);
}

void Application::playOrShowRowOf(const QByteArray& path)
{
    ListView& list = *mainWindow_->fileList;
    if (const int row = list.rowOf(path)) {
        list.select(row);
        list.EnsureVisible(row);
        mainWindow_->ListView1_Click();
    }
}

void Application::endNow()
{
    if (extras_)
        extras_->resume().notePlaying(true); // where the folder was left, with resume on
    idleInhibitor_.release();
    settings_.flush();
    options_.endProcess();
}
