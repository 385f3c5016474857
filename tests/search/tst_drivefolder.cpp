#include "app/application.h"
#include "mainwindow/mainwindow.h"
#include "list/listview.h"
#include "viewer/pictureimage.h"
#include "viewer/picturewindow.h"
#include "settings/settingsstore.h"
#include "search/dirlist.h"
#include "search/folderwalk.h"
#include "search/drivelist.h"
#include "search/folderlisting.h"
#include "support/testsupport.h"

#include <QDir>
#include <QProcess>
#include <QRadioButton>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <future>
#include <optional>

using testsupport::TempTree;

// The test file system mounted at a folder for as long as this lives.
class FuseMount {
public:
    // Each look-up answered delaySeconds late, or never.
    explicit FuseMount(const QString& mountPoint, std::optional<double> delaySeconds = {}) : mountPoint_(mountPoint)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (delaySeconds)
            environment.insert(QStringLiteral("HANGFS_DELAY"), QString::number(*delaySeconds));
        server_.setProcessEnvironment(environment);
        // Nothing the kernel keeps: every look-up goes to the server.
        server_.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(HANGFS), mountPoint, QStringLiteral("-f"),
                                                           QStringLiteral("-o"), QStringLiteral("attr_timeout=0,entry_timeout=0")});
        mounted_ = server_.waitForStarted() && testsupport::waitFor([&] {
            QFile mounts(QStringLiteral("/proc/self/mounts"));
            return mounts.open(QIODevice::ReadOnly) && mounts.readAll().contains(QFile::encodeName(mountPoint));
        }, 5000);
    }
    ~FuseMount() { stop(); }
    // Until stopped.
    bool mounted() const { return mounted_; }
    void stop()
    {
        server_.kill();
        server_.waitForFinished();
        if (std::exchange(mounted_, false))
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint_});
    }

private:
    QString mountPoint_;
    QProcess server_;
    bool mounted_ = false;
};

class DriveFolderTest : public QObject {
    Q_OBJECT
private slots:
    void findsTheFirstOpticalDriveInOrder()
    {
        const std::vector<MountEntry> volumes = {{"/", "/dev/sda1", "ext4", {}},
                                                 {"/media/e", "/dev/sr0", "iso9660", {}},
                                                 {"/media/g", "/dev/sr1", "udf", {}}};
        QCOMPARE(FindCdRomDrive(volumes), QStringLiteral("/media/e"));
        QCOMPARE(FindCdRomDrive({{"/", "/dev/sda1", "ext4", {}}}), QString());
    }

    void driveListShowsTheDriveAndLabelFlatInOrange()
    {
        DriveList list([] { return std::vector<MountEntry>{{"/", "/dev/sda1", "ext4", "SYSTEM"}}; });
        list.resize(193, 20);
        QVERIFY(list.setDrive(QStringLiteral("/")));
        QCOMPARE(list.currentText(), QStringLiteral("/ [SYSTEM]"));
        const QImage face = list.grab().toImage();
        QCOMPARE(face.pixelColor(face.width() / 2, face.height() / 2), QColor(255, 192, 128));
        int textPixels = 0;
        for (int x = 2; x < face.width() / 2; ++x)
            for (int y = 2; y < face.height() - 2; ++y)
                textPixels += face.pixelColor(x, y).lightness() < 100;
        QVERIFY2(textPixels > 20, qPrintable(QString::number(textPixels)));
    }

    void aMountThatNeverAnswersIsNeverWaitedFor()
    {
        TempTree tree;
        tree.add("hung/");
        const QString mountPoint = tree.path("hung");
        FuseMount mount(mountPoint);
        if (!mount.mounted())
            QSKIP("no FUSE here (python3-fuse, /dev/fuse and the right to mount are needed)");
        // A look-up made here would wait for ever: ask from a thread, so a
        // fault fails the test (the server's end then frees the thread).
        auto reading = std::async(std::launch::async, mounttable::readSystem);
        QVERIFY(reading.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
        const std::vector<MountEntry> volumes = reading.get();
        QVERIFY(std::any_of(volumes.begin(), volumes.end(), [&](const MountEntry& v) { return v.mountPath == mountPoint; }));
        DriveList list(mounttable::systemSource());
        QVERIFY(list.setDrive(QStringLiteral("/")));
        QVERIFY(!list.setDrive(mountPoint));
        QCOMPARE(list.drive(), QStringLiteral("/"));

        // The folder list refuses it after its patience, and reads the
        // folder above without looking into it.
        {
            DirList folders([](const QString&) { return QStringLiteral("/"); });
            QElapsedTimer clock;
            clock.start();
            QVERIFY(!folders.setNativePath(QFile::encodeName(mountPoint)));
            QVERIFY(folders.setNativePath(tree.nativeRoot()));
            folders.refreshNow();
            QVERIFY(testsupport::waitFor([&] { return !folders.findItems(QStringLiteral("hung"), Qt::MatchEndsWith).isEmpty(); }));
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        }

        // The drive of the last session: the start shows another folder
        // meanwhile, and the stored one stays the user's.
        {
            testsupport::TestProgram program(
                [mountPoint] { return std::vector<MountEntry>{{"/", "/dev/root", "ext4", {}}, {mountPoint, "hangfs", "fuse", {}}}; },
                false);
            testsupport::writeSettings(program.config.path(), {{"Option", "F", "OK"}, {"Option", "Drive", mountPoint},
                                                                {"Option", "Dir", mountPoint}});
            program.app->start();
            QVERIFY(program.app->mainWindow().folderList->path() != mountPoint);
            program.app->settings().flush();
            QCOMPARE(SettingsStore(program.config.path()).getSetting(QStringLiteral("ZOLT"), QStringLiteral("Option"), QStringLiteral("Dir")),
                     mountPoint);
        }

        // A picture on it is not waited for (the window gives it a frame);
        // the next row's shows, and closing does not wait for it either.
        {
            QElapsedTimer clock;
            {
                testsupport::TestProgram program;
                program.app->mainWindow().pictureModeOption->setChecked(true);
                QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("shown.jpg")));
                testsupport::fillRows(*program.app, {"hung/a.jpg", "shown.jpg"}, tree.nativeRoot() + '/');
                clock.start();
                program.app->showSelectedRow();
                QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
                program.app->mainWindow().fileList->select(2);
                program.app->showSelectedRow();
                PictureWindow& window = program.app->pictureWindow();
                QVERIFY(testsupport::waitFor([&] { return window.image().isVisibleTo(&window); }));
                QCOMPARE(window.windowTitle(), QStringLiteral("shown.jpg"));
                clock.start();
            }
            QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        }

        // A walk that reaches it, its listing read ahead, ends at a cancel.
        auto walking = std::async(std::launch::async, [&] {
            bool cancel = false;
            QElapsedTimer clock;
            clock.start();
            WalkContext context{cancel, [](const QByteArray&) {}, [] { return nullptr; },
                                [](const QByteArray&, const QByteArray&, qint64) {},
                                [&] { cancel = cancel || clock.elapsed() > 100; }};
            WalkFolder(tree.nativeRoot(), context);
        });
        const bool ended = walking.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
        if (!ended)
            mount.stop(); // the read fails, and the walk goes on
        QVERIFY(ended);
    }

    // Handed over from outside, a folder on a mount that answers each look-up
    // a second late is opened once it answered, and the folder list is back
    // there after its search: the window is never held for it, nor is the
    // folder refused for being slow.
    void aFolderOnASlowMountIsOpenedFromOutside()
    {
        TempTree tree;
        tree.add("slow/");
        const QString mountPoint = tree.path("slow");
        FuseMount mount(mountPoint, 1.0);
        if (!mount.mounted())
            QSKIP("no FUSE here (python3-fuse, /dev/fuse and the right to mount are needed)");
        testsupport::TestProgram program;
        testsupport::MessageRecorder messages;
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        tick.start(20);
        sinceTick.start();
        program.app->openFromOutside(QFile::encodeName(mountPoint));
        QVERIFY(testsupport::waitFor([&] { return program.app->mainWindow().folderList->path() == mountPoint; }, 15000));
        QVERIFY2(!messages.texts.join(u' ').contains(QStringLiteral("開けません")), qPrintable(messages.texts.join(u' ')));
        QVERIFY2(longestGap < 600, qPrintable(QString::number(longestGap)));
        QCOMPARE(program.app->mainWindow().driveList->drive(), QStringLiteral("/"));
    }

    // The folder icons are drawn for screens of 1, 2 and 3 device pixels a
    // pixel, never scaled up from the smallest.
    void folderIconsAreSharpAtEveryScale()
    {
        DirList folders([](const QString&) { return QStringLiteral("/"); });
        QVERIFY(folders.setNativePath("/"));
        folders.refreshNow();
        QVERIFY(folders.count() > 0);
        const QList<QSize> sizes = folders.item(0)->icon().availableSizes();
        for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)})
            QVERIFY(sizes.contains(size));
    }

    void aLargeFoldersSubfoldersAreReadAwayFromTheWindow()
    {
        TempTree tree;
        tree.addAll({"big/sub1/", "big/sub2/"});
        for (int i = 0; i < 12000; ++i)
            tree.add(QStringLiteral("big/file%1.mp3").arg(i));
        const QByteArray big = tree.nativeRoot() + "/big";
        DirList folders([](const QString&) { return QStringLiteral("/"); });
        QVERIFY(folders.setNativePath(big));
        folders.refreshNow();
        const int chain = folders.count(); // "/" down to "big", at once
        QCOMPARE(folders.item(chain - 1)->text().trimmed(), QStringLiteral("big"));
        QVERIFY(testsupport::waitFor([&] { return folders.count() == chain + 2; }));
        QCOMPARE(folders.item(chain)->text().trimmed(), QStringLiteral("sub1"));
    }

    void openingAFolderWritesDriveThenDir()
    {
        TempTree tree;
        tree.addAll({"music/"});
        testsupport::TestProgram program;
        testsupport::WriteRecorder recorder(program.app->settings());
        auto& writes = recorder.writes;
        DirList& folders = *program.app->mainWindow().folderList;
        QVERIFY(folders.setPath(tree.root()));
        folders.refreshNow();
        // The subfolder row, once read, is opened with a double click (itemActivated).
        QListWidgetItem* music = nullptr;
        QVERIFY(testsupport::waitFor([&] { return (music = folders.findItems(QStringLiteral("music"), Qt::MatchEndsWith).value(0)); }));
        writes.clear();
        emit folders.itemActivated(music);
        QCOMPARE(folders.path(), tree.path("music"));
        QCOMPARE(writes.size(), size_t(2));
        QCOMPARE(writes[0].key, QStringLiteral("Drive"));
        QCOMPARE(writes[1].key, QStringLiteral("Dir"));
        QCOMPARE(writes[1].value, tree.path("music"));
    }

    void folderListRefusesMissingFoldersAndShowsTheChain()
    {
        TempTree tree;
        tree.addAll({"a/b/", "a/c/"});
        testsupport::TestProgram program;
        DirList& folders = *program.app->mainWindow().folderList;
        QVERIFY(folders.setPath(tree.path("a")));
        QVERIFY(!folders.setPath(tree.path("missing")));
        QVERIFY(!folders.setPath(tree.path("a/b/../../a/x")));
        QCOMPARE(folders.path(), tree.path("a"));
        folders.refreshNow();
        QCOMPARE(folders.item(0)->text(), QStringLiteral("/"));
        const int chain = folders.count(); // at once; the subfolders once read
        QVERIFY(testsupport::waitFor([&] { return folders.count() == chain + 2; }));
        QCOMPARE(folders.item(folders.count() - 2)->text().trimmed(), QStringLiteral("b"));
        QCOMPARE(folders.item(folders.count() - 1)->text().trimmed(), QStringLiteral("c"));
    }

    void drivesRememberTheirFolderAndVanishedOnesFail()
    {
        TempTree usb, usb2;
        usb.addAll({"clips/"});
        auto volumes = std::make_shared<std::vector<MountEntry>>(std::vector<MountEntry>{
            {"/", "/dev/sda1", "ext4", {}}, {usb.root(), "/dev/sdb1", "vfat", {}}, {usb.root() + "2", "/dev/sdc1", "vfat", {}}});
        QVERIFY(QDir().mkpath(usb.root() + "2"));
        testsupport::MessageRecorder messages;
        testsupport::TestProgram program([volumes] { return *volumes; });
        MainWindow& form = program.app->mainWindow();
        // Mount paths that share a prefix are different volumes.
        QCOMPARE(form.driveList->volumeOf(usb.root() + "2/x"), usb.root() + "2");
        QCOMPARE(form.driveList->volumeOf(usb.path("clips")), usb.root());
        QVERIFY(form.driveList->setDrive(usb.root()));
        QVERIFY(form.folderList->setPath(usb.path("clips")));
        // Away and back: the drive returns to the folder last shown on it.
        QVERIFY(form.driveList->setDrive(QStringLiteral("/")));
        QVERIFY(form.folderList->path() != usb.path("clips"));
        QVERIFY(form.driveList->setDrive(usb.root()));
        QCOMPARE(form.folderList->path(), usb.path("clips"));
        // The stick is pulled after the list was filled: choosing it fails
        // and the previous drive stays, without a message.
        QVERIFY(form.driveList->setDrive(usb.root() + "2"));
        const QString before = form.folderList->path();
        volumes->erase(volumes->begin() + 1);
        emit form.driveList->activated(form.driveList->findText(usb.root()));
        QCOMPARE(form.driveList->drive(), usb.root() + "2");
        QCOMPARE(form.folderList->path(), before);
        QVERIFY(!form.driveList->setDrive(usb.root()));
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(program.app->settings().getSetting("ZOLT", "Option", "Drive"), usb.root() + "2");
        QDir(usb.root() + "2").removeRecursively();
    }
};

QTEST_MAIN(DriveFolderTest)
#include "tst_drivefolder.moc"
