#include "app/mainwindow.h"
#include "playback/mediaplayer.h"
#include "playback/playcommands.h"
#include "playback/videowindow.h"
#include "search/listview.h"
#include "support/testsupport.h"
#include "viewer/picturewindow.h"

#include <QRadioButton>
#include <QTest>

using testsupport::TestProgram;

using testsupport::fixtureFolder;

class PlaySelectedTest : public QObject {
    Q_OBJECT
private slots:
    void playsTheSelectedRowWithItsNameAsCaption()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"song.mp3", "clip.mpg"});
        program.app->form1().ListView1->select(2);
        program.app->PlaySelected();
        VideoWindow& video = program.app->form2();
        QCOMPARE(video.windowTitle(), QStringLiteral("clip.mpg"));
        QCOMPARE(video.player().fileName(), fixtureFolder() + "clip.mpg");
        QVERIFY(testsupport::waitFor([&] { return video.player().CurrentPosition() > 0.1; }));
    }

    void aRefusedFileKeepsTheCaption()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"clip.mpg", "notes.mpg"});
        program.app->PlaySelected();
        program.app->form1().ListView1->select(2);
        program.app->PlaySelected();
        QCOMPARE(program.app->form2().windowTitle(), QStringLiteral("clip.mpg"));
    }

    void noSelectedRowDoesNothing()
    {
        TestProgram program;
        program.app->PlaySelected();
        QCOMPARE(program.app->form2().windowTitle(), QStringLiteral("_"));
    }

    void videoModeClosesThePictureWindow()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"clip.mpg"});
        program.app->form4().show();
        program.app->PlaySelected();
        QVERIFY(!program.app->form4IfLoaded());

        program.app->form1().Option2->setChecked(true);
        program.app->form4();
        program.app->PlaySelected();
        QVERIFY(program.app->form4IfLoaded()); // still-picture mode leaves it alone
    }

    void rewindingStartsTheClipAtItsEnd()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"long.mpg"});
        program.app->form2().show(); // the clip has a picture and no sound
        QVERIFY(QTest::qWaitForWindowExposed(&program.app->form2()));
        program.app->ScanMode = kScanRewind;
        program.app->PlaySelected();
        const double position = program.app->form2().player().CurrentPosition();
        QVERIFY2(position > 58 && position < 60, qPrintable(QString::number(position)));
    }

    void aClosedVideoWindowComesBackHiddenAndPlays()
    {
        TestProgram program;
        testsupport::fillRows(*program.app, {"sound.wave"});
        program.app->closeVideoWindow();
        QVERIFY(!program.app->form2IfLoaded());
        program.app->PlaySelected();
        VideoWindow* video = program.app->form2IfLoaded();
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
        program.app->PlaySelected();
        QCOMPARE(program.app->form2().windowTitle(), QStringLiteral("曲.mpg"));
        QCOMPARE(program.app->form2().player().fileName(), tree.nativeRoot() + '/' + name);
    }
};

QTEST_MAIN(PlaySelectedTest)
#include "tst_playselected.moc"
