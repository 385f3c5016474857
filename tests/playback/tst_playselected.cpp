#include "mainwindow/mainwindow.h"
#include "list/listview.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "support/testsupport.h"
#include "viewer/picturewindow.h"

#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <sys/stat.h>

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
        Transport transport(list, {[] { return true; }, [] {}, [] { return QRect(0, 0, 1280, 1024); }, [] {}});
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

    void theLoopPassesOverRowsThatCannotPlayOrFailWhilePlaying()
    {
        // b is refused at once, c is a folder, d opens and then fails.
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("tick.wave"), tree.path("a.wave")));
        QVERIFY(QFile::copy(testsupport::fixture("notes.mpg"), tree.path("b.mpg")));
        tree.add("c.mpg/");
        QVERIFY(QFile::copy(testsupport::fixture("broken.avi"), tree.path("d.avi")));
        QVERIFY(QFile::copy(testsupport::fixture("tick.wave"), tree.path("e.wave")));
        ListView list;
        for (const char* name : {"a.wave", "b.mpg", "c.mpg", "d.avi", "e.wave"})
            list.appendRow(tree.nativeRoot() + '/', name, 1);
        Transport transport(list, {[] { return true; }, [] {}, [] { return QRect(0, 0, 1280, 1024); }, [] {}});
        QVERIFY(transport.PlaySelected());
        QVERIFY(testsupport::waitFor([&] { return list.selectedIndex() == 5; }, 3000));
        QCOMPARE(transport.videoWindow().player().playingEntry(), list.fullPath(5));
        QVERIFY(testsupport::waitFor([&] { return list.selectedIndex() == 1; }, 3000)); // and round again
    }

    // Clips that open and then fail, or rows refused at once: one round,
    // then the loop rests and says so once.
    void aLoopOfClipsThatAllFailRestsAfterOneRoundAndSaysSo()
    {
        ListView list;
        list.appendRow(fixtureFolder(), "broken.avi", 1);
        list.appendRow(fixtureFolder(), "broken.avi", 1);
        int said = 0;
        Transport transport(list, {[] { return true; }, [] {}, [] { return QRect(0, 0, 1280, 1024); }, [] {},
                                   [&said] { ++said; }});
        QVERIFY(transport.playSelectedOrPassOn(Transport::Direction::Forward));
        QSignalSpy failures(&transport.videoWindow().player(), &MediaPlayer::PlaybackFailed);
        QVERIFY(testsupport::waitFor([&] { return failures.count() == 2; }, 3000));
        QVERIFY(testsupport::waitFor([&] { return said == 1; }));
        QCOMPARE(transport.videoWindow().windowTitle(), VideoWindow::kCaption);
        transport.playSelectedOrPassOn(Transport::Direction::Forward); // a second round: said once
        QVERIFY(testsupport::waitFor([&] { return failures.count() == 4; }, 3000));

        list.clearRows();
        list.appendRow(fixtureFolder(), "notes.mpg", 1);
        list.appendRow(fixtureFolder(), "empty.mp3", 1);
        list.select(1);
        transport.newListComing();
        QVERIFY(!transport.playSelectedOrPassOn(Transport::Direction::Forward));
        QVERIFY(testsupport::waitFor([&] { return said == 2; }));
        QTest::qWait(100);
        QCOMPARE(said, 2);
    }

    // Passing on tries each other row once, in the command's direction,
    // and a newer command ends it.
    void passingOnGoesOnceRoundAndANewerCommandEndsIt()
    {
        ListView list;
        for (int i = 0; i < 5; ++i)
            list.appendRow(fixtureFolder(), "notes.mpg", 1);
        int said = 0;
        Transport transport(list, {[] { return true; }, [] {}, [] { return QRect(0, 0, 1280, 1024); }, [] {},
                                   [&said] { ++said; }});
        list.select(2);
        QVERIFY(!transport.playSelectedOrPassOn(Transport::Direction::Forward));
        QVERIFY(testsupport::waitFor([&] { return said == 1; }));
        QCOMPARE(list.selectedIndex(), 1); // rows 3, 4, 5 and 1 tried, and no more
        list.select(2);
        transport.newListComing(); // says so again
        QVERIFY(!transport.playSelectedOrPassOn(Transport::Direction::Backward));
        QVERIFY(testsupport::waitFor([&] { return said == 2; }));
        QCOMPARE(list.selectedIndex(), 3); // rows 1, 5, 4 and 3

        list.clearRows();
        list.appendRow(fixtureFolder(), "long.mpg", 1);
        for (int i = 0; i < 300; ++i)
            list.appendRow(fixtureFolder(), "notes.mpg", 1);
        list.appendRow(fixtureFolder(), "sound.wave", 1);
        list.select(2);
        QVERIFY(!transport.playSelectedOrPassOn(Transport::Direction::Forward));
        list.select(1);
        QVERIFY(transport.playSelectedOrPassOn(Transport::Direction::Forward));
        MediaPlayer& player = transport.videoWindow().player();
        // Half a second of play: far longer than the old pass-on would take.
        QVERIFY(testsupport::waitFor([&] { return player.CurrentPosition() > 0.5; }));
        QCOMPARE(list.selectedIndex(), 1);
    }

    // A clip that fails late passes on in the direction of the command that
    // chose it; an end of stream starts the failures in a row again, so a
    // loop of a good clip and a broken one never rests.
    void lateFailuresPassOnInTheCommandsDirectionAndEndsCountAgain()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("long.mpg"), tree.path("a.mpg")));
        QVERIFY(QFile::copy(testsupport::fixture("broken.avi"), tree.path("b.avi")));
        QVERIFY(QFile::copy(testsupport::fixture("long.mpg"), tree.path("c.mpg")));
        ListView list;
        for (const char* name : {"a.mpg", "b.avi", "c.mpg"})
            list.appendRow(tree.nativeRoot() + '/', name, 1);
        Transport transport(list, {[] { return true; }, [] {}, [] { return QRect(0, 0, 1280, 1024); }, [] {}});
        MediaPlayer& player = transport.videoWindow().player();
        player.setOpenWait(0); // every open answers late
        list.select(2);
        QVERIFY(transport.playSelectedOrPassOn(Transport::Direction::Backward));
        QVERIFY(testsupport::waitFor([&] { return player.playingEntry() == list.fullPath(1); }, 10000));
        QCOMPARE(list.selectedIndex(), 1);

        list.clearRows();
        for (const char* name : {"tick.wave", "broken.avi"})
            list.appendRow(fixtureFolder(), name, 1);
        list.select(1);
        QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
        QSignalSpy followed(&player, &MediaPlayer::FollowedOn);
        QSignalSpy failed(&player, &MediaPlayer::PlaybackFailed);
        QVERIFY(transport.playSelectedOrPassOn(Transport::Direction::Forward));
        QVERIFY(testsupport::waitFor([&] { return ended.count() + followed.count() >= 3 && failed.count() >= 3; }, 10000));
    }

    // A clip that ends goes on to the next row the player was given ahead:
    // in order, and shuffled with Previous going back through the rows
    // played. A row selected meanwhile still decides what comes next, and
    // a row swapped for a pipe after it was given is passed over.
    void aClipGoesOnToTheRowGivenAhead()
    {
        testsupport::TempTree tree;
        const QList<QByteArray> names{"1.wave", "2.wave", "3.wave", "4.wave"};
        ListView list;
        for (const QByteArray& name : names) {
            QVERIFY(QFile::copy(testsupport::fixture("tick.wave"), tree.path(QString::fromUtf8(name))));
            list.appendRow(tree.nativeRoot() + '/', name, 1);
        }
        Transport transport(list, {[] { return true; }, [] {}, [] { return QRect(0, 0, 1280, 1024); }, [] {}});
        MediaPlayer& player = transport.videoWindow().player();
        QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
        QSignalSpy followed(&player, &MediaPlayer::FollowedOn);
        const auto plays = [&](int row) { return list.selectedIndex() == row && player.playingEntry() == list.fullPath(row); };
        list.select(1);
        QVERIFY(transport.PlaySelected());
        QVERIFY(testsupport::waitFor([&] { return plays(3); }, 3000));
        QCOMPARE(transport.videoWindow().windowTitle(), QStringLiteral("3.wave"));
        QCOMPARE(ended.count(), 0);
        QCOMPARE(followed.count(), 2);

        list.select(1); // while 3 plays
        QVERIFY(testsupport::waitFor([&] { return plays(2); }, 3000));

        transport.setShuffle(true);
        QList<int> played{2};
        for (int change = 0; change < 5; ++change) {
            QVERIFY(testsupport::waitFor([&] { return followed.count() > 2 + change; }, 3000));
            QVERIFY(plays(list.selectedIndex()));
            played << list.selectedIndex();
        }
        // A round from 2: the three other rows first.
        QCOMPARE(QSet<int>(played.begin() + 1, played.begin() + 4), (QSet<int>{1, 3, 4}));
        transport.setShuffle(false); // nothing follows the row now selected...
        transport.setShuffle(true);  // ...and the same row again
        for (int back = played.size() - 2; back >= 0; --back) {
            transport.selectPreviousRow();
            QCOMPARE(list.selectedIndex(), played[back]);
        }

        transport.setShuffle(false);
        list.select(1);
        QVERIFY(transport.PlaySelected());
        QVERIFY(QFile::remove(tree.path("2.wave")));
        QCOMPARE(::mkfifo(tree.path("2.wave").toUtf8().constData(), 0600), 0);
        QVERIFY(testsupport::waitFor([&] { return plays(3); }, 3000));
    }

    void filesStillOpeningWhenTheWaitEndsPlayLater()
    {
        // Every open outlasts the player's wait: the loop goes on all the
        // same, a late refusal passes on, and rewinding starts late clips
        // at their end.
        testsupport::TempTree tree;
        for (const char* name : {"1.wave", "2.wave", "4.wave"})
            QVERIFY(QFile::copy(testsupport::fixture("tick.wave"), tree.path(QLatin1String(name))));
        QVERIFY(QFile::copy(testsupport::fixture("notes.mpg"), tree.path("3.mpg")));
        ListView list;
        for (const char* name : {"1.wave", "2.wave", "3.mpg", "4.wave"})
            list.appendRow(tree.nativeRoot() + '/', name, 1);
        Transport transport(list, {[] { return true; }, [] {}, [] { return QRect(0, 0, 1280, 1024); }, [] {}});
        MediaPlayer& player = transport.videoWindow().player();
        player.setOpenWait(0);
        QVERIFY(transport.PlaySelected());
        QVERIFY(player.isOpening());
        QVERIFY(testsupport::waitFor([&] { return list.selectedIndex() == 4 && player.CurrentPosition() > 0; }, 3000));
        QVERIFY(testsupport::waitFor([&] { return list.selectedIndex() == 1; }, 3000));

        list.clearRows();
        list.appendRow(fixtureFolder(), "long.mpg", 1);
        list.select(1);
        transport.setScanMode(ScanMode::Rewind);
        QVERIFY(transport.PlaySelected());
        QVERIFY(testsupport::waitFor([&] { return player.CurrentPosition() > 58; }, 3000));
    }

    void aRowThatCannotPlayPassesOnInTheDirectionOfTheCommand()
    {
        TestProgram program;
        MainWindow& main = program.app->mainWindow();
        VideoWindow& video = program.app->transport().videoWindow();
        testsupport::fillRows(*program.app, {"clip.mpg", "notes.mpg", "empty.mp3", "sound.wave"});
        main.fileList->select(2);
        main.ListView1_Click();
        QVERIFY(testsupport::waitFor([&] { return video.windowTitle() == QStringLiteral("sound.wave"); }));
        QCOMPARE(main.fileList->selectedIndex(), 4);
        main.mnuNextBack_Click();
        QVERIFY(testsupport::waitFor([&] { return video.windowTitle() == QStringLiteral("clip.mpg"); }));
        QCOMPARE(main.fileList->selectedIndex(), 1);

        // Nothing plays: the caption names no clip.
        testsupport::fillRows(*program.app, {"notes.mpg", "empty.mp3"});
        main.fileList->select(1);
        main.ListView1_Click();
        QCOMPARE(video.windowTitle(), VideoWindow::kCaption);
        QVERIFY(!video.player().hasClip());

        // Many rows that cannot play are passed one at each turn of the
        // event loop, so the window answers meanwhile.
        QList<QByteArray> rows(300, "notes.mpg");
        rows << "sound.wave";
        testsupport::fillRows(*program.app, rows);
        main.fileList->select(1);
        main.ListView1_Click();
        QCOMPARE(main.fileList->selectedIndex(), 1);
        QVERIFY(testsupport::waitFor([&] { return video.windowTitle() == QStringLiteral("sound.wave"); }, 30000));
    }

    void rewindingAnMpegStreamStepsBackASecondATick()
    {
        // Ten ticks of one second back each, while one second plays: about
        // eight seconds back (seeks that land late gave four or five).
        ListView list;
        list.appendRow(fixtureFolder(), "long.mpg", 1);
        Transport transport(list, {[] { return true; }, [] {}, [] { return QRect(0, 0, 1280, 1024); }, [] {}});
        QVERIFY(transport.PlaySelected());
        MediaPlayer& player = transport.videoWindow().player();
        QVERIFY(testsupport::waitFor([&] { return player.setCurrentPosition(30); })); // once it has opened, however busy the machine
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
