#include "playback/ramfile.h"
#include "support/testsupport.h"

#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

class RamFileTest : public QObject {
    Q_OBJECT
private slots:
    void readsEntriesSkippingCommentsAndResolvingPaths()
    {
        testsupport::TempTree tree;
        tree.add(QStringLiteral("lists/"));
        QFile list(tree.path("lists/party.RAM"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("# made by hand\r\n\r\nclip one.rm\r\nfile:///music/%E6%9B%B2.mp3\n/abs/path.ra\n"
                   "http://127.0.0.1:9/stream.rm\nrtsp://host/a.rm\nfile://host/share/a.rm\n  # indented comment\n"
                   "party.RAM\nother.ram\n");
        list.close();
        const QByteArray path = QFile::encodeName(tree.path("lists/party.RAM"));
        QVERIFY(ramfile::isRamFile(path));
        QVERIFY(!ramfile::isRamFile("clip.rm"));
        QCOMPARE(ramfile::entries(path),
                 QList<QByteArray>({QFile::encodeName(tree.path("lists/")) + "clip one.rm", "/music/曲.mp3",
                                    "/abs/path.ra"}));
    }

    void onlySmallRegularFilesAreRead()
    {
        testsupport::TempTree tree;
        tree.add(QStringLiteral("big.ram"), 64 * 1024 + 1);
        QVERIFY(ramfile::entries(QFile::encodeName(tree.path("big.ram"))).isEmpty());
        QVERIFY(ramfile::entries("/no/such/list.ram").isEmpty());
        QFile many(tree.path("many.ram"));
        QVERIFY(many.open(QIODevice::WriteOnly));
        many.write(QByteArray("a.rm\n").repeated(1001));
        many.close();
        QVERIFY(ramfile::entries(QFile::encodeName(many.fileName())).isEmpty());
        // A pipe or a device is never read: it would block or never end.
        const QByteArray fifo = tree.nativeRoot() + "/pipe.ram";
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        QVERIFY(ramfile::entries(fifo).isEmpty());
        const QByteArray device = tree.nativeRoot() + "/device.ram";
        if (testsupport::makeOwnDevice(device))
            QVERIFY(ramfile::entries(device).isEmpty());
    }

    void playlistsAtTheLimitsAreRead()
    {
        testsupport::TempTree tree;
        QFile full(tree.path("full.ram"));
        QVERIFY(full.open(QIODevice::WriteOnly));
        const QByteArray lines = QByteArray("a.rm\n").repeated(999);
        full.write(lines + '#' + QByteArray(64 * 1024 - lines.size() - 2, ' ') + '\n');
        full.close();
        QCOMPARE(full.size(), 64 * 1024);
        QCOMPARE(ramfile::entries(QFile::encodeName(full.fileName())).size(), 999);

        QFile thousand(tree.path("thousand.ram"));
        QVERIFY(thousand.open(QIODevice::WriteOnly));
        thousand.write(QByteArray("a.rm\n").repeated(1000) + "file:///music/b.mp3%00.jpg\n");
        thousand.close();
        QCOMPARE(ramfile::entries(QFile::encodeName(thousand.fileName())).size(), 1000);
    }
};

QTEST_GUILESS_MAIN(RamFileTest)
#include "tst_ramfile.moc"
