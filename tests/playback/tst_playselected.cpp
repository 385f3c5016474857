#include "app/mainwindow.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "list/listview.h"
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
        program.app->mainWindow().fileList->select(2);
        program.app->transport().PlaySelected();
        VideoWindow& video = program.app->transport().videoWindow();
        QCOMPARE(video.windowTitle(), QStringLiteral("clip.mpg"));
        QCOMPARE(video.player().fileName(), fixtureFolder() + "clip.mpg");
        QVERIFY(testsupport::waitFor([&] { return video.player().CurrentPosition() > 0.1; }));
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
