#include "app/mainwindow.h"
#include "search/dirlist.h"
#include "search/drivelist.h"
#include "support/testsupport.h"

#include <QTest>

using testsupport::TempTree;

namespace {
struct Write {
    QString key, value;
};
} // namespace

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

    void openingAFolderWritesDriveThenDir()
    {
        TempTree tree;
        tree.addAll({"music/"});
        testsupport::TestProgram program;
        std::vector<Write> writes;
        program.app->settings().setWriteObserver(
            [&](const QString&, const QString& key, const QString& value) { writes.push_back({key, value}); });
        DirList& folders = *program.app->mainWindow().folderList;
        QVERIFY(folders.setPath(tree.root()));
        folders.refreshNow();
        // The subfolder row is opened with a double click (itemActivated).
        QListWidgetItem* music = folders.findItems(QStringLiteral("music"), Qt::MatchEndsWith).value(0);
        QVERIFY(music);
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
        QCOMPARE(folders.item(folders.count() - 2)->text().trimmed(), QStringLiteral("b"));
        QCOMPARE(folders.item(folders.count() - 1)->text().trimmed(), QStringLiteral("c"));
    }

    void aVanishedDriveFallsBackToTheFolderListsDrive()
    {
        TempTree usb;
        auto volumes = std::make_shared<std::vector<MountEntry>>(
            std::vector<MountEntry>{{"/", "/dev/sda1", "ext4", {}}, {usb.root(), "/dev/sdb1", "vfat", {}}});
        testsupport::MessageRecorder messages;
        testsupport::TestProgram program([volumes] { return *volumes; });
        MainWindow& form = program.app->mainWindow();
        QVERIFY(form.driveList->setDrive(usb.root()));
        QCOMPARE(form.folderList->path(), usb.root());
        // Back to "/", which remembers its folder.
        QVERIFY(form.driveList->setDrive(QStringLiteral("/")));
        QVERIFY(form.folderList->path() != usb.root());
        // The stick is pulled: choosing it lands on the volume that now holds
        // its path, "/", without a message.
        volumes->pop_back();
        form.driveList->setDrive(usb.root());
        QCOMPARE(form.driveList->drive(), QStringLiteral("/"));
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(program.app->settings().getSetting("ZOLT", "Option", "Drive"), QStringLiteral("/"));
    }
};

QTEST_MAIN(DriveFolderTest)
#include "tst_drivefolder.moc"
