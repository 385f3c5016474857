#include "app/extras.h"
#include "mainwindow/mainwindow.h"
#include "app/remotecommands.h"
#include "mainwindow/picturebutton.h"
#include "list/listview.h"
#include "platform/messagebox.h"
#include "desktop/recentfiles.h"
#include "playback/mediaplayer.h"
#include "playback/mpvengine.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "search/dirlist.h"
#include "search/searchcommand.h"
#include "search/splashwindow.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include "viewer/picturecache.h"
#include "viewer/pictureimage.h"
#include "viewer/picturewindow.h"

#include <QMenu>
#include <QSet>
#include <QRadioButton>
#include <QSlider>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>
#include <QUrl>

using testsupport::TempTree;
using testsupport::TestProgram;
using testsupport::waitFor;

namespace {

// A folder of copies of the generated clips and pictures.
void copyFixtures(TempTree& tree, const QList<std::pair<QString, QString>>& copies)
{
    for (const auto& [from, to] : copies) {
        tree.add(to.contains(u'/') ? to.left(to.lastIndexOf(u'/') + 1) : QString());
        QVERIFY(QFile::copy(testsupport::fixture(from), tree.path(to)));
    }
}

void searchIn(TestProgram& program, const TempTree& tree)
{
    QVERIFY(program.app->mainWindow().folderList->setPath(tree.root()));
    program.app->mainWindow().Command1_Click();
}

// The picture window's title once a picture read late was shown.
QString pictureTitle(TestProgram& program)
{
    testsupport::waitFor([&program] { return !program.app->pictureCache().hasLateCalls(); });
    return program.app->pictureWindow().windowTitle();
}

QString videoTitle(TestProgram& program)
{
    VideoWindow* video = program.app->transport().loadedVideoWindow();
    return video ? video->windowTitle() : QString();
}

// Presses and releases a key in the widget (also keys QTest has no letter for).
void tap(QWidget* widget, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void threeClipsPlayInOrderAndLoop()
    {
        testsupport::MessageRecorder messages;
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"short.wave", "a.wave"}, {"short.wave", "b/b.wave"}, {"short.wave", "c.wave"}});
        searchIn(program, tree);
        QCOMPARE(program.app->mainWindow().fileList->count(), 3);
        QVERIFY(program.app->transport().videoWindow().isVisible());
        QVERIFY(!program.app->loadedSplashWindow());
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(videoTitle(program), QStringLiteral("a.wave"));
        for (const char* next : {"c.wave", "b.wave", "a.wave"})
            QVERIFY2(waitFor([&] { return videoTitle(program) == QLatin1String(next); }, 4000), next);
    }

    void nothingFoundShowsTheMessageAfterTheWindow_data()
    {
        QTest::addColumn<bool>("video");
        QTest::newRow("video") << true;
        QTest::newRow("still pictures") << false;
    }
    void nothingFoundShowsTheMessageAfterTheWindow()
    {
        QFETCH(bool, video);
        TestProgram program;
        TempTree tree;
        tree.addAll({"readme.txt"});
        (video ? program.app->mainWindow().videoModeOption : program.app->mainWindow().pictureModeOption)->setChecked(true);
        bool windowShownFirst = false;
        testsupport::MessageRecorder messages;
        messagebox::setObserver([&](const QString& text, const QString& caption) {
            messages.texts << text;
            messages.captions << caption;
            QWidget* window = video ? static_cast<QWidget*>(program.app->transport().loadedVideoWindow())
                                    : static_cast<QWidget*>(program.app->loadedPictureWindow());
            windowShownFirst = window && window->isVisible();
        });
        program.app->search().requestCancel();
        searchIn(program, tree);
        QCOMPARE(messages.texts, QStringList({"表示出来るファイルがありません"}));
        QCOMPARE(messages.captions, QStringList({"duvaVazorUzevaz"}));
        QVERIFY(windowShownFirst);
        QVERIFY(!program.app->search().cancelRequested());
        QCOMPARE(program.app->mainWindow().fileList->count(), 0);
    }

    void aSecondSearchThatFindsNothingSaysSo()
    {
        testsupport::MessageRecorder messages;
        TestProgram program;
        TempTree found, empty;
        copyFixtures(found, {{"song.mp3", "song.mp3"}});
        searchIn(program, found);
        QVERIFY(messages.texts.isEmpty());
        searchIn(program, empty);
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(program.app->search().foundCount(), 0L);
    }

    void escapeDuringASearchKeepsTheRowsFoundAndPlaysTheFirst()
    {
        testsupport::MessageRecorder messages;
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"song.mp3", "1/one.mp3"}, {"song.mp3", "2/two.mp3"}, {"song.mp3", "3/three.mp3"}});
        MainWindow& form = program.app->mainWindow();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        bool splashDuringSearch = false;
        QString countShown;
        connect(form.folderList, &DirList::Change, this, [&] {
            if (form.folderList->path() == tree.path("2")) {
                splashDuringSearch = program.app->loadedSplashWindow() != nullptr;
                QTest::qWait(150); // the count is shown ten times a second
                if (splashDuringSearch)
                    countShown = program.app->loadedSplashWindow()->findChild<QLabel*>("FoundCount")->text();
                QTest::keyClick(&form, Qt::Key_Escape);
            }
        });
        searchIn(program, tree);
        QVERIFY(splashDuringSearch);
        QCOMPARE(countShown, QStringLiteral("見つかったファイル: 1"));
        QVERIFY(!program.app->loadedSplashWindow());
        QCOMPARE(form.fileList->count(), 2);
        QCOMPARE(videoTitle(program), QStringLiteral("one.mp3"));
        QVERIFY(messages.texts.isEmpty());
    }

    void theProgressWindowsCountIsAWholeLineInsideItsFrame()
    {
        SplashWindow splash([] { return 1234567L; });
        const auto* count = splash.findChild<QLabel*>(QStringLiteral("FoundCount"));
        const auto* frame = splash.findChild<QFrame*>(QStringLiteral("Frame1"));
        QCOMPARE(count->text(), QStringLiteral("見つかったファイル: 1234567"));
        QVERIFY(count->height() >= count->fontMetrics().height());
        QVERIFY(frame->contentsRect().contains(count->geometry()));
    }

    void cancelWhileIdleChangesNothing()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"song.mp3", "song.mp3"}});
        program.app->mainWindow().Command2_Click();
        QVERIFY(program.app->search().cancelRequested());
        searchIn(program, tree);
        QCOMPARE(program.app->mainWindow().fileList->count(), 1);
    }

    void menuSearchHasNoProgressWindowAndClearsACancel()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"song.mp3", "a/song.mp3"}});
        MainWindow& form = program.app->mainWindow();
        QVERIFY(form.folderList->setPath(tree.root()));
        bool splashSeen = false;
        connect(form.folderList, &DirList::Change, this, [&] { splashSeen |= program.app->loadedSplashWindow() != nullptr; });
        program.app->search().requestCancel();
        form.mnuSerch_Click();
        QVERIFY(!splashSeen);
        QCOMPARE(form.fileList->count(), 1);
    }

    void stillPictureSearchShowsTheFirstPicture()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"landscape.jpg", "a.jpg"}, {"square.gif", "b.gif"}, {"clip.mpg", "c.mpg"}});
        program.app->mainWindow().pictureModeOption->setChecked(true);
        searchIn(program, tree);
        PictureWindow* pictures = program.app->loadedPictureWindow();
        QVERIFY(pictures && pictures->isVisible());
        QCOMPARE(program.app->mainWindow().fileList->selectedIndex(), 1);
        QCOMPARE(pictureTitle(program), QStringLiteral("a.jpg")); // read late on a busy machine
        QVERIFY(!program.app->transport().loadedVideoWindow());
    }

    // A folder whose name matches the types is a row with no picture: the
    // slideshow passes it over instead of showing nothing for an interval.
    void aSlideShowPassesOverFolderRows()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"landscape.jpg", "a.jpg"}, {"landscape.jpg", "c.jpg"}});
        tree.add(QStringLiteral("b.jpg/"));
        MainWindow& form = program.app->mainWindow();
        form.pictureModeOption->setChecked(true);
        form.findChild<QAction*>(QStringLiteral("mnuSlide3"))->trigger();
        searchIn(program, tree);
        QCOMPARE(form.fileList->count(), 3);
        QCOMPARE(pictureTitle(program), QStringLiteral("a.jpg"));
        program.clock.advance(3000); // one interval
        QCOMPARE(form.fileList->selectedIndex(), 3);
        QCOMPARE(pictureTitle(program), QStringLiteral("c.jpg"));
        // A click in the picture window ends it.
        SlideShow& slides = program.app->extras().slideShow();
        QVERIFY(slides.running());
        QTest::mouseClick(&program.app->pictureWindow().image(), Qt::LeftButton);
        QVERIFY(!slides.running());
    }

    void aStillPictureSearchAfterAClipFeedsNoRowsToThePlayer()
    {
        // The clip that was playing ends during the walk: no end of stream
        // may move through the list being filled.
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"tick.wave", "a.wave"}, {"landscape.jpg", "sub/b.jpg"}});
        searchIn(program, tree);
        QVERIFY(testsupport::waitFor([&] { return videoTitle(program) == QStringLiteral("a.wave"); }));
        program.app->mainWindow().pictureModeOption->setChecked(true);
        bool videoDuringWalk = false;
        connect(program.app->mainWindow().folderList, &DirList::Change, this, [&] {
            videoDuringWalk = videoDuringWalk || program.app->transport().loadedVideoWindow();
        });
        searchIn(program, tree);
        QVERIFY(!videoDuringWalk);
        QCOMPARE(pictureTitle(program), QStringLiteral("b.jpg"));
    }

    void aClipEndingDuringASearchMovesNothingAndTheSearchStartsAtRowOne()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"tick.wave", "1/a.wave"}, {"tick.wave", "2/b.wave"}, {"tick.wave", "3/c.wave"}});
        searchIn(program, tree);
        QVERIFY(testsupport::waitFor([&] { return videoTitle(program) == QStringLiteral("a.wave"); }));
        MainWindow& form = program.app->mainWindow();
        QSignalSpy ends(&program.app->transport().videoWindow().player(), &MediaPlayer::EndOfStream);
        int rowsWhenEnded = 0;
        connect(form.folderList, &DirList::Change, this, [&] {
            if (form.folderList->path() == tree.path("3") && ends.wait(2000))
                rowsWhenEnded = form.fileList->count();
        });
        searchIn(program, tree);
        QCOMPARE(rowsWhenEnded, 2); // the clip ended while the walk was on
        QCOMPARE(form.fileList->selectedIndex(), 1);
        QCOMPARE(videoTitle(program), QStringLiteral("a.wave"));
    }

    void nextAndPreviousWrapAndPlay()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"song.mp3", "1.mp3"}, {"song.mp3", "2.mp3"}, {"song.mp3", "3.mp3"}, {"song.mp3", "4.mp3"},
                            {"song.mp3", "5.mp3"}});
        searchIn(program, tree);
        MainWindow& form = program.app->mainWindow();
        form.fileList->select(5);
        form.Command5_Click();
        QCOMPARE(form.fileList->selectedIndex(), 1);
        QCOMPARE(videoTitle(program), QStringLiteral("1.mp3"));
        form.Command8_Click();
        QCOMPARE(form.fileList->selectedIndex(), 5);
        QCOMPARE(videoTitle(program), QStringLiteral("5.mp3"));
        form.mnuNextBack_Click();
        QCOMPARE(videoTitle(program), QStringLiteral("4.mp3"));
        form.mnuNext_Click();
        QCOMPARE(videoTitle(program), QStringLiteral("5.mp3"));
    }

    // Resume keeps where a clip was left when another folder is searched,
    // not where it began.
    void resumeComesBackWhereTheClipWasLeft()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"long.mpg", "a/a.mpg"}, {"song.mp3", "b/b.mp3"}});
        MainWindow& form = program.app->mainWindow();
        form.findChild<QAction*>(QStringLiteral("mnuResume"))->trigger();
        const auto searchFolder = [&](const char* name) {
            QVERIFY(form.folderList->setPath(tree.path(QLatin1String(name))));
            form.Command1_Click();
        };
        searchFolder("a");
        MediaPlayer& player = program.app->transport().videoWindow().player();
        QVERIFY(waitFor([&] { return player.CurrentPosition() > 0.1; }));
        QVERIFY(player.setCurrentPosition(12.3));
        QVERIFY(waitFor([&] { return player.CurrentPosition() > 12.3; }));
        searchFolder("b");
        QCOMPARE(videoTitle(program), QStringLiteral("b.mp3"));
        searchFolder("a");
        QCOMPARE(videoTitle(program), QStringLiteral("a.mpg"));
        QVERIFY2(player.CurrentPosition() >= 12.3, qPrintable(QString::number(player.CurrentPosition())));
    }

    // Shuffled: Previous goes back through the rows played, Next forward
    // again, and the entries are kept in the settings file.
    void shuffledNextAndPreviousAndHardwareDecoding()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"song.mp3", "1.mp3"}, {"song.mp3", "2.mp3"}, {"song.mp3", "3.mp3"}, {"song.mp3", "4.mp3"},
                            {"song.mp3", "5.mp3"}});
        MainWindow& form = program.app->mainWindow();
        auto* shuffle = form.findChild<QAction*>(QStringLiteral("mnuShuffle"));
        auto* hardware = form.findChild<QAction*>(QStringLiteral("mnuHardwareDecoding"));
        QVERIFY(shuffle && hardware && !shuffle->isChecked() && !hardware->isChecked());
        shuffle->trigger();
        hardware->trigger();
        searchIn(program, tree);
        QStringList played = {videoTitle(program)};
        for (int i = 0; i < 4; ++i) {
            form.mnuNext_Click();
            played << videoTitle(program);
        }
        QCOMPARE(QSet<QString>(played.begin(), played.end()).size(), 5); // one round: each row once
        form.mnuNextBack_Click();
        QCOMPARE(videoTitle(program), played[3]);
        form.mnuNextBack_Click();
        QCOMPARE(videoTitle(program), played[2]);
        form.mnuNext_Click();
        QCOMPARE(videoTitle(program), played[3]);
        // Hardware decoding reaches the player, which plays on without a GPU.
        MediaPlayer& player = program.app->transport().videoWindow().player();
        QCOMPARE(player.engine()->property("hwdec"), QByteArray("auto-copy-safe"));
        const double at = player.CurrentPosition();
        QVERIFY(waitFor([&] { return player.CurrentPosition() > at + 0.3; }));
        QCOMPARE(program.app->settings().getSetting(QStringLiteral("ZOLT"), QStringLiteral("Extras"), QStringLiteral("Shuffle")),
                 QStringLiteral("1"));
    }

    void mediaKeysDriveTheTransportOrStepThePictures()
    {
        testsupport::MessageRecorder messages;
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"long.mpg", "1.mpg"}, {"long.mpg", "2.mpg"}, {"landscape.jpg", "a.jpg"}, {"square.gif", "b.gif"}});
        searchIn(program, tree);
        MainWindow& form = program.app->mainWindow();
        MediaPlayer& player = program.app->transport().videoWindow().player();
        tap(form.fileList, Qt::Key_MediaNext);
        QCOMPARE(videoTitle(program), QStringLiteral("2.mpg"));
        QVERIFY(testsupport::waitFor([&] { return player.isPlaying(); }));
        tap(&program.app->transport().videoWindow(), Qt::Key_MediaTogglePlayPause); // from the video window too
        QVERIFY(player.isPaused());
        tap(form.fileList, Qt::Key_MediaTogglePlayPause);
        QVERIFY(!player.isPaused());
        tap(form.fileList, Qt::Key_MediaStop);
        QVERIFY(player.isPaused());
        tap(form.fileList, Qt::Key_MediaPlay);
        QVERIFY(!player.isPaused());
        tap(form.fileList, Qt::Key_MediaPlay); // the keyboard's play key toggles
        QVERIFY(player.isPaused());
        tap(form.fileList, Qt::Key_MediaPlay);
        QVERIFY(!player.isPaused());
        tap(form.fileList, Qt::Key_MediaPrevious);
        QCOMPARE(videoTitle(program), QStringLiteral("1.mpg"));

        form.pictureModeOption->setChecked(true);
        searchIn(program, tree);
        PictureWindow& pictures = program.app->pictureWindow();
        QCOMPARE(pictureTitle(program), QStringLiteral("a.jpg"));
        tap(&pictures, Qt::Key_MediaNext);
        QCOMPARE(pictureTitle(program), QStringLiteral("b.gif"));
        tap(&pictures, Qt::Key_MediaPlay); // nothing to play, no message
        tap(form.fileList, Qt::Key_MediaPrevious);
        QCOMPARE(pictureTitle(program), QStringLiteral("a.jpg"));
        QVERIFY(!program.app->transport().loadedVideoWindow());
        QVERIFY(messages.texts.isEmpty());
    }

    void aSingleRowLoops()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"short.wave", "only.wave"}});
        searchIn(program, tree);
        MediaPlayer& player = program.app->transport().videoWindow().player();
        QSignalSpy ends(&player, &MediaPlayer::EndOfStream);
        QVERIFY(waitFor([&] { return ends.count() >= 2; }, 5000));
        QCOMPARE(program.app->mainWindow().fileList->selectedIndex(), 1);
    }

    void emptyListCommandsDoNothing()
    {
        TestProgram program;
        MainWindow& form = program.app->mainWindow();
        form.Command5_Click();
        form.Command8_Click();
        form.mnuNext_Click();
        form.ListView1_Keyup(ListView::kKeySpace);
        program.app->transport().setScanMode(ScanMode::Rewind);
        form.Timer1_Timer();
        QCOMPARE(form.fileList->selectedIndex(), 0);
    }

    void stillPictureModeRefusesTransport()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"landscape.jpg", "a.jpg"}, {"square.gif", "b.gif"}});
        MainWindow& form = program.app->mainWindow();
        form.pictureModeOption->setChecked(true);
        searchIn(program, tree);
        testsupport::MessageRecorder messages;
        for (auto click : {&MainWindow::Command3_Click, &MainWindow::Command4_Click, &MainWindow::Command5_Click,
                           &MainWindow::Command6_Click, &MainWindow::Command7_Click, &MainWindow::Command8_Click})
            (form.*click)();
        form.volumeSlider->setValue(3000);
        QCOMPARE(messages.texts.size(), 7);
        QVERIFY(messages.texts.count(QStringLiteral("静止画モードでは使用できません")) == 7);
        QCOMPARE(form.fileList->selectedIndex(), 1);
        QCOMPARE(form.volumeSlider->value(), 3000);
        QVERIFY(!program.app->transport().loadedVideoWindow()); // showing the picture closed it; the slider did not bring it back
        // Held on the groove, the slider steps on: still one message for the one use.
        messages.texts.clear();
        form.volumeSlider->setValue(1500);
        messages.texts.clear();
        QTest::mousePress(form.volumeSlider, Qt::LeftButton, {}, QPoint(form.volumeSlider->width() - 3, form.volumeSlider->height() / 2));
        QTest::qWait(1200);
        QTest::mouseRelease(form.volumeSlider, Qt::LeftButton, {}, QPoint(form.volumeSlider->width() - 3, form.volumeSlider->height() / 2));
        QCOMPARE(messages.texts.size(), 1);
        // The menu still moves on, and shows the picture reached (no clip).
        form.mnuNext_Click();
        QCOMPARE(form.fileList->selectedIndex(), 2);
        QVERIFY(waitFor([&] { return program.app->pictureWindow().windowTitle() == QStringLiteral("b.gif"); }));
        form.mnuNextBack_Click();
        QVERIFY(waitFor([&] { return program.app->pictureWindow().windowTitle() == QStringLiteral("a.jpg"); }));
        QVERIFY(!program.app->transport().loadedVideoWindow());
        form.mnuPlay_Click();
        QVERIFY(!form.screenSizeMenu->isEnabled());
        form.videoModeOption->setChecked(true);
        form.mnuPlay_Click();
        QVERIFY(form.screenSizeMenu->isEnabled());
    }

    void transportInVideoMode()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"long.mpg", "1.mpg"}, {"long.mpg", "2.mpg"}});
        MainWindow& form = program.app->mainWindow();
        searchIn(program, tree);
        MediaPlayer& player = program.app->transport().videoWindow().player();
        form.volumeSlider->setValue(3000);
        QCOMPARE(player.Volume(), 0);
        form.volumeSlider->setValue(0);
        QCOMPARE(player.Volume(), -3000);

        QVERIFY(player.setCurrentPosition(10));
        form.Command6_Click();
        QCOMPARE(program.app->transport().scanMode(), ScanMode::FastForward);
        program.app->transport().ScanStep();
        QVERIFY(qAbs(player.CurrentPosition() - 11) < 0.3);

        form.Command4_Click(); // stop
        QCOMPARE(program.app->transport().scanMode(), ScanMode::Normal);
        QVERIFY(player.isPaused());
        form.Command6_Click(); // stop, then fast forward: playing fast again
        QVERIFY(!player.isPaused());
        form.Command3_Click();
        QCOMPARE(program.app->transport().scanMode(), ScanMode::Normal);

        // Rewind at 0.5 s: the next tick goes to the previous row, from its end.
        QVERIFY(player.setCurrentPosition(0.5));
        form.Command7_Click();
        QCOMPARE(program.app->transport().scanMode(), ScanMode::Rewind);
        program.app->transport().ScanStep();
        QCOMPARE(form.fileList->selectedIndex(), 2);
        QCOMPARE(videoTitle(program), QStringLiteral("2.mpg"));
        QVERIFY(player.CurrentPosition() > 55);
    }

    void aFolderOrFileDroppedOnTheMainWindowOpens()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"song.mp3", "a.mp3"}, {"song.mp3", "b.mp3"}, {"landscape.jpg", "c.jpg"}});
        MainWindow& form = program.app->mainWindow();
        const auto drop = [&form](const QString& path) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&form, &enter);
            QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&form, &dropped);
            return enter.isAccepted() && dropped.isAccepted();
        };
        QVERIFY(drop(tree.root()));
        QVERIFY(testsupport::waitFor([&] { return form.fileList->count() == 2; }));
        QCOMPARE(form.folderList->path(), tree.root());
        QCOMPARE(videoTitle(program), QStringLiteral("a.mp3"));
        // Offered again by the desktop's file choosers.
        QVERIFY(testsupport::waitFor([&] {
            QFile recent(recentfiles::listPath());
            return recent.open(QIODevice::ReadOnly) && recent.readAll().contains(QUrl::fromLocalFile(tree.root()).toEncoded());
        }));
        // A file: its folder is searched, then it plays (or shows, a picture).
        QVERIFY(drop(tree.path("b.mp3")));
        QVERIFY(testsupport::waitFor([&] { return videoTitle(program) == QStringLiteral("b.mp3"); }));
        QVERIFY(drop(tree.path("c.jpg")));
        QVERIFY(testsupport::waitFor([&] { return program.app->loadedPictureWindow() &&
                                                  program.app->pictureWindow().windowTitle() == QStringLiteral("c.jpg"); }));
        QVERIFY(form.isStillPictureMode());

        // Not local files, or a name cut short by a NUL: refused.
        for (const QString& url : {"file://" + tree.root() + "/a.mp3%00.jpg", "file://elsewhere" + tree.root() + "/a.mp3"}) {
            QMimeData data;
            data.setUrls({QUrl(url)});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&form, &enter);
            QVERIFY2(!enter.isAccepted(), qPrintable(url));
        }
    }

    void pathsFromOutsideThatAreNotFilesOrFoldersGetTheMessage()
    {
        TestProgram program;
        testsupport::MessageRecorder messages;
        TempTree tree;
        QVERIFY(::mkfifo((tree.nativeRoot() + "/pipe.mpg").constData(), 0600) == 0);
        const QString before = program.app->mainWindow().folderList->path();
        // Each is told what is wrong with it.
        const QString pipe = QStringLiteral("フォルダでも通常のファイルでもありません（パイプやデバイスなど）。");
        const QString kernel = QStringLiteral("システムの仮想ファイルシステム（/proc、/sys）は開けません。");
        const QString missing = QStringLiteral("フォルダまたはファイルが見つかりません。");
        const std::pair<QByteArray, QString> cases[] = {{tree.nativeRoot() + "/pipe.mpg", pipe},
                                                        {"/proc", kernel},
                                                        {"/proc/self/status", kernel},
                                                        {tree.nativeRoot() + QByteArray("/a\0b", 4), missing},
                                                        {tree.nativeRoot() + "/gone.mpg", missing}};
        for (const auto& [path, said] : cases) {
            program.app->openFromOutside(path);
            QVERIFY(testsupport::waitFor([&] { return messages.texts.size() == 1; }));
            QCOMPARE(messages.texts.takeFirst().section(u'\n', 0, 0), said);
        }
        QCOMPARE(program.app->mainWindow().folderList->path(), before);
    }

    // Requests of other programs arrive faster than clips open: they are
    // folded, and a path handed over during a search waits for its end.
    void requestsFromOutsideAreFoldedAndWaitForTheSearch()
    {
        TestProgram program;
        TempTree tree, other;
        copyFixtures(tree, {{"song.mp3", "1.mp3"}, {"song.mp3", "2.mp3"}, {"song.mp3", "3.mp3"}});
        copyFixtures(other, {{"song.mp3", "x.mp3"}, {"song.mp3", "y.mp3"}});
        MainWindow& form = program.app->mainWindow();
        searchIn(program, tree);
        RemoteCommands& remote = program.app->remoteCommands();
        int titles = 0;
        connect(program.app->transport().loadedVideoWindow(), &QWidget::windowTitleChanged, [&titles] { ++titles; });
        for (int i = 0; i < 8; ++i) // with the Previous, seven rows on round a list of three: row 2
            remote.press(Qt::Key_MediaNext);
        remote.press(Qt::Key_MediaPrevious);
        remote.press(Qt::Key_MediaPause);
        QVERIFY(waitFor([&] { return form.fileList->selectedIndex() == 2 && titles > 0; }));
        QCOMPARE(titles, 1); // one clip opened for them all
        QVERIFY(program.app->transport().videoWindow().player().isPaused());
        remote.press(Qt::Key_MediaTogglePlayPause);
        remote.press(Qt::Key_MediaTogglePlayPause); // the two cancel out
        remote.press(Qt::Key_MediaStop);
        QVERIFY(waitFor([&] { return program.app->transport().videoWindow().player().isStopped(); }));

        // Handed over while the walk runs: opened once the search is over.
        QTimer::singleShot(0, program.app.get(), [&] { program.app->openFromOutside(other.nativeRoot()); });
        form.mnuSerch_Click();
        QCOMPARE(form.fileList->count(), 3);
        QVERIFY(waitFor([&] { return form.fileList->count() == 2; }));
        QCOMPARE(form.folderList->path(), other.root());
        QCOMPARE(videoTitle(program), QStringLiteral("x.mp3"));

        // A Next asked for right after a path moves in the list it opens.
        TempTree third;
        copyFixtures(third, {{"long.mpg", "p.mpg"}, {"long.mpg", "q.mpg"}});
        QTest::qWait(RemoteCommands::kStepIntervalMs); // a move is due at once
        remote.open(third.nativeRoot());
        remote.press(Qt::Key_MediaNext);
        QVERIFY(waitFor([&] { return form.folderList->path() == third.root() && videoTitle(program) == QStringLiteral("q.mpg"); }));
    }

    void listClicksAndKeys()
    {
        TestProgram program;
        TempTree tree;
        copyFixtures(tree, {{"song.mp3", "1.mp3"}, {"song.mp3", "2.mp3"}, {"song.mp3", "3.mp3"}, {"song.mp3", "b.mp3"}});
        MainWindow& form = program.app->mainWindow();
        searchIn(program, tree);
        ListView& list = *form.fileList;
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(list.selectedIndex(), 2);
        QCOMPARE(videoTitle(program), QStringLiteral("1.mp3")); // the clip playing goes on
        QVERIFY(list.tabStop() == false); // the key went down first
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(videoTitle(program), QStringLiteral("2.mp3"));
        tap(&list, Qt::Key_Muhenkan);
        QCOMPARE(list.selectedIndex(), 1);
        tap(&list, Qt::Key_Muhenkan);
        QCOMPARE(list.selectedIndex(), 4);
        list.select(1);
        tap(&list, Qt::Key_B); // back, like 無変換 (no type-ahead to "b.mp3"); nothing plays
        QCOMPARE(list.selectedIndex(), 4);
        tap(&list, Qt::Key_Backspace);
        QCOMPARE(list.selectedIndex(), 3);
        QCOMPARE(videoTitle(program), QStringLiteral("2.mp3"));
        QTest::keyClick(&list, Qt::Key_Down);
        QVERIFY(list.selectedIndex() != 1);
        QCOMPARE(videoTitle(program), QStringLiteral("2.mp3"));
        const QRect row3 = list.visualRect(list.model()->index(2, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row3.center());
        QCOMPARE(videoTitle(program), QStringLiteral("3.mp3"));

        // Still pictures: the keys show what they select.
        TempTree photos;
        copyFixtures(photos, {{"landscape.jpg", "a.jpg"}, {"square.gif", "b.gif"}});
        form.pictureModeOption->setChecked(true);
        searchIn(program, photos);
        PictureWindow& window = program.app->pictureWindow();
        list.select(2);
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(window.windowTitle(), QStringLiteral("a.jpg"));
        tap(&list, Qt::Key_Muhenkan);
        QCOMPARE(window.windowTitle(), QStringLiteral("b.gif"));
        QTest::keyClick(&list, Qt::Key_Down); // moves the selection only
        QCOMPARE(window.windowTitle(), QStringLiteral("b.gif"));
    }
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
