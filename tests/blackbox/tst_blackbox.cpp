// The built program, started and driven as a user would under X.
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QTest>
#include <csignal>
#include <memory>

using testsupport::key;
using testsupport::ProgramProcess;
using testsupport::run;

namespace {
// The frame a window has around its client area.
QMargins frameOf(ProgramProcess& program, const QString& windowId)
{
    const QRect outer = program.outerGeometry(windowId);
    const QRect client = program.windowGeometry(windowId);
    return {client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
            outer.bottom() - client.bottom()};
}
} // namespace

// Run with and without a window manager (DVZ_WINDOW_MANAGER); sizes and
// places are of the outer (framed) windows either way.
class BlackBoxTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        windowManager = std::make_unique<testsupport::WindowManager>();
        if (qEnvironmentVariableIsSet("DVZ_WINDOW_MANAGER"))
            QVERIFY(windowManager->running());
    }
    void cleanupTestCase() { windowManager.reset(); }

    void startsAtTheTopLeftWithItsDesignSize()
    {
        ProgramProcess program;
        QVERIFY(program.start(QStringLiteral("/")));
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!main.isEmpty());
        const QRect window = program.windowGeometry(main);
        QCOMPARE(program.outerGeometry(main).topLeft(), QPoint(0, 0));
        // The client area is 226 × 478 pixels below the menu bar.
        QCOMPARE(window.width(), 226);
        QVERIFY2(window.height() > 478 + 10 && window.height() < 478 + 40, qPrintable(QString::number(window.height())));
        // The icon follows once the window has been drawn.
        QVERIFY(QTest::qWaitFor([&] {
            return run(QStringLiteral("xprop"), {QStringLiteral("-id"), main, QStringLiteral("_NET_WM_ICON")})
                .contains(QStringLiteral("Icon (16 x 16)"));
        }, 5000));
        // SIGTERM is a close request: the mode is stored and the program ends.
        ::kill(pid_t(program.process().processId()), SIGTERM);
        QVERIFY(program.waitForExit());
        QCOMPARE(program.process().exitCode(), 0);
        QCOMPARE(program.setting(QStringLiteral("OP")), QStringLiteral("OP1"));
    }

    void exitCommandEndsWithoutStoringTheMode()
    {
        ProgramProcess program;
        QVERIFY(program.start());
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!main.isEmpty());
        key(main, QStringLiteral("alt+f"));
        QTest::qWait(300);
        key(main, QStringLiteral("x"));
        QVERIFY(program.waitForExit());
        QCOMPARE(program.setting(QStringLiteral("OP")), QStringLiteral("(NO DATA)"));
    }

    void searchPlaysTheClipsOneAfterAnother()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("short.wave"), tree.path("a.wave")));
        QVERIFY(QFile::copy(testsupport::fixture("short.wave"), tree.path("b.wave")));
        ProgramProcess program;
        const QString main = program.startSearch(tree.root(), QStringLiteral("OP1"));
        QVERIFY(!main.isEmpty());
        const QString video = program.waitForWindow(QStringLiteral("a.wave"));
        QVERIFY(!video.isEmpty());
        QCOMPARE(program.outerGeometry(video).topLeft(), QPoint(program.outerGeometry(main).right() + 1, 0));
        QVERIFY(!program.waitForWindow(QStringLiteral("b.wave")).isEmpty());
        QVERIFY(!program.waitForWindow(QStringLiteral("a.wave")).isEmpty()); // and round again

        // Without a sound device the sound libraries complain once, at the
        // first clip, not at every clip.
        const auto complaints = [&program] {
            const QByteArray printed = program.errorOutput();
            return printed.count('\n') - printed.count("XDG_RUNTIME_DIR");
        };
        const qsizetype afterOneRound = complaints();
        QVERIFY2(afterOneRound <= 10, qPrintable(QString::number(afterOneRound)));
        QVERIFY(!program.waitForWindow(QStringLiteral("b.wave")).isEmpty());
        QVERIFY(!program.waitForWindow(QStringLiteral("a.wave")).isEmpty());
        QCOMPARE(complaints(), afterOneRound);
    }

    void screenSizesCountTheFrame()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("long.mpg"), tree.path("a.mpg")));
        ProgramProcess program;
        const QString main = program.startSearch(tree.root(), QStringLiteral("OP1"));
        QVERIFY(!main.isEmpty());
        const QString video = program.waitForWindow(QStringLiteral("a.mpg"));
        QVERIFY(!video.isEmpty());
        const QMargins frame = frameOf(program, video);
        // The load-time size is the design's client area in its frame.
        const QSize base = QSize(375, 266).grownBy(frame);
        QCOMPARE(program.outerGeometry(video).size(), base);
        // 操作 → 画面サイズ → 50% (no step down), 100% (one), 150% (two).
        const QList<std::pair<int, QSize>> sizes = {{1, base}, {2, base * 1.5}, {0, base / 2}};
        for (const auto& [steps, expected] : sizes) {
            key(main, QStringLiteral("alt+p"));
            QTest::qWait(300);
            key(main, QStringLiteral("Right"));
            QTest::qWait(300);
            for (int i = 0; i < steps; ++i)
                key(main, QStringLiteral("Down"));
            key(main, QStringLiteral("Return"));
            QVERIFY(testsupport::waitFor([&] {
                QTest::qWait(100);
                const QSize now = program.outerGeometry(video).size();
                return qAbs(now.width() - expected.width()) <= 1 && qAbs(now.height() - expected.height()) <= 1;
            }, 3000));
            QCOMPARE(program.outerGeometry(video).topLeft(), QPoint(program.outerGeometry(main).right() + 1, 0));
        }
        // Full screen with F11, back with a double click.
        const QRect normal = program.outerGeometry(video);
        key(video, QStringLiteral("F11"));
        QVERIFY(testsupport::waitFor([&] { QTest::qWait(100); return program.windowGeometry(video) == QRect(0, 0, 1280, 1024); }, 10000));
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("640"), QStringLiteral("300")});
        run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("1")});
        QVERIFY(testsupport::waitFor([&] { QTest::qWait(100); return program.outerGeometry(video) == normal; }));
    }

    void opensAFolderOrFileNamedOnTheCommandLine()
    {
        testsupport::TempTree tree;
        for (const char* name : {"a.mpg", "b.mpg"})
            QVERIFY(QFile::copy(testsupport::fixture("long.mpg"), tree.path(QLatin1String(name))));
        {
            ProgramProcess program;
            QVERIFY(program.start({}, {tree.root()}));
            QVERIFY(!program.waitForWindow(QStringLiteral("a.mpg")).isEmpty()); // searched at once, no key pressed
            QCOMPARE(program.setting(QStringLiteral("Dir")), tree.root());
        }
        {
            ProgramProcess program;
            QVERIFY(program.start({}, {tree.path("b.mpg")}));
            QVERIFY(!program.waitForWindow(QStringLiteral("b.mpg")).isEmpty());
        }
        {
            // A path that does not exist: a message, and the program as without one.
            ProgramProcess program;
            QVERIFY(program.start({}, {tree.path("no-such-folder")}));
            QVERIFY(!program.waitForWindow(QStringLiteral("duvaVazorUzevaz")).isEmpty());
            QVERIFY(!program.waitForWindow(QStringLiteral("DuvavazorUzevaz")).isEmpty());
        }
        for (const char* option : {"--help", "--version"}) {
            QProcess printOnly;
            printOnly.start(qEnvironmentVariable("DVZ_BINARY"), {QLatin1String(option)});
            QVERIFY(printOnly.waitForFinished(5000));
            QCOMPARE(printOnly.exitCode(), 0);
            QVERIFY(printOnly.readAllStandardOutput().contains(option == QLatin1String("--help") ? "Usage:" : "4.5.0"));
        }
    }

    void fullScreenAndKeysInThePictureWindow()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("a.jpg")));
        QVERIFY(QFile::copy(testsupport::fixture("square.gif"), tree.path("b.gif")));
        ProgramProcess program;
        program.prepare(tree.root(), QStringLiteral("OP2"));
        QVERIFY(program.start({}, {tree.root()}));
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        const QString pictures = program.waitForWindow(QStringLiteral("a.jpg"));
        QVERIFY(!pictures.isEmpty());
        const QRect normal = program.outerGeometry(pictures);
        // Going full screen and back may give the window a new X id: it is
        // looked up by its title each time.
        const auto geometryOf = [&](const QString& title) {
            return program.outerGeometry(program.waitForWindow(title, 2000));
        };
        // Full screen is judged by the client area: window managers may
        // keep the old frame's extents on a full-screen window a while.
        const QRect fullScreen(0, 0, 1280, 1024);
        const auto clientOf = [&](const QString& title) {
            return program.windowGeometry(program.waitForWindow(title, 2000));
        };
        key(pictures, QStringLiteral("F11"));
        // A key sent while the window manager is still busy with the new
        // window can be lost: pressed once more if nothing moved at all.
        if (!testsupport::waitFor([&] { return geometryOf(QStringLiteral("a.jpg")) != normal; }, 5000))
            key(program.waitForWindow(QStringLiteral("a.jpg")), QStringLiteral("F11"));
        QVERIFY(testsupport::waitFor([&] { return clientOf(QStringLiteral("a.jpg")) == fullScreen; }, 15000));
        // Keys where the user looks: on and back in the picture window itself.
        key(program.waitForWindow(QStringLiteral("a.jpg")), QStringLiteral("Right"));
        QVERIFY(!program.waitForWindow(QStringLiteral("b.gif")).isEmpty());
        key(program.waitForWindow(QStringLiteral("b.gif")), QStringLiteral("b"));
        QVERIFY(!program.waitForWindow(QStringLiteral("a.jpg")).isEmpty());
        key(program.waitForWindow(QStringLiteral("a.jpg")), QStringLiteral("Escape"));
        QVERIFY(testsupport::waitFor([&] { return geometryOf(QStringLiteral("a.jpg")) == normal; }, 15000));
        QVERIFY(testsupport::waitFor([&] {
            QTest::qWait(100);
            return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}) == main;
        }));
    }

    void spaceStepsThroughThePictures()
    {
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("a.jpg")));
        QVERIFY(QFile::copy(testsupport::fixture("square.gif"), tree.path("b.gif")));
        ProgramProcess program;
        const QString main = program.startSearch(tree.root(), QStringLiteral("OP2"));
        QVERIFY(!main.isEmpty());
        const QString pictures = program.waitForWindow(QStringLiteral("a.jpg"));
        QVERIFY(!pictures.isEmpty());
        // Right of the main window, down to the screen's bottom edge and no further.
        const QRect outer = program.outerGeometry(pictures);
        QCOMPARE(outer.left(), program.outerGeometry(main).right() + 1);
        QCOMPARE(outer.top(), 0);
        QCOMPARE(outer.right(), 1279);
        QCOMPARE(outer.bottom(), 1023);
        key(main, QStringLiteral("space"));
        QVERIFY(!program.waitForWindow(QStringLiteral("b.gif")).isEmpty());
        key(main, QStringLiteral("space"));
        QVERIFY(!program.waitForWindow(QStringLiteral("a.jpg")).isEmpty());
        // The picture window in a screenshot, for a person to look at.
        run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("still-pictures.png")});
    }

private:
    std::unique_ptr<testsupport::WindowManager> windowManager;
};

QTEST_GUILESS_MAIN(BlackBoxTest)
#include "tst_blackbox.moc"
