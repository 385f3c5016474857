#include "playback/ramfile.h"
#include "support/testsupport.h"

#include <QTest>

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
                   "http://example.invalid/stream.rm\n  # indented comment\n");
        list.close();
        const QByteArray path = QFile::encodeName(tree.path("lists/party.RAM"));
        QVERIFY(ramfile::isRamFile(path));
        QVERIFY(!ramfile::isRamFile("clip.rm"));
        QCOMPARE(ramfile::entries(path),
                 QList<QByteArray>({QFile::encodeName(tree.path("lists/")) + "clip one.rm", "/music/曲.mp3",
                                    "/abs/path.ra", "http://example.invalid/stream.rm"}));
    }

    void unreadableOrHugeListsGiveNothing()
    {
        testsupport::TempTree tree;
        tree.add(QStringLiteral("big.ram"), 4 * 1024 * 1024);
        QVERIFY(ramfile::entries(QFile::encodeName(tree.path("big.ram"))).isEmpty());
        QVERIFY(ramfile::entries("/no/such/list.ram").isEmpty());
    }
};

QTEST_GUILESS_MAIN(RamFileTest)
#include "tst_ramfile.moc"
