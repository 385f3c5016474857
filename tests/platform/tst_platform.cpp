#include "platform/deferredicons.h"
#include "platform/messagebox.h"
#include "desktop/mounttable.h"
#include "platform/nativename.h"
#include "desktop/recentfiles.h"
#include "platform/regularfile.h"
#include "platform/toolwindow.h"
#include "platform/twips.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStyleFactory>
#include <QTest>
#include <QXmlStreamReader>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void roundsHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<long>("rounded");
        QTest::newRow("0.5") << 0.5 << 0L;
        QTest::newRow("1.5") << 1.5 << 2L;
        QTest::newRow("2.5") << 2.5 << 2L;
        QTest::newRow("-0.5") << -0.5 << 0L;
        QTest::newRow("-1.5") << -1.5 << -2L;
        QTest::newRow("2872.5") << 2872.5 << 2872L;
        QTest::newRow("827.14") << 2895 / 3.5 << 827L;
        QTest::newRow("2000") << 7000 / 3.5 << 2000L;
    }
    void roundsHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(long, rounded);
        QCOMPARE(twips::roundHalfEven(value), rounded);
    }

    void convertsTwipsAndPixels()
    {
        QCOMPARE(twips::toPixels(3390), 226);
        QCOMPARE(twips::toPixels(7170), 478);
        QCOMPARE(twips::fromPixels(226), 3390.0);
        QCOMPARE(twips::toPixelRect({240, -120, 2895, 615}), QRect(16, -8, 193, 41));
    }

    void deferredIconsAreTheStylesOwnWhenDrawn()
    {
        DeferredIconStyle deferred;
        const std::unique_ptr<QStyle> plain(QStyleFactory::create(deferred.baseStyle()->name()));
        for (const auto icon : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
                                QStyle::SP_MessageBoxWarning}) {
            const QImage expected = plain->standardIcon(icon).pixmap(16).toImage();
            QVERIFY(!expected.isNull());
            QCOMPARE(deferred.standardIcon(icon).pixmap(16).toImage(), expected);
        }
    }

    void mountTableLeavesOutPseudoFileSystemsAndSorts()
    {
        const QByteArray mounts = "proc /proc proc rw 0 0\n"
                                  "/dev/sda1 / ext4 rw 0 0\n"
                                  "/dev/sr0 /media/taro/MY\\040DISC iso9660 ro 0 0\n"
                                  "tmpfs /run tmpfs rw 0 0\n"
                                  "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                                  "/dev/sdb1 /media/taro/USB vfat rw 0 0\n"
                                  "/dev/sdc1 /run/media/taro/STICK exfat rw 0 0\n"
                                  "/dev/sdd1 /media/taro/USB ext4 rw 0 0\n"
                                  "/dev/sde1 /mnt/old\\040 ext4 rw 0 0\n";
        const std::vector<MountEntry> entries = mounttable::parse(mounts);
        QCOMPARE(entries.size(), size_t(5));
        QCOMPARE(entries[0].mountPath, QStringLiteral("/"));
        QCOMPARE(entries[1].mountPath, QStringLiteral("/media/taro/MY DISC"));
        QVERIFY(entries[1].isOptical());
        // Mounted over the first /media/taro/USB: the later line is the volume.
        QCOMPARE(entries[2].device, QStringLiteral("/dev/sdd1"));
        QVERIFY(!entries[2].isOptical());
        QCOMPARE(entries[3].mountPath, QStringLiteral("/mnt/old ")); // an escape at the very end
        QCOMPARE(entries[4].mountPath, QStringLiteral("/run/media/taro/STICK"));
        QVERIFY(MountEntry({"/mnt/x", "/dev/sdc", "udf", {}}).isOptical());
        QVERIFY(MountEntry({"/mnt/y", "/dev/cdrom1", "auto", {}}).isOptical());
        QCOMPARE(MountEntry({"/media/d", "/dev/sr0", "iso9660", "DISC"}).displayText(), QStringLiteral("/media/d [DISC]"));
    }

    // Recorded mount tables: only what a file manager offers.
    void mountTablesWithoutClutter_data()
    {
        QTest::addColumn<QByteArray>("mounts");
        QTest::addColumn<QStringList>("volumes");
        QTest::newRow("Ubuntu with snaps")
            << QByteArray("sysfs /sys sysfs rw,nosuid 0 0\n"
                          "udev /dev devtmpfs rw 0 0\n"
                          "tmpfs /run tmpfs rw 0 0\n"
                          "/dev/nvme0n1p2 / ext4 rw,relatime 0 0\n"
                          "/dev/loop0 /snap/core20/2105 squashfs ro 0 0\n"
                          "/dev/loop1 /snap/firefox/3600 squashfs ro 0 0\n"
                          "/dev/loop2 /snap/gnome-42-2204/141 squashfs ro 0 0\n"
                          "/dev/loop3 /snap/gtk-common-themes/1535 squashfs ro 0 0\n"
                          "/dev/loop4 /snap/snapd/20671 squashfs ro 0 0\n"
                          "/dev/loop5 /snap/snap-store/959 squashfs ro 0 0\n"
                          "/dev/nvme0n1p1 /boot/efi vfat rw 0 0\n"
                          "tmpfs /tmp tmpfs rw 0 0\n"
                          "overlay /var/lib/docker/overlay2/3f2a/merged overlay rw 0 0\n"
                          "/dev/nvme0n1p3 /home ext4 rw 0 0\n"
                          "/dev/sda1 /media/taro/USB\\040STICK vfat rw 0 0\n"
                          "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n")
            << QStringList{"/", "/home", "/media/taro/USB STICK"};
        QTest::newRow("Fedora")
            << QByteArray("/dev/nvme0n1p3 / btrfs rw,seclabel,subvol=/root 0 0\n"
                          "/dev/nvme0n1p3 /home btrfs rw,subvol=/home 0 0\n"
                          "/dev/nvme0n1p2 /boot ext4 rw 0 0\n"
                          "/dev/nvme0n1p1 /boot/efi vfat rw 0 0\n"
                          "tmpfs /tmp tmpfs rw 0 0\n"
                          "/dev/sdb1 /run/media/hanako/\xe5\x86\x99\xe7\x9c\x9f exfat rw 0 0\n")
            << QStringList{"/", "/home", QStringLiteral("/run/media/hanako/写真")};
        QTest::newRow("NAS shares")
            << QByteArray("overlay / overlay rw 0 0\n"
                          "systemd-1 /mnt/nas autofs rw 0 0\n"
                          "//nas.local/share /mnt/nas cifs rw 0 0\n"
                          "nas:/volume1/video /mnt/video nfs4 rw 0 0\n"
                          "//192.168.1.10/Media\\040Files /media/Media\\134Share\\011tab cifs rw 0 0\n")
            << QStringList{"/", "/media/Media\\Share\ttab", "/mnt/nas", "/mnt/video"};
    }

    void mountTablesWithoutClutter()
    {
        QFETCH(QByteArray, mounts);
        QFETCH(QStringList, volumes);
        QStringList listed;
        for (const MountEntry& entry : mounttable::parse(mounts))
            listed << entry.mountPath;
        QCOMPARE(listed, volumes);
        QCOMPARE(mounttable::parse("//nas/a\\040b /mnt/x cifs rw 0 0\n").front().device, QStringLiteral("//nas/a b"));
    }

    void decodesNamesForDisplay()
    {
        QCOMPARE(nativename::toDisplay("曲.mp3"), QStringLiteral("曲.mp3"));
        // "曲" in Shift-JIS is 0x8B 0xC8: not UTF-8, shown decoded as Shift-JIS.
        QCOMPARE(nativename::toDisplay(QByteArray("\x8b\xc8.mp3")), QStringLiteral("曲.mp3"));
        QVERIFY(!nativename::toDisplay(QByteArray("\xff\xfe.mp3")).isEmpty());
    }

    void recentFilesKeepOtherEntriesAndCountOurs()
    {
        testsupport::TempTree home;
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.root()));
        QFile list(recentfiles::listPath());
        QCOMPARE(list.fileName(), home.path("recently-used.xbel"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        const QByteArray theirs =
            "<bookmark href=\"file:///home/taro/notes.txt\" added=\"2020-01-01T00:00:00.000000Z\" "
            "modified=\"2020-01-01T00:00:00.000000Z\" visited=\"2020-01-01T00:00:00.000000Z\">";
        list.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
                   "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
                   "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n" + theirs +
                   "<info><metadata owner=\"http://freedesktop.org\"><mime:mime-type type=\"text/plain\"/>"
                   "<bookmark:applications><bookmark:application name=\"gedit\" exec=\"'gedit %u'\" "
                   "modified=\"2020-01-01T00:00:00.000000Z\" count=\"3\"/></bookmark:applications>"
                   "</metadata></info></bookmark>\n</xbel>\n");
        list.close();

        const QDateTime first(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
        QVERIFY(recentfiles::add("/media/曲/clip 1.mpg", false, first));
        QVERIFY(recentfiles::add("/media/曲", true, first));
        QVERIFY(recentfiles::add("/media/曲/clip 1.mpg", false, first.addSecs(60)));
        QVERIFY(list.open(QIODevice::ReadOnly));
        const QByteArray written = list.readAll();
        list.close();
        QVERIFY(written.contains(theirs));
        QVERIFY(written.contains("name=\"gedit\" exec=\"'gedit %u'\" modified=\"2020-01-01T00:00:00.000000Z\" count=\"3\""));
        QCOMPARE(written.count("href=\"file:///media/%E6%9B%B2/clip%201.mpg\""), 1);
        QVERIFY(written.contains("added=\"2026-12-07T10:00:00.000000Z\" modified=\"2026-12-07T10:01:00.000000Z\""));
        QVERIFY(written.contains("<mime:mime-type type=\"video/mpeg\"/>"));
        QVERIFY(written.contains("<mime:mime-type type=\"inode/directory\"/>"));
        QVERIFY(written.contains("count=\"2\""));
        QXmlStreamReader check(written);
        while (!check.atEnd())
            check.readNext();
        QVERIFY2(!check.hasError(), qPrintable(check.errorString()));

        // A list that cannot be read is left for its owner, not replaced.
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("<xbel><bookmark href=");
        list.close();
        QVERIFY(!recentfiles::add("/media/a.mpg", false));
        QVERIFY(list.open(QIODevice::ReadOnly));
        QCOMPARE(list.readAll(), QByteArray("<xbel><bookmark href="));
    }

    // What other programs put in the list stays, whatever it holds; what is
    // not a list is never written, through a link neither.
    void recentFilesKeepWhatTheyDoNotUnderstand()
    {
        testsupport::TempTree home;
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.root()));
        const auto write = [](const QString& path, const QByteArray& bytes) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        const auto read = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QString listPath = recentfiles::listPath();
        const QByteArray ns = "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"";
        write(listPath, "<xbel version=\"1.0\" " + ns + "><bookmark href=\"file:///media/%8b%c8.mpg\">"
                        "<info><metadata><q:xbel xmlns:q=\"urn:q\"/><bookmark:applications><bookmark:application "
                        "name=\"gedit\" count=\"3\"/></bookmark:applications></metadata></info></bookmark>"
                        "<bookmark href=\"file:///later.txt\"/><!-- kept --></xbel>");
        QVERIFY(recentfiles::add("/media/\x8b\xc8.mpg", false)); // the same file, not UTF-8
        QVERIFY(recentfiles::add("/media/\xff.mpg", false));
        const QByteArray written = read(listPath);
        QXmlStreamReader check(written);
        QStringList topLevel; // the root's children
        for (int depth = 0; !check.atEnd();) {
            check.readNext();
            if (check.isStartElement() && ++depth == 2)
                topLevel << check.attributes().value(QStringLiteral("href")).toString();
            else if (check.isEndElement())
                --depth;
        }
        QVERIFY2(!check.hasError(), qPrintable(check.errorString()));
        QCOMPARE(topLevel, (QStringList{"file:///media/%8b%c8.mpg", "file:///later.txt", "file:///media/%FF.mpg"}));
        QVERIFY(written.contains("urn:q") && written.contains("<!-- kept -->"));
        QVERIFY(written.contains("name=\"gedit\" count=\"3\""));
        QVERIFY(written.contains("name=\"duvaVazorUzevaz\""));

        // Not a list (another root), or a link to another file or to
        // nothing: left alone, nothing created.
        const QString other = home.path("other.xml");
        write(other, "<config><xbel/></config>");
        QVERIFY(QFile::remove(listPath));
        QVERIFY(QFile::link(other, listPath));
        QVERIFY(!recentfiles::add("/media/a.mpg", false));
        QCOMPARE(read(other), QByteArray("<config><xbel/></config>"));
        QVERIFY(QFile::remove(listPath));
        QVERIFY(QFile::link(home.path("nothing.xbel"), listPath));
        QVERIFY(!recentfiles::add("/media/a.mpg", false));
        QVERIFY(!QFile::exists(home.path("nothing.xbel")));
        // A pipe is never read (the read would wait for a writer).
        QVERIFY(QFile::remove(listPath));
        QVERIFY(::mkfifo(QFile::encodeName(listPath).constData(), 0600) == 0);
        QVERIFY(!recentfiles::add("/media/a.mpg", false));
    }

    void onlyRegularFilesOpen()
    {
        testsupport::TempTree tree;
        tree.add("file.mpg", 10);
        tree.add("folder.mpg/");
        const QByteArray root = tree.nativeRoot();
        QVERIFY(::mkfifo((root + "/pipe.mpg").constData(), 0600) == 0);
        QVERIFY(::symlink((root + "/file.mpg").constData(), (root + "/link.mpg").constData()) == 0);
        const int file = openRegularFile(root + "/link.mpg");
        QVERIFY(file >= 0);
        ::close(file);
        for (const char* name : {"/pipe.mpg", "/folder.mpg", "/missing.mpg"})
            QCOMPARE(openRegularFile(root + name), -1);
        if (testsupport::makeOwnDevice(root + "/device.mpg"))
            QCOMPARE(openRegularFile(root + "/device.mpg"), -1);
    }

    // A path of any length fits the screen, and boxes shown for other
    // programs never pile up or wait for an answer.
    // A held F11 repeats as a release and a press with one time stamp; on
    // a busy machine Qt may not see them as a repeat.
    void aHeldFullScreenKeyChangesTheWindowOnce()
    {
        ToolWindow window;
        window.allowFullScreen();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto f11 = [&window](QEvent::Type type, quint64 time) {
            QKeyEvent key(type, Qt::Key_F11, Qt::NoModifier);
            key.setTimestamp(time);
            QApplication::sendEvent(&window, &key);
        };
        f11(QEvent::KeyRelease, 1000);
        f11(QEvent::KeyPress, 1000);
        QVERIFY(window.isVisible()); // not on its way to full screen
        f11(QEvent::KeyRelease, 1100);
        f11(QEvent::KeyPress, 1300); // pressed again
        QVERIFY(!window.isVisible() || window.isFullScreen());
    }

    void messagesFitTheScreenAndNoticesDoNotPileUp()
    {
        const QString path = u'/' + QString(100'000, u'あ') + QStringLiteral("\n") .repeated(40);
        const QFont font = QApplication::font();
        const QString shown = messagebox::fitted(QStringLiteral("フォルダまたはファイルが見つかりません。\n") + path, font, 600, 12);
        const QStringList lines = shown.split(u'\n');
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines.first(), QStringLiteral("フォルダまたはファイルが見つかりません。"));
        for (const QString& line : lines)
            QVERIFY(QFontMetrics(font).horizontalAdvance(line) <= 600);

        for (int i = 0; i < 100; ++i)
            messagebox::notify(nullptr, path); // returns at once, each time
        const auto boxes = [] {
            int count = 0;
            for (QWidget* window : QApplication::topLevelWidgets())
                count += qobject_cast<QMessageBox*>(window) && window->isVisible();
            return count;
        };
        QCOMPARE(boxes(), 1);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window)) {
                QVERIFY(box->width() <= QGuiApplication::primaryScreen()->availableGeometry().width());
                QVERIFY(box->height() <= QGuiApplication::primaryScreen()->availableGeometry().height());
                box->close();
            }
        }
        QVERIFY(testsupport::waitFor([&] { return boxes() == 0; }));
        messagebox::notify(nullptr, QStringLiteral("next"));
        QCOMPARE(boxes(), 1); // the next notice after the first was answered
    }
};

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
