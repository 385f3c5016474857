#include "settings/filetypetable.h"
#include "settings/settingsstore.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kApp = QStringLiteral("ZOLT");
const QString kMp = QStringLiteral("MPFile");
} // namespace

class FileTypeTableTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunChecksEverythingAndWritesNothing()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        FileTypeTable media = FileTypeTable::MediaTypes(store);
        FileTypeTable pictures = FileTypeTable::PictureTypes(store);
        QCOMPARE(media.CheckedPatterns(),
                 QStringList({"*.avi", "*.ra", "*.ram", "*.mpg", "*.mpeg", "*.qt", "*.mov", "*.dat", "*.wave",
                              "*.mp3", "*.rm"}));
        QCOMPARE(pictures.CheckedPatterns(), QStringList({"*.jpg", "*.bmp", "*.gif"}));
        media.DiscardTypes();
        QVERIFY(!QFile::exists(store.filePath(kApp)));
    }

    void storedStatesAreReadExactly()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        store.saveSetting(kApp, kMp, QStringLiteral("OPEN"), QStringLiteral("whatever"));
        for (const char* key : {"avi", "ra", "ram", "mpg", "mpeg", "qt", "dat", "wave", "mp3", "rm"})
            store.saveSetting(kApp, kMp, QLatin1String(key), QStringLiteral("ON"));
        store.saveSetting(kApp, kMp, QStringLiteral("mp3"), QStringLiteral("on")); // lower case: unchecked
        FileTypeTable media = FileTypeTable::MediaTypes(store);
        const QStringList checked = media.CheckedPatterns();
        QVERIFY(!checked.contains(QStringLiteral("*.mov"))); // key absent
        QVERIFY(!checked.contains(QStringLiteral("*.mp3")));
        QCOMPARE(checked.size(), 9);
    }

    void saveWritesMarkerThenEveryKeyAndLeavesTheOtherTable()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        FileTypeTable media = FileTypeTable::MediaTypes(store);
        FileTypeTable pictures = FileTypeTable::PictureTypes(store);
        media.setChecked(6, false); // *.mov
        QStringList order;
        store.setWriteObserver([&order](const QString&, const QString& key, const QString&) { order << key; });
        media.SaveTypes();
        QCOMPARE(order, QStringList({"OPEN", "avi", "ra", "ram", "mpg", "mpeg", "qt", "mov", "dat", "wave", "mp3", "rm"}));
        store.setWriteObserver({});
        media.DiscardTypes();
        QCOMPARE(store.getSetting(kApp, kMp, QStringLiteral("OPEN")), QStringLiteral("ON"));
        QCOMPARE(store.getSetting(kApp, kMp, QStringLiteral("mov")), QStringLiteral("OFF"));
        QCOMPARE(store.getSetting(kApp, kMp, QStringLiteral("avi")), QStringLiteral("ON"));
        QCOMPARE(store.getSetting(kApp, kMp, QStringLiteral("PICOPEN"), QStringLiteral("(NO DATA)")),
                 QStringLiteral("(NO DATA)"));
        QVERIFY(!media.CheckedPatterns().contains(QStringLiteral("*.mov")));

        pictures.setChecked(1, false);
        pictures.setChecked(2, false);
        pictures.SaveTypes();
        QCOMPARE(store.getSetting(kApp, kMp, QStringLiteral("PICOPEN")), QStringLiteral("ON"));
        QCOMPARE(store.getSetting(kApp, kMp, QStringLiteral("gif")), QStringLiteral("OFF"));
        QCOMPARE(store.getSetting(kApp, kMp, QStringLiteral("mov")), QStringLiteral("OFF"));
    }

    void liveEditsCountUntilDiscarded()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        FileTypeTable media = FileTypeTable::MediaTypes(store);
        media.LoadTypes();
        media.setChecked(0, false); // untick *.avi in an open dialog
        QVERIFY(!media.CheckedPatterns().contains(QStringLiteral("*.avi")));
        media.DiscardTypes(); // Cancel
        QVERIFY(media.CheckedPatterns().contains(QStringLiteral("*.avi")));
    }

    void allUncheckedGivesAnEmptyList()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        FileTypeTable media = FileTypeTable::MediaTypes(store);
        for (int i = 0; i < media.count(); ++i)
            media.setChecked(i, false);
        media.SaveTypes();
        media.DiscardTypes();
        QVERIFY(media.CheckedPatterns().isEmpty());
        QCOMPARE(store.getSetting(kApp, kMp, QStringLiteral("rm")), QStringLiteral("OFF"));
    }
};

QTEST_GUILESS_MAIN(FileTypeTableTest)
#include "tst_filetypetable.moc"
