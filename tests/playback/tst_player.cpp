#include "playback/mediaplayer.h"
#include "playback/videosurface.h"
#include "playback/videowindow.h"
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTcpServer>
#include <QSignalSpy>
#include <QTest>
#include <sys/stat.h>

using testsupport::fixture;

namespace {
QByteArray clip(const char* name)
{
    return QFile::encodeName(fixture(QLatin1String(name)));
}
} // namespace

class PlayerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        window = new VideoWindow();
        window->Form_Load([] { return QRect(0, 0, 1280, 1024); });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->player().ensureEngine());
    }
    void cleanupTestCase() { delete window; }

    void refusesWhatCannotPlay_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("missing") << clip("no-such-clip.mpg");
        QTest::newRow("zero bytes") << clip("empty.mp3");
        QTest::newRow("folder") << QFile::encodeName(qEnvironmentVariable("DVZ_FIXTURES"));
        QTest::newRow("text") << clip("notes.mpg");
    }
    void refusesWhatCannotPlay()
    {
        QFETCH(QByteArray, path);
        MediaPlayer& player = window->player();
        QSignalSpy ends(&player, &MediaPlayer::EndOfStream);
        QString error;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!player.setFileName(path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(clock.elapsed() < 3000);
        QTest::qWait(300);
        QCOMPARE(ends.count(), 0); // a broken file never ends "naturally"
    }

    void durationIsKnownAtOnceAndPositionsAreChecked()
    {
        MediaPlayer& player = window->player();
        QVERIFY(player.setFileName(clip("long.mpg")));
        QVERIFY(qAbs(player.Duration() - 60.0) < 0.2);
        QVERIFY(!player.setCurrentPosition(-0.5));
        QVERIFY(player.setCurrentPosition(10));
        QTest::qWait(100);
        QVERIFY(player.CurrentPosition() >= 9.9);
        player.Stop();
        QVERIFY(testsupport::waitFor([&] { return player.CurrentPosition() < 0.5; }, 2000));
    }

    void endOfStreamFiresOnceAtTheEnd()
    {
        MediaPlayer& player = window->player();
        QSignalSpy ends(&player, &MediaPlayer::EndOfStream);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(player.setFileName(clip("short.wave")));
        player.Play();
        QVERIFY(ends.wait(3000));
        const qint64 played = clock.elapsed();
        QVERIFY2(played > 350 && played < 1500, qPrintable(QString::number(played)));
        QTest::qWait(300);
        QCOMPARE(ends.count(), 1);
    }

    void positionPastTheEndEndsTheClip()
    {
        MediaPlayer& player = window->player();
        QSignalSpy ends(&player, &MediaPlayer::EndOfStream);
        QVERIFY(player.setFileName(clip("clip.mpg")));
        player.setCurrentPosition(player.Duration() + 1);
        QVERIFY(ends.wait(3000));
    }

    void volumeMapsHundredthsOfADecibel()
    {
        QCOMPARE(MediaPlayer::mpvVolume(0), 100.0);
        QVERIFY(qAbs(MediaPlayer::mpvVolume(-1500) - 56.23) < 0.01);
        QVERIFY(qAbs(MediaPlayer::mpvVolume(-3000) - 31.62) < 0.01);
        window->player().setVolume(-3000);
        QCOMPARE(window->player().Volume(), -3000);
    }

    void everyListedTypePlays_data()
    {
        QTest::addColumn<QByteArray>("path");
        for (const char* name : {"clip.avi", "clip.mpg", "clip.mpeg", "clip.dat", "clip.mov", "clip.qt", "song.mp3",
                                 "sound.wave", "clip.rm", "sound.ra", "list.ram",
                                 // and the other formats
                                 "clip.mp4", "clip.m4v", "clip.mkv", "clip.webm", "sound.wav", "sound.flac",
                                 "sound.ogg", "sound.opus", "sound.m4a"})
            QTest::newRow(name) << clip(name);
    }
    void everyListedTypePlays()
    {
        QFETCH(QByteArray, path);
        MediaPlayer& player = window->player();
        QSignalSpy ends(&player, &MediaPlayer::EndOfStream);
        QVERIFY(player.setFileName(path));
        player.Play();
        // RealAudio 1.0 carries no time stamps: it shows as played to its end.
        if (path.endsWith(".ra"))
            QVERIFY(ends.wait(4000));
        else
            QVERIFY(testsupport::waitFor([&] { return player.CurrentPosition() > 0.1; }, 3000));
    }

    // Once no sound device took a clip, the later ones are opened with the
    // null output given to the open itself.
    void laterClipsOpenWithTheNullOutput()
    {
        MediaPlayer& player = window->player();
        QVERIFY(player.setFileName(clip("clip.mpg")));
        QVERIFY(testsupport::waitFor([&] { return !player.engine()->property("current-ao").isEmpty(); }, 3000));
        if (player.engine()->property("current-ao") != "null")
            QSKIP("a sound device plays here");
        QVERIFY(player.setFileName(clip("song.mp3")));
        QVERIFY(testsupport::waitFor([&] { return player.CurrentPosition() > 0.1; }, 3000));
        QCOMPARE(player.engine()->property("current-ao"), QByteArray("null"));
    }

    void aRamPlaysEveryEntryThatPlaysInOrder_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArrayList>("played");
        QTest::newRow("three") << QByteArray("a.wave\nb.wave\nc.wave") << QByteArrayList{"a.wave", "b.wave", "c.wave"};
        QTest::newRow("middle missing") << QByteArray("a.wave\nmissing.wave\nc.wave") << QByteArrayList{"a.wave", "c.wave"};
        QTest::newRow("first missing") << QByteArray("missing.wave\nnotes.mpg\nb.wave") << QByteArrayList{"b.wave"};
        QTest::newRow("none plays") << QByteArray("missing.wave\nnotes.mpg\nhttp://127.0.0.1:9/a.rm") << QByteArrayList{};
    }
    void aRamPlaysEveryEntryThatPlaysInOrder()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArrayList, played);
        testsupport::TempTree tree;
        for (const char* name : {"a.wave", "b.wave", "c.wave"})
            QVERIFY(QFile::copy(fixture("tick.wave"), tree.path(QLatin1String(name))));
        QVERIFY(QFile::copy(fixture("notes.mpg"), tree.path("notes.mpg")));
        const QByteArray ram = tree.nativeRoot() + "/list.ram";
        QFile file(QFile::decodeName(ram));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lines);
        file.close();

        MediaPlayer& player = window->player();
        QSignalSpy ends(&player, &MediaPlayer::EndOfStream);
        QCOMPARE(player.setFileName(ram), !played.isEmpty());
        QByteArrayList seen;
        QElapsedTimer clock;
        clock.start();
        while (!played.isEmpty() && ends.isEmpty() && clock.elapsed() < 5000) {
            const QByteArray now = player.playingEntry().mid(tree.nativeRoot().size() + 1);
            if (seen.isEmpty() || seen.last() != now)
                seen << now;
            QTest::qWait(5);
        }
        QCOMPARE(seen, played);
        QTest::qWait(200);
        QCOMPARE(ends.count(), played.isEmpty() ? 0 : 1);
    }

    void hostileFilesNeverReachTheNetworkOrBlock()
    {
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&listener, &QTcpServer::newConnection, [&] {
            ++connections;
            delete listener.nextPendingConnection();
        });
        const QByteArray url = "http://127.0.0.1:" + QByteArray::number(listener.serverPort());
        testsupport::TempTree tree;
        const QList<std::pair<QByteArray, QByteArray>> files = {
            {"m3u.avi", "#EXTM3U\n" + url + "/a.mp3\n"},
            {"pls.mpg", "[playlist]\nFile1=" + url + "/b.mp3\nNumberOfEntries=1\n"},
            {"edl.mpg", "# mpv EDL v0\n" + url + "/c.mp3,0,5\n"},
            {"hls.mp3", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n" + url + "/d.ts\n#EXT-X-ENDLIST\n"},
            {"sdp.mov", "v=0\no=- 0 0 IN IP4 127.0.0.1\ns=x\nc=IN IP4 127.0.0.1\nt=0 0\nm=audio " +
                            QByteArray::number(listener.serverPort()) + " RTP/AVP 0\n"},
            {"net.ram", url + "/e.rm\n"},
        };
        for (const auto& [name, text] : files) {
            QFile file(tree.path(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        QVERIFY(::mkfifo((tree.nativeRoot() + "/pipe.mpg").constData(), 0600) == 0);
        MediaPlayer& player = window->player();
        for (const QByteArray name : {"m3u.avi", "pls.mpg", "edl.mpg", "hls.mp3", "sdp.mov", "net.ram", "pipe.mpg"}) {
            QElapsedTimer clock;
            clock.start();
            QVERIFY2(!player.setFileName(tree.nativeRoot() + '/' + name), name.constData());
            QVERIFY2(clock.elapsed() < 1000, name.constData());
        }
        QTest::qWait(300);
        QCOMPARE(connections, 0);
    }

    void aHiddenWindowPlaysClipsWithoutSoundToTheirEnd()
    {
        VideoWindow hidden;
        QSignalSpy ends(&hidden.player(), &MediaPlayer::EndOfStream);
        QVERIFY(hidden.player().setFileName(clip("silent.mpg")));
        QVERIFY(ends.wait(4000));
        QVERIFY(!hidden.isVisible());
    }

    void showsTheClipsPicture()
    {
        MediaPlayer& player = window->player();
        QVERIFY(player.setFileName(clip("long.mpg")));
        player.setCurrentPosition(5);
        QTest::qWait(500);
        const QString shot = QDir::current().filePath(QStringLiteral("video-window.png"));
        testsupport::run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), shot});
        const QImage screen(shot);
        QVERIFY(!screen.isNull());
        // testsrc draws coloured bars: the centre of the picture is not black.
        const QPoint centre = window->mapToGlobal(player.geometry().center() - QPoint(0, 20));
        const QColor colour = screen.pixelColor(centre);
        QVERIFY2(colour.red() + colour.green() + colour.blue() > 60, qPrintable(colour.name()));
    }

    // A paused clip's picture follows the window's size: made smaller, the
    // window is not exposed again, yet the picture is drawn anew.
    void aPausedPictureIsDrawnAgainAtEachNewSize()
    {
        MediaPlayer& player = window->player();
        QVERIFY(player.setFileName(clip("long.mpg")));
        player.Pause();
        auto* surface = window->findChild<VideoSurface*>();
        QVERIFY(surface);
        QSignalSpy shown(surface, &VideoSurface::frameShown);
        QTest::qWait(300);
        const QSize before = window->size();
        for (const QSize size : {before - QSize(120, 90), before}) {
            shown.clear();
            window->resize(size);
            QVERIFY(shown.wait(2000));
            QVERIFY(!shown.last().at(0).toBool()); // the same picture again
        }
    }

    // A double click changes full screen only: the clip plays, or stays
    // paused, as before it, even when its last release never comes.
    void aDoubleClickChangesFullScreenOnly()
    {
        MediaPlayer& player = window->player();
        window->allowFullScreen();
        QVERIFY(player.setFileName(clip("long.mpg")));
        QVERIFY(testsupport::waitFor([&] { return player.isPlaying(); }));
        QWidget* surface = window->findChild<VideoSurface*>();
        QVERIFY(surface);
        const QPoint at = surface->rect().center();
        const auto doubleClick = [&](bool lastRelease) {
            QTest::mousePress(surface, Qt::LeftButton, {}, at);
            QTest::mouseRelease(surface, Qt::LeftButton, {}, at);
            QMouseEvent second(QEvent::MouseButtonDblClick, at, surface->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
            QApplication::sendEvent(surface, &second);
            if (lastRelease)
                QTest::mouseRelease(surface, Qt::LeftButton, {}, at);
        };
        doubleClick(false);
        QVERIFY(testsupport::waitFor([&] { return window->isFullScreen(); }));
        QVERIFY(!player.isPaused());
        QTest::mouseClick(surface, Qt::LeftButton, {}, at); // a click after it pauses
        QVERIFY(player.isPaused());
        doubleClick(true);
        QVERIFY(testsupport::waitFor([&] { return !window->isFullScreen(); }));
        QVERIFY(player.isPaused());
    }

private:
    VideoWindow* window = nullptr;
};

QTEST_MAIN(PlayerTest)
#include "tst_player.moc"
