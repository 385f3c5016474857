#include "settings/settingsstore.h"
#include "support/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kApp = QStringLiteral("ZOLT");

QString readInFreshProcess(const QString& dir, const QString& section, const QString& key)
{
    QProcess probe;
    probe.start(QStringLiteral(PROBE), {QStringLiteral("get"), dir, section, key});
    probe.waitForFinished(10000);
    return QString::fromUtf8(QByteArray::fromHex(probe.readAllStandardOutput().trimmed()));
}
// Writes a value and reads it back in a separate process, which must end
// within seconds.
QString writeInFreshProcess(const QString& dir, const QString& value)
{
    QProcess probe;
    probe.start(QStringLiteral(PROBE), {QStringLiteral("set"), dir, QStringLiteral("Option"), QStringLiteral("OP"), value});
    if (!probe.waitForFinished(10000)) {
        probe.kill();
        probe.waitForFinished();
        return QStringLiteral("(hung)");
    }
    return QString::fromUtf8(QByteArray::fromHex(probe.readAllStandardOutput().trimmed()));
}
} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void valuesRoundTripThroughAFreshProcess_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("japanese") << QStringLiteral("/home/太郎/音楽/アニメ");
        QTest::newRow("spaces at both ends") << QStringLiteral("  padded  ");
        QTest::newRow("backslashes") << QStringLiteral("C:\\Music\\");
        QTest::newRow("comma") << QStringLiteral("a,b");
        QTest::newRow("quotes") << QStringLiteral("say \"hi\" 'there'");
        QTest::newRow("ini syntax") << QStringLiteral("k=v;c#[x]");
        QTest::newRow("empty") << QString();
        QTest::newRow("marker text") << QStringLiteral("(NO DATA)");
        QTest::newRow("at sign") << QStringLiteral("@Variant(x)");
    }
    void valuesRoundTripThroughAFreshProcess()
    {
        QFETCH(QString, value);
        QTemporaryDir dir;
        {
            SettingsStore store(dir.path());
            store.saveSetting(kApp, QStringLiteral("Option"), QStringLiteral("Dir"), value);
        }
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("Option"), QStringLiteral("Dir")), value);
    }

    void missingKeyGivesTheDefault()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        QCOMPARE(store.getSetting(kApp, QStringLiteral("Option"), QStringLiteral("F"), QStringLiteral("(NO DATA)")),
                 QStringLiteral("(NO DATA)"));
        QCOMPARE(store.getSetting(kApp, QStringLiteral("MPFile"), QStringLiteral("mov")), QString());
        QVERIFY(!QFile::exists(store.filePath(kApp)));
    }

    void eachWriteReachesTheFileAtOnce()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        store.saveSetting(kApp, QStringLiteral("Option"), QStringLiteral("OP"), QStringLiteral("OP2"));
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("Option"), QStringLiteral("OP")), QStringLiteral("OP2"));
        QVERIFY(QFile::exists(dir.path() + QStringLiteral("/ZOLT.ini")));
    }

    void onlyHeldKeysWaitForTheRelease()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        store.holdWrites(settingskeys::kFolderKeys);
        store.saveSetting(kApp, QStringLiteral("Option"), QStringLiteral("Dir"), QStringLiteral("/a"));
        store.saveSetting(kApp, QStringLiteral("Option"), QStringLiteral("Dir"), QStringLiteral("/b"));
        store.saveSetting(kApp, QStringLiteral("MPFile"), QStringLiteral("avi"), QStringLiteral("0"));
        QCOMPARE(store.getSetting(kApp, QStringLiteral("Option"), QStringLiteral("Dir")), QStringLiteral("/b"));
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("Option"), QStringLiteral("Dir")), QStringLiteral("(NO DATA)"));
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("MPFile"), QStringLiteral("avi")), QStringLiteral("0"));
        store.flush(); // as the program ends: held writes stay out of the file
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("Option"), QStringLiteral("Dir")), QStringLiteral("(NO DATA)"));
        store.releaseWrites();
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("Option"), QStringLiteral("Dir")), QStringLiteral("/b"));

        store.holdWrites(settingskeys::kFolderKeys);
        store.saveSetting(kApp, QStringLiteral("Option"), QStringLiteral("Dir"), QStringLiteral("/c"));
        store.releaseWrites(SettingsStore::Held::Drop);
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("Option"), QStringLiteral("Dir")), QStringLiteral("/b"));
    }

    void killDuringAWriteStormLeavesAWholeFile()
    {
        QTemporaryDir dir;
        for (int round = 0; round < 3; ++round) {
            QProcess storm;
            storm.start(QStringLiteral(PROBE), {QStringLiteral("storm"), dir.path()});
            QVERIFY(storm.waitForReadyRead(10000));
            QTest::qWait(150 + round * 70);
            ::kill(pid_t(storm.processId()), SIGKILL);
            storm.waitForFinished(5000);
            QSettings file(dir.path() + QStringLiteral("/ZOLT.ini"), QSettings::IniFormat);
            QCOMPARE(file.status(), QSettings::NoError);
            const QString value = file.value(QStringLiteral("Option/Dir")).toString();
            QVERIFY2(value.startsWith(QStringLiteral("/music/フォルダ ")) && value.endsWith(QString(200, u'x')),
                     qPrintable(value.left(40)));
        }
    }

    void corruptFileStartsWithDefaultsAndIsKept_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        QTest::newRow("broken header") << QByteArray("[Option\nOP=\"unterminated\n\x00\x01\xff\xfe[[[", 31);
        QByteArray random(4096, '\0');
        for (int i = 0; i < random.size(); ++i)
            random[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("random bytes") << random;
        QTest::newRow("NULs in a group") << QByteArray("[Option]\nOP=OP2\n\0\0\0\n", 20);
        QTest::newRow("no group header") << QByteArray("this is not a settings file\nOP=OP2\n");
    }

    void corruptFileStartsWithDefaultsAndIsKept()
    {
        QFETCH(QByteArray, damaged);
        QTemporaryDir dir;
        QFile garbage(dir.path() + QStringLiteral("/ZOLT.ini"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(damaged);
        garbage.close();
        SettingsStore store(dir.path());
        const QString mode = store.getSetting(kApp, QStringLiteral("Option"), QStringLiteral("OP"), QStringLiteral("(NO DATA)"));
        QCOMPARE(mode, QStringLiteral("(NO DATA)"));
        QFile kept(dir.path() + QStringLiteral("/ZOLT.ini.corrupt"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), damaged);
        store.saveSetting(kApp, QStringLiteral("Option"), QStringLiteral("OP"), QStringLiteral("OP1"));
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("Option"), QStringLiteral("OP")), QStringLiteral("OP1"));
        QVERIFY(garbage.open(QIODevice::ReadOnly));
        QCOMPARE(garbage.readAll().trimmed(), QByteArray("[Option]\nOP=OP1"));
    }

    void readsSeeChangesMadeByAnotherCopy()
    {
        QTemporaryDir dir;
        SettingsStore mine(dir.path());
        QCOMPARE(mine.getSetting(kApp, QStringLiteral("Option"), QStringLiteral("OP")), QString());
        QCOMPARE(writeInFreshProcess(dir.path(), QStringLiteral("OP2")), QStringLiteral("OP2"));
        QCOMPARE(mine.getSetting(kApp, QStringLiteral("Option"), QStringLiteral("OP")), QStringLiteral("OP2"));
        mine.saveSetting(kApp, QStringLiteral("MPFile"), QStringLiteral("avi"), QStringLiteral("0"));
        QCOMPARE(readInFreshProcess(dir.path(), QStringLiteral("Option"), QStringLiteral("OP")), QStringLiteral("OP2"));
    }

    void settingsPathsThatAreNotFilesAreNeverWrittenThrough_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << "fifo";
        QTest::newRow("link to a device") << "device";
        QTest::newRow("folder where the lock goes") << "lock";
    }

    void settingsPathsThatAreNotFilesAreNeverWrittenThrough()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QByteArray ini = QFile::encodeName(dir.path() + QStringLiteral("/ZOLT.ini"));
        if (kind == "fifo")
            QVERIFY(::mkfifo(ini.constData(), 0600) == 0);
        else if (kind == "device" && !testsupport::makeOwnDevice(ini + ".device"))
            QSKIP("only root can make a device node");
        else if (kind == "device")
            QVERIFY(::symlink((ini + ".device").constData(), ini.constData()) == 0);
        else
            QVERIFY(::mkdir((ini + ".lock").constData(), 0700) == 0);
        // Values live in memory for the run; the path is left as it was.
        QCOMPARE(writeInFreshProcess(dir.path(), QStringLiteral("OP2")), QStringLiteral("OP2"));
        struct stat st;
        QVERIFY(::stat(ini.constData(), &st) == 0 || kind == "lock");
        if (kind == "fifo")
            QVERIFY(S_ISFIFO(st.st_mode));
        if (kind == "device")
            QVERIFY(S_ISCHR(st.st_mode));
    }

    void aLinkToARegularFileKeepsWorking()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/dotfiles")));
        QFile target(dir.path() + QStringLiteral("/dotfiles/ZOLT.ini"));
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.close();
        QVERIFY(QFile::link(target.fileName(), dir.path() + QStringLiteral("/ZOLT.ini")));
        QCOMPARE(writeInFreshProcess(dir.path(), QStringLiteral("OP2")), QStringLiteral("OP2"));
        QVERIFY(QFileInfo(dir.path() + QStringLiteral("/ZOLT.ini")).isSymLink());
        QCOMPARE(QSettings(target.fileName(), QSettings::IniFormat).value("Option/OP").toString(), QStringLiteral("OP2"));
    }

    void unwritableStoreKeepsValuesInMemory()
    {
        // A settings folder that cannot exist: its parent is a file.
        QTemporaryDir dir;
        QFile blocker(dir.path() + QStringLiteral("/file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SettingsStore store(blocker.fileName() + QStringLiteral("/config"));
        store.saveSetting(kApp, QStringLiteral("Option"), QStringLiteral("OP"), QStringLiteral("OP2"));
        store.saveSetting(kApp, QStringLiteral("Option"), QStringLiteral("OP"), QStringLiteral("OP1"));
        QCOMPARE(store.getSetting(kApp, QStringLiteral("Option"), QStringLiteral("OP")), QStringLiteral("OP1"));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
