#include "mainwindow/mainwindow.h"
#include "list/listview.h"
#include "search/dirlist.h"
#include "search/folderlisting.h"
#include "search/folderwalk.h"
#include "search/listingsahead.h"
#include "search/searchcommand.h"
#include "search/typefilter.h"
#include "support/testsupport.h"

#include <QDeadlineTimer>
#include <QRadioButton>
#include <QSettings>
#include <QThread>
#include <QTest>
#include <functional>
#include <set>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::TempTree;
using testsupport::TestProgram;

namespace {

// Runs the program's walk over the tree, as a search does before presenting.
QStringList walk(Application& app, const QByteArray& root)
{
    ListView& list = *app.mainWindow().fileList;
    list.clearRows();
    app.search().walkWithFilter(root);
    QStringList names;
    for (int i = 1; i <= list.count(); ++i)
        names << list.rowText(i);
    return names;
}

QStringList rowTexts(ListView& list, int row)
{
    return {list.rows().text(row - 1, 0), list.rows().text(row - 1, 1), list.rows().text(row - 1, 2)};
}

} // namespace

class WalkTest : public QObject {
    Q_OBJECT
private slots:
    void backslashRule()
    {
        using folderlisting::AddBackslash;
        QCOMPARE(AddBackslash("/music"), QByteArray("/music/"));
        QCOMPARE(AddBackslash("/"), QByteArray("/"));
        QCOMPARE(AddBackslash(QByteArray()), QByteArray("/"));
        QCOMPARE(folderlisting::joinPath("/", "a.avi"), QByteArray("/a.avi"));
        QCOMPARE(folderlisting::joinPath("/音楽", "a.avi"), QByteArray("/音楽/a.avi"));
    }

    void wildcardRule_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("upper") << "SONG.MP3" << "*.MP3" << true;
        QTest::newRow("double extension") << "SONG.MP3.TXT" << "*.MP3" << false;
        QTest::newRow("only extension") << ".MP3" << "*.MP3" << true;
        QTest::newRow("wav is not wave") << "CLIP.WAV" << "*.WAVE" << false;
        QTest::newRow("wave") << "CLIP.WAVE" << "*.WAVE" << true;
        QTest::newRow("mpeg is not mpg") << "SONG.MPEG" << "*.MPG" << false;
        QTest::newRow("star in the middle") << "ABCXYZ" << "A*Z" << true;
        QTest::newRow("two stars") << "A.B.C" << "*.*" << true;
        QTest::newRow("literal") << "FILE" << "FILE" << true;
        QTest::newRow("backtracking") << "AXBXC" << "*X*C" << true;
        QTest::newRow("no extension") << "MP3" << "*.MP3" << false;
        QTest::newRow("empty extension") << "CLIP." << "*." << true;
        QTest::newRow("Japanese name") << "第１話.MP4" << "*.MP4" << true;
        QTest::newRow("full-width extension") << "第１話.ＭＰ４" << "*.ＭＰ４" << true;
        QTest::newRow("a star after the dot") << "CLIP.MP4" << "*.M*" << true;
    }
    // The rule itself, and the set of patterns a walk uses (which looks
    // "*.EXT" patterns up by the name's extension): both agree, whatever
    // the case of the name.
    void wildcardRule()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(wildcardMatch(name, pattern), matches);
        const PatternSet patterns({QStringLiteral("*.NEVER"), pattern.toLower()});
        QCOMPARE(patterns.fits(name.toUtf8()), matches);
        QCOMPARE(patterns.fits(name.toLower().toUtf8()), matches);
    }

    void filterAdmitsCheckedTypesOfTheMode()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({"SONG.MP3", "b/song.mp3", "c/Song.Mp3", "song.mp3.txt", ".mp3", "clip.wav", "clip.wave",
                     "photo.jpg", "Live.mp3/inside.mpeg"});
        QStringList rows = walk(*program.app, tree.nativeRoot());
        QCOMPARE(rows, QStringList({".mp3", "clip.wave", "Live.mp3", "SONG.MP3", "song.mp3", "Song.Mp3", "inside.mpeg"}));
        QCOMPARE(program.app->search().foundCount(), 7L);
        ListView& list = *program.app->mainWindow().fileList;
        QCOMPARE(rowTexts(list, 3), QStringList({"Live.mp3", "フォルダ", tree.root() + "/"}));
        QCOMPARE(list.fullPath(7), QFile::encodeName(tree.path("Live.mp3/inside.mpeg")));

        program.app->mainWindow().pictureModeOption->setChecked(true);
        QCOMPARE(walk(*program.app, tree.nativeRoot()), QStringList({"photo.jpg"}));
    }

    void rowsShowSizesInKilobytes()
    {
        TestProgram program;
        TempTree tree;
        const QList<std::pair<const char*, qint64>> files = {{"a0.mp3", 0},    {"a1.mp3", 1},          {"a2.mp3", 1024},
                                                             {"a3.mp3", 1025}, {"a4.mp3", 1048576},    {"a5.mp3", 5LL << 30}};
        for (const auto& [name, size] : files)
            tree.add(QLatin1String(name), size);
        walk(*program.app, tree.nativeRoot());
        ListView& list = *program.app->mainWindow().fileList;
        const QStringList sizes = {"0KB", "1KB", "1KB", "2KB", "1024KB", "5242880KB"};
        for (int i = 0; i < sizes.size(); ++i)
            QCOMPARE(list.rows().text(i, 1), sizes[i]);
    }

    void walksFoldersAfterTheirParentsEntries()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({"a1.mp3", "B/b1.mp3", "a2.mp3", "C/c1.mp3", "C/D/d1.mp3"});
        DirList& folders = *program.app->mainWindow().folderList;
        QVERIFY(folders.setPath(tree.root()));
        QStringList shown;
        QObject::connect(&folders, &DirList::Change, [&] { shown << folders.path(); });
        const QStringList rows = {"a1.mp3", "a2.mp3", "b1.mp3", "c1.mp3", "d1.mp3"};
        QCOMPARE(walk(*program.app, tree.nativeRoot()), rows);
        // The folder list follows the walk, then returns to the folder searched.
        QCOMPARE(shown, QStringList({tree.path("B"), tree.path("C"), tree.path("C/D"), tree.root()}));
        QCOMPARE(folders.path(), tree.root());
        // The held "Dir" writes reached the file when the walk returned.
        QSettings file(program.settingsFile(), QSettings::IniFormat);
        QCOMPARE(file.value("Option/Dir").toString(), tree.root());
        // So a second search walks the same tree.
        QCOMPARE(walk(*program.app, folders.nativePath()), rows);
    }

    void theFileKeepsTheFolderChosenWhenTheProgramEndsOrTheFolderGoesMidWalk()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({"top/a/x.mp3", "top/b/y.mp3"});
        DirList& folders = *program.app->mainWindow().folderList;
        QVERIFY(folders.setPath(tree.path("top")));
        const auto storedDir = [&] {
            return QSettings(program.settingsFile(), QSettings::IniFormat).value("Option/Dir").toString();
        };
        // The close box while the walk is in "a".
        QString storedAtTheEnd;
        auto ending = connect(&folders, &DirList::Change, this, [&] {
            if (folders.path() == tree.path("top/a")) {
                program.app->endNow();
                storedAtTheEnd = storedDir();
            }
        });
        walk(*program.app, folders.nativePath());
        QVERIFY(program.ended);
        QCOMPARE(storedAtTheEnd, tree.path("top"));
        disconnect(ending);

        // The folder searched renamed while the walk is in "a".
        connect(&folders, &DirList::Change, this, [&] {
            if (folders.path() == tree.path("top/a"))
                QVERIFY(QDir(tree.root()).rename("top", "moved"));
        });
        walk(*program.app, folders.nativePath());
        QCOMPARE(storedDir(), tree.path("top"));
    }

    void theKernelsOwnFoldersAreNotEntered()
    {
        TestProgram program;
        int entered = 0;
        connect(program.app->mainWindow().folderList, &DirList::Change, this, [&entered] { ++entered; });
        for (const char* pseudo : {"/proc/self", "/sys", "/proc"})
            QVERIFY2(walk(*program.app, pseudo).isEmpty(), pseudo);
        QCOMPARE(entered, 0);
    }

    void listingIsInNaturalOrder()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({"track10.mp3", "Track2.mp3", "track1.mp3", "アニメ.mp3"});
        QCOMPARE(walk(*program.app, tree.nativeRoot()),
                 QStringList({"track1.mp3", "Track2.mp3", "track10.mp3", "アニメ.mp3"}));
        // Full-width digits are digits; half-width katakana sort with full-width.
        TempTree japanese;
        japanese.addAll({"第10話.mp3", "第３話.mp3", "第2話.mp3", "第１話.mp3", "ｱﾆﾒ2.mp3", "アニメ1.mp3", "アニメ3.mp3"});
        QCOMPARE(walk(*program.app, japanese.nativeRoot()),
                 QStringList({"アニメ1.mp3", "ｱﾆﾒ2.mp3", "アニメ3.mp3", "第１話.mp3", "第2話.mp3", "第３話.mp3", "第10話.mp3"}));
        // The CJK marks that fold to other characters (〶 to 〒, 〸 to 十)
        // sort as those, among names that otherwise need no folding.
        TempTree marks;
        marks.addAll({"〒1.mp3", "〶2.mp3", "〒3.mp3", "十1.mp3", "〸2.mp3", "十3.mp3"});
        QCOMPARE(walk(*program.app, marks.nativeRoot()),
                 QStringList({"〒1.mp3", "〶2.mp3", "〒3.mp3", "十1.mp3", "〸2.mp3", "十3.mp3"}));
    }

    void cancelBeforeTheWalkListsNothing()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({"a.mp3", "sub/b.mp3"});
        const QString before = program.app->mainWindow().folderList->path();
        program.app->search().requestCancel();
        QVERIFY(walk(*program.app, tree.nativeRoot()).isEmpty());
        QCOMPARE(program.app->mainWindow().folderList->path(), before);
    }

    void cancelDuringTheSecondSubfolderFinishesItsListingOnly()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({"s1/a.mp3", "s2/b1.mp3", "s2/b2.mp3", "s2/deeper/c.mp3", "s3/d.mp3"});
        DirList& folders = *program.app->mainWindow().folderList;
        // The user's Cancel arrives while the second subfolder is being listed.
        connect(&folders, &DirList::Change, this, [&] {
            if (folders.path() == tree.path("s2"))
                program.app->search().requestCancel();
        });
        QCOMPARE(walk(*program.app, tree.nativeRoot()), QStringList({"a.mp3", "b1.mp3", "b2.mp3"}));
    }

    void hiddenEntriesAreFound()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({".hidden.mp3", ".secret/x.mp3", "..x/y.mp3"});
        QCOMPARE(walk(*program.app, tree.nativeRoot()), QStringList({".hidden.mp3", "y.mp3", "x.mp3"}));
    }

    // A folder of many names fills the read-ahead by itself: what lies
    // beyond it is read when the walk comes near, not while it waits.
    void theReadAheadHoldsAtMostSoManyNames()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({"a/s/1.mp3", "b/2.mp3"});
        const QByteArray many = QFile::encodeName(tree.path("a"));
        for (size_t i = 0; i <= ListingsAhead::kMaxEntriesAhead; ++i) {
            const int fd = ::open((many + "/n" + QByteArray::number(qulonglong(i)) + ".txt").constData(),
                                  O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0 && ::close(fd) == 0);
        }
        DirList& folders = *program.app->mainWindow().folderList;
        bool held = false;
        connect(&folders, &DirList::Change, this, [&] {
            if (std::exchange(held, true))
                return;
            QThread::msleep(500); // the walk stays at the first folder; the readers go on
            QDir(tree.path("a/s")).removeRecursively();
        });
        QCOMPARE(walk(*program.app, tree.nativeRoot()), QStringList({"2.mp3"}));
    }

    void vanishedAndDanglingEntriesAreSkipped()
    {
        TestProgram program;
        TempTree tree;
        // c is deeper than the readers run ahead: its end is not read when c goes.
        QString deep = QStringLiteral("c");
        for (size_t i = 0; i < ListingsAhead::kMaxAhead + 64; ++i)
            deep += QStringLiteral("/d");
        tree.addAll({"a/1.mp3", "b/2.mp3", deep + "/3.mp3"});
        QVERIFY(::symlink("/no/such/target.mp3", QFile::encodeName(tree.path("dangling.mp3")).constData()) == 0);
        DirList& folders = *program.app->mainWindow().folderList;
        connect(&folders, &DirList::Change, this, [&] {
            if (folders.path() == tree.path("a"))
                QDir(tree.path("c")).removeRecursively();
        });
        QCOMPARE(walk(*program.app, tree.nativeRoot()), QStringList({"1.mp3", "2.mp3"}));
        QCOMPARE(program.app->search().foundCount(), 2L);
    }

    void unreadableFolderContributesNothing()
    {
        if (::geteuid() == 0)
            QSKIP("every folder is readable to root");
        TestProgram program;
        TempTree tree;
        tree.addAll({"locked/a.mp3", "open/b.mp3"});
        QFile::setPermissions(tree.path("locked"), QFileDevice::Permissions());
        QCOMPARE(walk(*program.app, tree.nativeRoot()), QStringList({"b.mp3"}));
        QFile::setPermissions(tree.path("locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void linkLoopsEnd()
    {
        TestProgram program;
        TempTree tree;
        tree.addAll({"a/song.mp3"});
        QVERIFY(::symlink("..", QFile::encodeName(tree.path("a/up")).constData()) == 0);
        QVERIFY(::symlink(".", QFile::encodeName(tree.path("a/self")).constData()) == 0);
        const QStringList rows = walk(*program.app, tree.nativeRoot());
        QCOMPARE(rows.count(QStringLiteral("song.mp3")), 1);
    }

    void linkedFoldersAreEnteredOnceSoEveryWalkEnds()
    {
        // Each folder links twice to the next one: entered by every path,
        // 2^24 folders would be walked (the shape of /sys).
        TempTree tree;
        const int depth = 24;
        for (int i = 0; i < depth; ++i) {
            tree.add(QStringLiteral("d%1/clip.mp3").arg(i));
            for (const char* link : {"/p", "/q"})
                QVERIFY(::symlink(QFile::encodeName(QStringLiteral("../d%1").arg(i + 1)).constData(),
                                  QFile::encodeName(tree.path(QStringLiteral("d%1").arg(i)) + link).constData()) == 0);
        }
        bool cancel = false;
        QDeadlineTimer deadline(10000);
        QList<QByteArray> entered;
        int rows = 0;
        const auto everything = std::make_shared<const PatternSet>(QStringList{"*"});
        WalkContext context{
            cancel,
            [&](const QByteArray& folder) { entered << folder; },
            [&] { return everything; },
            [&](const QByteArray&, const QByteArray&, qint64) { ++rows; },
            [&] { cancel = cancel || deadline.hasExpired(); },
        };
        WalkFolder(tree.nativeRoot(), context);
        QVERIFY2(!cancel, "the walk did not end within 10 s");
        QCOMPARE(entered.size(), depth + 1);
        QCOMPARE(entered.first(), tree.nativeRoot() + '/');
        // Every entry but the last folder's two links, which lead nowhere.
        QCOMPARE(rows, depth + depth * 3 - 2);
    }

    // The readers list folders side by side and run ahead of the walk:
    // folders are still entered, and rows made, in the walk's own order,
    // links and loops included, and a cancel stops it between folders.
    void readersKeepTheWalksOrder()
    {
        TempTree tree;
        for (int a = 0; a < 6; ++a)
            for (int b = 0; b < 12; ++b)
                tree.addAll({QStringLiteral("d%1/e%2/clip%2.mpg").arg(a).arg(b), QStringLiteral("d%1/e%2/x/y.txt").arg(a).arg(b)});
        QVERIFY(::symlink("../d0", QFile::encodeName(tree.path("d5/back")).constData()) == 0);
        const auto everything = std::make_shared<const PatternSet>(QStringList{"*"});
        const auto walkUntil = [&](int cancelAfter) {
            bool cancel = false;
            QList<QByteArray> seen;
            WalkContext context{
                cancel,
                [&](const QByteArray& folder) {
                    seen << "enter " + folder;
                    cancel = cancel || seen.size() >= cancelAfter;
                },
                [&] { return everything; },
                [&](const QByteArray& folder, const QByteArray& name, qint64) { seen << folder + name; },
                [] {},
            };
            WalkFolder(tree.nativeRoot(), context);
            return seen;
        };
        QList<QByteArray> expected;
        std::set<std::pair<quint64, quint64>> entered;
        std::function<void(const QByteArray&)> walkOneByOne = [&](const QByteArray& folder) {
            struct stat st;
            if (::stat(folder.constData(), &st) != 0 || !entered.insert({st.st_dev, st.st_ino}).second)
                return;
            expected << "enter " + folder;
            std::vector<folderlisting::Entry> entries;
            QVERIFY(folderlisting::list(folder, entries));
            QList<QByteArray> subfolders;
            for (const folderlisting::Entry& entry : entries) {
                expected << folder + entry.name;
                if (folderlisting::isFolder(folder + entry.name))
                    subfolders << folder + entry.name + '/';
            }
            for (const QByteArray& subfolder : subfolders)
                walkOneByOne(subfolder);
        };
        walkOneByOne(tree.nativeRoot() + '/');
        QCOMPARE(expected.count(QByteArray("enter ") + tree.nativeRoot() + "/d0/"), 1);
        QCOMPARE(walkUntil(1000000), expected);
        const QList<QByteArray> cancelled = walkUntil(40);
        QVERIFY(cancelled.size() < expected.size());
        QCOMPARE(cancelled, expected.first(cancelled.size()));
        QVERIFY(expected[cancelled.size()].startsWith("enter ")); // the last folder was listed to its end
    }

    // The user may change the checked types while a walk runs: folders the
    // readers matched by the old ones ahead of time are matched again.
    void typesChangedMidWalkApplyFromTheNextEvents()
    {
        TempTree tree;
        for (int a = 0; a < 40; ++a)
            tree.addAll({QStringLiteral("d%1/clip.mpg").arg(a), QStringLiteral("d%1/notes.txt").arg(a)});
        const auto clips = std::make_shared<const PatternSet>(QStringList{"*.mpg"});
        const auto notes = std::make_shared<const PatternSet>(QStringList{"*.txt"});
        std::shared_ptr<const PatternSet> checked = clips;
        bool cancel = false;
        int eventRuns = 0;
        QList<QByteArray> rows;
        WalkContext context{
            cancel,
            [](const QByteArray&) { QTest::qSleep(kMaxPauseMs + 1); }, // so events run at every folder
            [&] { return checked; },
            [&](const QByteArray&, const QByteArray& name, qint64) { rows << name; },
            [&] {
                if (++eventRuns == 20)
                    checked = notes;
            },
        };
        WalkFolder(tree.nativeRoot(), context);
        const qsizetype firstNote = rows.indexOf("notes.txt");
        QVERIFY2(firstNote > 5 && firstNote < 35, qPrintable(QString::number(firstNote)));
        QCOMPARE(rows.count("clip.mpg"), firstNote);
        QCOMPARE(rows.size() - firstNote, rows.count("notes.txt"));
    }

    void nonUtf8NamesKeepTheirBytes()
    {
        TestProgram program;
        TempTree tree;
        const QByteArray shiftJis("\x8b\xc8.mp3"); // "曲.mp3" in Shift-JIS
        tree.addBytes("\x83\x5f/" + shiftJis, 2048);
        walk(*program.app, tree.nativeRoot());
        ListView& list = *program.app->mainWindow().fileList;
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.rowText(1), QStringLiteral("曲.mp3"));
        QCOMPARE(list.fullPath(1), tree.nativeRoot() + "/\x83\x5f/" + shiftJis);
        QVERIFY(QFile::exists(QFile::decodeName(list.fullPath(1))) || ::access(list.fullPath(1).constData(), F_OK) == 0);
    }

    void deepTreesDoNotOverflow()
    {
        TestProgram program;
        TempTree tree;
        QString deep;
        for (int i = 0; i < 1500; ++i)
            deep += QStringLiteral("d/");
        tree.add(deep + QStringLiteral("bottom.mp3"));
        QCOMPARE(walk(*program.app, tree.nativeRoot()), QStringList({"bottom.mp3"}));
    }
};

QTEST_MAIN(WalkTest)
#include "tst_walk.moc"
