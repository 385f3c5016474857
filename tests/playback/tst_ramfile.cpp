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
        const QByteArray zero = tree.nativeRoot() + "/zero.ram";
        QVERIFY(::symlink("/dev/zero", zero.constData()) == 0);
        QVERIFY(ramfile::entries(zero).isEmpty());
    }
};

QTEST_GUILESS_MAIN(RamFileTest)
#include "tst_ramfile.moc"
