// The additions beyond the documented menus, in the real program: each off
// until chosen, then kept in the settings file's [Extras] section.
#include "settings/settingsstore.h"
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QDir>
#include <QSet>
#include <csignal>
#include <QTest>

using testsupport::ProgramProcess;

namespace {

// The titles the video window shows, in turn, until count have been seen.
QStringList titlesInTurn(ProgramProcess& program, const QStringList& names, int count, int milliseconds)
{
    QStringList seen;
    testsupport::waitFor([&] {
        QTest::qWait(80);
        for (const QString& title : program.windowTitles())
            if (names.contains(title) && (seen.isEmpty() || seen.last() != title))
                seen << title;
        return seen.size() >= count;
    }, milliseconds);
    return seen;
}

} // namespace

class ExtrasTest : public QObject {
    Q_OBJECT
private slots:
    void offUntilChosen()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("clip.mpg"), tree.path("a.mpg")));
        ProgramProcess program;
        QVERIFY(program.start({}, {tree.root()}));
        QVERIFY(!program.waitForWindow(QStringLiteral("a.mpg")).isEmpty());
        QFile settings(program.configDir() + QStringLiteral("/ZOLT.ini"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("[Extras]"));
    }

    void shuffledPlayPlaysEveryRowOnceARound()
    {
        testsupport::TempTree tree;
        QStringList names;
        for (int i = 1; i <= 8; ++i) {
            names << QStringLiteral("%1.mpg").arg(i);
            QVERIFY(QFile::copy(testsupport::fixture("clip.mpg"), tree.path(names.last())));
        }
        ProgramProcess program;
        testsupport::writeSettings(program.configDir(), {{"Extras", "Shuffle", "1"}});
        QVERIFY(program.start({}, {tree.root()}));
        const QStringList played = titlesInTurn(program, names, 12, 30000);
        QVERIFY2(played.size() >= 12, qPrintable(played.join(u' ')));
        const QStringList firstRound = played.mid(0, 8);
        QCOMPARE(QSet<QString>(firstRound.begin(), firstRound.end()).size(), 8);
        QVERIFY2(firstRound != names, "the list's own order"); // 1 chance in 5040
        QVERIFY(played[8] != played[7]);
    }

    void resumeStartsAFolderWhereItWasLeft()
    {
        testsupport::TempTree tree;
        for (const char* name : {"a.mpg", "b.mpg"})
            QVERIFY(QFile::copy(testsupport::fixture("long.mpg"), tree.path(QLatin1String(name))));
        ProgramProcess program;
        testsupport::writeSettings(program.configDir(), {{"Extras", "Resume", "1"}});
        const auto stored = [&] {
            return SettingsStore(program.configDir())
                .getSetting(QStringLiteral("ZOLT"), QStringLiteral("Extras"), QStringLiteral("ResumePlaces"));
        };
        {
            QVERIFY(program.start({}, {tree.root()}));
            testsupport::key(program.waitForWindow(QStringLiteral("a.mpg")), QStringLiteral("Next")); // PageDown: b.mpg
            QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty());
            QTest::qWait(2500);
            ::kill(pid_t(program.process().processId()), SIGTERM); // written as the program ends
            QVERIFY(program.waitForExit());
        }
        const QStringList place = stored().split(u' ').first().split(u'|');
        QCOMPARE(place.size(), 3);
        QVERIFY(place[1].endsWith(QStringLiteral("b.mpg")));
        QVERIFY2(place[2].toDouble() >= 1.5, qPrintable(place[2]));
        QVERIFY(program.start({}, {tree.root()}));
        QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty()); // not row 1
        program.process().kill();
        program.process().waitForFinished();
        // The row gone: row 1 as always.
        QVERIFY(QFile::remove(tree.path("b.mpg")));
        QVERIFY(program.start({}, {tree.root()}));
        QVERIFY(!program.waitForWindow(QStringLiteral("a.mpg")).isEmpty());
    }

    // Fifty folders of long Japanese names passed the size at which the
    // settings file counts as damaged: the next start reset every setting.
    void resumePlacesKeepTheSettingsFileTrusted()
    {
        testsupport::TempTree tree;
        QString folder = tree.root();
        for (int depth = 0; depth < 15; ++depth)
            folder += u'/' + QString(80, QChar(0x30D5)); // フ, 240 bytes
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(testsupport::fixture("clip.mpg"), folder + QStringLiteral("/a.mpg")));
        ProgramProcess program;
        const QString settingsFile = program.configDir() + QStringLiteral("/ZOLT.ini");
        // Places of other folders, as many as leave the file trusted until
        // one more is added.
        QStringList places;
        for (int i = 0; i < 49; ++i) {
            const QByteArray other = QFile::encodeName(folder) + QByteArray::number(i);
            places << QString::fromLatin1(other.toPercentEncoding() + '|' + (other + "/a.mpg").toPercentEncoding() + "|1.0");
            testsupport::writeSettings(program.configDir(), {{"Extras", "Resume", "1"},
                                                             {"Extras", "ResumePlaces", places.join(u' ')}});
            if (QFileInfo(settingsFile).size() + places.last().size() > 1024 * 1024 + 50)
                break;
        }
        QVERIFY(QFileInfo(settingsFile).size() < 1024 * 1024);
        QVERIFY(program.start({}, {folder}));
        QVERIFY(!program.waitForWindow(QStringLiteral("a.mpg")).isEmpty());
        ::kill(pid_t(program.process().processId()), SIGTERM); // the place is written as the program ends
        QVERIFY(program.waitForExit());
        QVERIFY2(QFileInfo(settingsFile).size() < 1024 * 1024, qPrintable(QString::number(QFileInfo(settingsFile).size())));
        const QString stored = SettingsStore(program.configDir())
                                   .getSetting(QStringLiteral("ZOLT"), QStringLiteral("Extras"), QStringLiteral("ResumePlaces"));
        QCOMPARE(QByteArray::fromPercentEncoding(stored.section(u'|', 0, 0).toLatin1()), QFile::encodeName(folder));
        QVERIFY(!QFile::exists(settingsFile + QStringLiteral(".corrupt")));
    }

    // Its timing and its end at a key or a click are the core's and the
    // in-process tests'; here, the stored choice drives the real program.
    void aChosenSlideShowStepsThePictures()
    {
        testsupport::TempTree tree;
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path(QLatin1String(name))));
        ProgramProcess program;
        program.prepare(tree.root(), QStringLiteral("OP2"));
        testsupport::writeSettings(program.configDir(), {{"Extras", "SlideShow", "3"}});
        QVERIFY(program.start({}, {tree.root()}));
        const QStringList names = {QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg")};
        QCOMPARE(titlesInTurn(program, names, 2, 15000), (QStringList{names[0], names[1]}));
    }
};

QTEST_GUILESS_MAIN(ExtrasTest)
#include "tst_extras.moc"
