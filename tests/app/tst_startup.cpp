#include "app/commandline.h"
#include "mainwindow/mainwindow.h"
#include "list/listview.h"
#include "mainwindow/picturebutton.h"
#include "platform/nativename.h"
#include "playback/mediaplayer.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <sys/stat.h>

using testsupport::TestProgram;

namespace {

// A program that records its settings writes from the first one on.
struct RecordingProgram {
    explicit RecordingProgram(MountSource mounts, const QList<QStringList>& stored = {})
        : program(std::move(mounts), false)
    {
        testsupport::writeSettings(program.config.path(), stored);
        storedFile = fileId(program.settingsFile());
        recorder = std::make_unique<testsupport::WriteRecorder>(program.app->settings());
        program.app->start();
    }
    QString setting(const QString& key)
    {
        return program.app->settings().getSetting("ZOLT", "Option", key, "(NO DATA)");
    }
    const std::vector<testsupport::WriteRecorder::Write>& writes() const { return recorder->writes; }
    // Identifies the settings file's content: every rewrite replaces it.
    static std::pair<quint64, qint64> fileId(const QString& path)
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return {st.st_ino, st.st_mtim.tv_nsec};
    }
    std::pair<quint64, qint64> storedFile;
    TestProgram program;
    std::unique_ptr<testsupport::WriteRecorder> recorder;
};

MountSource volumes(std::vector<MountEntry> extra)
{
    extra.insert(extra.begin(), MountEntry{"/", "/dev/sda1", "ext4", {}});
    return [extra] { return extra; };
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void commandLineOptionsEndAtDoubleDash()
    {
        const auto parse = [](QList<QByteArray> arguments) {
            arguments.prepend("duvavazoruzevaz");
            std::vector<char*> argv;
            for (QByteArray& argument : arguments)
                argv.push_back(argument.data());
            return parseCommandLine(int(argv.size()), argv.data());
        };
        QCOMPARE(parse({"--", "-x.mpg"}).target, QFile::encodeName(QDir::currentPath()) + "/-x.mpg");
        QCOMPARE(parse({"--", "--help"}).action, CommandLine::Action::Run);
        QCOMPARE(parse({"-x.mpg"}).action, CommandLine::Action::Fail);
        QCOMPARE(parse({"/a", "--", "/b"}).action, CommandLine::Action::Fail);
        QCOMPARE(parse({"/a", "--version"}).action, CommandLine::Action::PrintAndExit);
    }

    void restoresTheDisplayMode_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("video");
        QTest::newRow("no value") << QString() << true;
        QTest::newRow("OP1") << "OP1" << true;
        QTest::newRow("OP2") << "OP2" << false;
        QTest::newRow("op1") << "op1" << false;
        QTest::newRow("OP1 and a space") << "OP1 " << false;
        QTest::newRow("empty text") << "" << false;
    }
    void restoresTheDisplayMode()
    {
        QFETCH(QString, stored);
        QFETCH(bool, video);
        TestProgram program({}, false);
        if (!stored.isNull())
            testsupport::writeSettings(program.config.path(), {{"Option", "OP", stored}});
        program.app->start();
        QCOMPARE(program.app->mainWindow().videoModeOption->isChecked(), video);
        QCOMPARE(program.app->mainWindow().pictureModeOption->isChecked(), !video);
    }

    void loadBuildsColumnsSliderAndHiddenVideoWindow()
    {
        testsupport::MessageRecorder messages;
        TestProgram program({}, false);
        testsupport::writeSettings(program.config.path(), {{"Option", "OP", "OP2"}});
        program.app->start();
        MainWindow& form = program.app->mainWindow();
        QCOMPARE(form.pos(), QPoint(0, 0));
        QCOMPARE(form.windowTitle(), QStringLiteral("DuvavazorUzevaz"));
        QCOMPARE(QDir::currentPath(), QCoreApplication::applicationDirPath());
        QCOMPARE(form.helpFile(), QStringLiteral("ruzedir.hlp"));
        QHeaderView* header = form.fileList->header();
        QCOMPARE(header->count(), 3);
        const QStringList titles = {"ファイル名", "サイズ", "フォルダ"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(form.fileList->model()->headerData(i, Qt::Horizontal).toString(), titles[i]);
            QCOMPARE(header->sectionSize(i), twips::toPixels(827));
        }
        QCOMPARE(form.volumeSlider->maximum(), 3000);
        QCOMPARE(form.volumeSlider->minimum(), 0);
        QCOMPARE(form.volumeSlider->value(), 1500);
        // The volume was set before the still-picture mode was restored.
        QVERIFY(messages.texts.isEmpty());
        VideoWindow* video = program.app->transport().loadedVideoWindow();
        QVERIFY(video);
        QVERIFY(!video->isVisible());
        QCOMPARE(video->player().Volume(), -1500);
        QCOMPARE(video->pos().x(), form.frameGeometry().width());
    }

    // The window icon is drawn at build time: showing it loads no image
    // format plugin (reading any image loads them all, the SVG renderer,
    // TIFF and WebP libraries among them).
    void theWindowIconComesWithoutImagePlugins()
    {
        testsupport::ProgramProcess program;
        QVERIFY(program.start());
        const QString window = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!window.isEmpty());
        QVERIFY(testsupport::waitFor([&] {
            const QString icon = testsupport::run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_ICON")});
            return icon.contains(QStringLiteral("(16 x 16)")) && icon.contains(QStringLiteral("(128 x 128)"));
        }));
        QFile maps(QStringLiteral("/proc/%1/maps").arg(program.process().processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("plugins/imageformats"));
    }

    // The player's library is loaded when a video-mode search is in sight,
    // so the first clip does not wait for it; an idle window stays lean.
    void thePlayerIsLoadedWhenASearchIsInSight()
    {
        TestProgram program({}, true, true);
        MainWindow& form = program.app->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        MediaPlayer& player = program.app->transport().videoWindow().player();
        const auto pointAt = [](QWidget* widget) { QCursor::setPos(widget->mapToGlobal(widget->rect().center())); };
        form.pictureModeOption->setChecked(true);
        pointAt(form.searchButton);
        form.fileMenu->popup(form.mapToGlobal(QPoint(0, 0)));
        QTest::qWait(500);
        form.fileMenu->hide();
        QVERIFY(!player.engine());

        form.videoModeOption->setChecked(true);
        pointAt(form.volumeSlider);
        QTest::qWait(100);
        QVERIFY(!player.engine());
        pointAt(form.searchButton);
        QVERIFY(testsupport::waitFor([&] { return player.engine(); }));

        TestProgram menuFirst({}, true, true);
        MainWindow& other = menuFirst.app->mainWindow();
        other.videoModeOption->setChecked(true);
        other.fileMenu->popup(other.mapToGlobal(QPoint(0, 0)));
        QVERIFY(testsupport::waitFor([&] { return menuFirst.app->transport().videoWindow().player().engine(); }));
        other.fileMenu->hide();
    }

    void closeBoxStoresTheModeAndEnds()
    {
        TestProgram program;
        program.app->mainWindow().pictureModeOption->setChecked(true);
        program.app->mainWindow().close();
        QVERIFY(program.ended);
        QCOMPARE(program.app->settings().getSetting("ZOLT", "Option", "OP"), QStringLiteral("OP2"));
    }

    void exitCommandStoresNothing()
    {
        TestProgram program;
        program.app->mainWindow().pictureModeOption->setChecked(true);
        program.app->mainWindow().mnuEnd_Click();
        QVERIFY(program.ended);
        QCOMPARE(program.app->settings().getSetting("ZOLT", "Option", "OP", "(NO DATA)"), QStringLiteral("(NO DATA)"));
    }

    void firstStartWithoutOpticalDriveOpensHomeAndIsRemembered()
    {
        testsupport::TempTree home;
        home.addBytes("films/");
        home.addBytes("\xff\xfe sjis/");
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.nativeRoot());
        RecordingProgram first(volumes({{home.root(), "/dev/sdb1", "ext4", {}}}));
        qputenv("HOME", oldHome);
        MainWindow& form = first.program.app->mainWindow();
        QCOMPARE(form.driveList->drive(), home.root());
        QCOMPARE(form.folderList->path(), home.root());
        QCOMPARE(first.setting("F"), QStringLiteral("OK"));

        // The user opens folders; a restart opens the last one, by its exact bytes.
        for (const QByteArray& name : {QByteArray("films"), QByteArray("\xff\xfe sjis")}) {
            const QByteArray folder = home.nativeRoot() + '/' + name;
            QVERIFY(form.folderList->setNativePath(folder));
            const QString stored = first.setting("Dir");
            QCOMPARE(stored.startsWith("bytes:"), name.startsWith('\xff'));
            RecordingProgram next(volumes({{home.root(), "/dev/sdb1", "ext4", {}}}),
                                  {{"Option", "F", "OK"}, {"Option", "Drive", home.root()}, {"Option", "Dir", stored}});
            QCOMPARE(next.program.app->mainWindow().folderList->nativePath(), folder);
        }
    }

    void storedPathsRoundTripAsText_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("stored");
        QTest::newRow("utf-8") << QByteArray("/音楽/a%41 b") << QStringLiteral("/音楽/a%41 b");
        QTest::newRow("bad bytes") << QByteArray("/\xff/100%/\xe3\x81") << QStringLiteral("bytes:/%FF/100%25/%E3%81");
        QTest::newRow("mixed") << QByteArray("/音楽\x82\xa0") << QStringLiteral("bytes:/音楽%82%A0");
    }

    void storedPathsRoundTripAsText()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, stored);
        QCOMPARE(nativename::toStoredText(path), stored);
        QCOMPARE(nativename::fromStoredText(stored), path);
    }

    void firstStartChoosesTheOpticalDrive()
    {
        testsupport::TempTree disc;
        disc.addAll({"VIDEO_TS/"});
        testsupport::TempTree other;
        RecordingProgram run(volumes({{other.root(), "/dev/sdb1", "vfat", {}}, {disc.root(), "/dev/sr0", "iso9660", "DISC"}}));
        MainWindow& form = run.program.app->mainWindow();
        QCOMPARE(form.driveList->drive(), disc.root());
        QCOMPARE(form.folderList->path(), disc.root());
        QCOMPARE(run.setting("F"), QStringLiteral("OK"));
        QCOMPARE(run.setting("Drive"), disc.root());
        QCOMPARE(run.setting("Dir"), disc.root());
        // Drive change: Drive, Dir (old folder), then the folder list's Drive, Dir; F last.
        QCOMPARE(run.writes().size(), size_t(5));
        QCOMPARE(run.writes()[0].key, QStringLiteral("Drive"));
        QCOMPARE(run.writes()[1].key, QStringLiteral("Dir"));
        QVERIFY(run.writes()[1].value != disc.root());
        QCOMPARE(run.writes()[2].key, QStringLiteral("Drive"));
        QCOMPARE(run.writes()[3].key, QStringLiteral("Dir"));
        QCOMPARE(run.writes()[3].value, disc.root());
        QCOMPARE(run.writes()[4].key, QStringLiteral("F"));
    }

    void laterStartRestoresDriveAndFolder()
    {
        testsupport::TempTree music;
        music.addAll({"アニメ/"});
        const QString folder = music.path("アニメ");
        RecordingProgram run(volumes({{music.root(), "/dev/sdb1", "ext4", {}}}),
                             {{"Option", "F", "OK"}, {"Option", "Drive", music.root()}, {"Option", "Dir", folder}});
        MainWindow& form = run.program.app->mainWindow();
        QCOMPARE(form.driveList->drive(), music.root());
        QCOMPARE(form.folderList->path(), folder);
        QCOMPARE(run.setting("Dir"), folder);
        // The folders passed on the way were never written: the file is untouched.
        QCOMPARE(RecordingProgram::fileId(run.program.settingsFile()), run.storedFile);
    }

    void laterStartWithDeletedFolderOrUnmountedDriveFallsBackToTheOpticalDrive_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QString>("folder");
        QTest::newRow("deleted folder") << "/" << "/no/such/folder";
        QTest::newRow("unmounted drive") << "/media/usb" << "/";
    }

    void laterStartWithDeletedFolderOrUnmountedDriveFallsBackToTheOpticalDrive()
    {
        QFETCH(QString, drive);
        QFETCH(QString, folder);
        testsupport::TempTree disc;
        RecordingProgram run(volumes({{disc.root(), "/dev/sr0", "udf", {}}}),
                             {{"Option", "F", "OK"}, {"Option", "Drive", drive}, {"Option", "Dir", folder}});
        QCOMPARE(run.program.app->mainWindow().driveList->drive(), disc.root());
        QCOMPARE(run.writes().back().key, QStringLiteral("F"));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
