#include "app/mainwindow.h"
#include "list/listview.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "support/testsupport.h"
#include "viewer/picturewindow.h"

#include <QRadioButton>
#include <QTest>
#include <QThread>

using testsupport::TestProgram;

using testsupport::fixtureFolder;

class PlaySelectedTest : public QObject {
    Q_OBJECT
private slots:
    void playsTheSelectedRowWithItsNameAsCaption()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"song.mp3", "clip.mpg"});
        program.app->mainWindow().fileList->select(2);
        program.app->transport().PlaySelected();
        VideoWindow& video = program.app->transport().videoWindow();
        QCOMPARE(video.windowTitle(), QStringLiteral("clip.mpg"));
        QCOMPARE(video.player().fileName(), fixtureFolder() + "clip.mpg");
        QVERIFY(testsupport::waitFor([&] { return video.player().CurrentPosition() > 0.1; }));
    }

    void nextPressedAsAClipEndsPlaysTheSelectedRow()
    {
        // The clip's own end and the user's Next race; whichever comes
        // first, Next from row 1 plays row 2: the end of row 1 never moves
        // on from the clip that replaced it.
        testsupport::TempTree tree;
        for (const char* name : {"1.wave", "2.wave", "3.wave", "4.wave"})
            QVERIFY(QFile::copy(testsupport::fixture("tick.wave"), tree.path(QLatin1String(name))));
        ListView list;
        for (const char* name : {"1.wave", "2.wave", "3.wave", "4.wave"})
            list.appendRow(tree.nativeRoot() + '/', name, 1);
        Transport transport(list, {[] { return true; }, [] {}, [] { return 0.0; }, [] {}});
        const int tries = qEnvironmentVariableIntValue("DVZ_RACE_TRIES") > 0 ? qEnvironmentVariableIntValue("DVZ_RACE_TRIES") : 25;
        for (int i = 0; i < tries; ++i) {
            list.select(1);
            transport.PlaySelected();
            MediaPlayer& player = transport.videoWindow().player();
            // The clip lasts 300 ms. Without events running, as while a
            // command runs, so the clip's end may wait in the player's queue.
            QTest::qWait(100);
            QThread::msleep(480 * i / tries); // offsets spread across the end
            player.Play();
            SelectNextRow(list);
            transport.PlaySelected();
            QTest::qWait(60);
            QCOMPARE(list.selectedIndex(), 2);
            QCOMPARE(player.playingEntry(), list.fullPath(2));
        }
    }

    void theLoopPassesOverRowsThatCannotPlay()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("tick.wave"), tree.path("a.wave")));
        QVERIFY(QFile::copy(testsupport::fixture("tick.wave"), tree.path("d.wave")));
        QVERIFY(QFile::copy(testsupport::fixture("notes.mpg"), tree.path("b.mpg")));
        tree.add("c.mpg/");
        ListView list;
        for (const char* name : {"a.wave", "b.mpg", "c.mpg", "d.wave"})
            list.appendRow(tree.nativeRoot() + '/', name, 1);
        Transport transport(list, {[] { return true; }, [] {}, [] { return 0.0; }, [] {}});
        QVERIFY(transport.PlaySelected());
        QVERIFY(testsupport::waitFor([&] { return list.selectedIndex() == 4; }, 3000));
        QCOMPARE(transport.videoWindow().player().playingEntry(), list.fullPath(4));
        QVERIFY(testsupport::waitFor([&] { return list.selectedIndex() == 1; }, 3000)); // and round again
    }

    void rewindingAnMpegStreamStepsBackASecondATick()
    {
        // Ten ticks of one second back each, while one second plays: about
        // eight seconds back (seeks that land late gave four or five).
        ListView list;
        list.appendRow(fixtureFolder(), "long.mpg", 1);
        Transport transport(list, {[] { return true; }, [] {}, [] { return 0.0; }, [] {}});
        QVERIFY(transport.PlaySelected());
        MediaPlayer& player = transport.videoWindow().player();
        QVERIFY(player.setCurrentPosition(30));
        QTest::qWait(400);
        const double start = player.CurrentPosition();
        transport.setScanMode(ScanMode::Rewind);
        for (int i = 0; i < 10; ++i) {
            transport.ScanStep();
            QTest::qWait(200);
        }
        transport.setScanMode(ScanMode::Normal);
        QTest::qWait(300);
        const double moved = start - player.CurrentPosition();
        QVERIFY2(moved > 6.5 && moved < 10, qPrintable(QString::number(moved)));
    }

    void aRefusedFileKeepsTheCaption()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"clip.mpg", "notes.mpg"});
        program.app->transport().PlaySelected();
        program.app->mainWindow().fileList->select(2);
        program.app->transport().PlaySelected();
        QCOMPARE(program.app->transport().videoWindow().windowTitle(), QStringLiteral("clip.mpg"));
    }

    void noSelectedRowDoesNothing()
    {
        TestProgram program;
        program.app->transport().PlaySelected();
        QCOMPARE(program.app->transport().videoWindow().windowTitle(), QStringLiteral("_"));
    }

    void videoModeClosesThePictureWindow()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"clip.mpg"});
        program.app->pictureWindow().show();
        program.app->transport().PlaySelected();
        QVERIFY(!program.app->loadedPictureWindow());

        program.app->mainWindow().pictureModeOption->setChecked(true);
        program.app->pictureWindow();
        program.app->transport().PlaySelected();
        QVERIFY(program.app->loadedPictureWindow()); // still-picture mode leaves it alone
    }

    void rewindingStartsTheClipAtItsEnd()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"long.mpg"});
        program.app->transport().videoWindow().show(); // the clip has a picture and no sound
        QVERIFY(QTest::qWaitForWindowExposed(&program.app->transport().videoWindow()));
        program.app->transport().setScanMode(ScanMode::Rewind);
        program.app->transport().PlaySelected();
        const double position = program.app->transport().videoWindow().player().CurrentPosition();
        QVERIFY2(position > 58 && position < 60, qPrintable(QString::number(position)));
    }

    void aClosedVideoWindowComesBackHiddenAndPlays()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"sound.wave"});
        program.app->transport().closeVideoWindow();
        QVERIFY(!program.app->transport().loadedVideoWindow());
        program.app->transport().PlaySelected();
        VideoWindow* video = program.app->transport().loadedVideoWindow();
        QVERIFY(video);
        QVERIFY(!video->isVisible());
        QVERIFY(testsupport::waitFor([&] { return video->player().CurrentPosition() > 0.1; }));
    }

    void aNameThatIsNotUtf8Plays()
    {
        TestProgram program;
        testsupport::TempTree tree;
        const QByteArray name("\x8b\xc8.mpg");
        QVERIFY(QFile::copy(testsupport::fixture("clip.mpg"), QFile::decodeName(tree.nativeRoot() + "/plain.mpg")));
        QVERIFY(::rename((tree.nativeRoot() + "/plain.mpg").constData(), (tree.nativeRoot() + '/' + name).constData()) == 0);
        testsupport::fillRows(*program.app, {name}, tree.nativeRoot() + '/');
        program.app->transport().PlaySelected();
        QCOMPARE(program.app->transport().videoWindow().windowTitle(), QStringLiteral("曲.mpg"));
        QCOMPARE(program.app->transport().videoWindow().player().fileName(), tree.nativeRoot() + '/' + name);
    }
};

QTEST_MAIN(PlaySelectedTest)
#include "tst_playselected.moc"
