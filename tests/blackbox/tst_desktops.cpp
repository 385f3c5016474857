// The windows on the desktops users run: a panel, a loaded machine, two
// monitors, a Wayland session offering X.
#include "support/desktop.h"
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QImage>
#include <QTest>
#include <map>

using testsupport::Background;
using testsupport::key;
using testsupport::ProgramProcess;
using testsupport::run;

namespace {

const QString kMainTitle = QStringLiteral("DuvavazorUzevaz");

// Up once it is running and its check window exists (a window manager
// killed before leaves the root's property naming a window that is gone).
bool waitForWindowManager(const Background& windowManager)
{
    const auto checkWindow = [](const QStringList& where) {
        const QString said = run(QStringLiteral("xprop"), where + QStringList{QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        return said.contains(QStringLiteral("window id")) ? said.section(u' ', -1).trimmed() : QString();
    };
    return testsupport::waitFor([&] {
        QTest::qWait(100);
        const QString window = checkWindow({QStringLiteral("-root")});
        return windowManager.running() && !window.isEmpty() && checkWindow({QStringLiteral("-id"), window}) == window;
    }, 10000);
}

// Sets environment variables (an empty value removes one) while it lives.
class EnvironmentChange {
public:
    explicit EnvironmentChange(const std::map<QByteArray, QByteArray>& values)
    {
        for (const auto& [name, value] : values) {
            previous_[name] = qgetenv(name.constData());
            value.isEmpty() ? qunsetenv(name.constData()) : qputenv(name.constData(), value);
        }
    }
    ~EnvironmentChange()
    {
        for (const auto& [name, value] : previous_)
            value.isEmpty() ? qunsetenv(name.constData()) : qputenv(name.constData(), value);
    }

private:
    std::map<QByteArray, QByteArray> previous_;
};

QImage screenshot()
{
    const QString file = QDir::temp().filePath(QStringLiteral("dvz-desktops-%1.png").arg(QCoreApplication::applicationPid()));
    run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
    QImage shot(file);
    QFile::remove(file);
    return shot;
}

// The bounding box of what is not black within the area.
QRect litArea(const QImage& shot, const QRect& area)
{
    QRect lit;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(shot.pixel(x, y)) > 24)
                lit |= QRect(x, y, 1, 1);
    return lit;
}

// The window with that title, its outer rectangle once it is the one asked
// (else the last one seen, for the failure's message).
QRect settledAt(ProgramProcess& program, const QString& title, const QRect& outer)
{
    QRect seen;
    testsupport::waitFor([&] {
        QTest::qWait(100);
        seen = program.outerGeometry(program.waitForWindow(title, 2000));
        return seen == outer;
    }, 15000); // a window manager on a busy machine takes seconds
    return seen;
}

// F11 in the window with that title, until its client area covers the area.
bool goesFullScreen(ProgramProcess& program, const QString& title, const QRect& screen)
{
    const auto client = [&] { return program.windowGeometry(program.waitForWindow(title, 2000)); };
    for (int press = 0; press < 2; ++press) { // a key sent while the window manager is busy can be lost
        key(program.waitForWindow(title), QStringLiteral("F11"));
        if (testsupport::waitFor([&] { QTest::qWait(100); return client() == screen; }, 6000))
            return true;
    }
    return false;
}

bool windowManagerHasItFullScreen(const QString& windowId)
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), windowId, QStringLiteral("_NET_WM_STATE")})
        .contains(QStringLiteral("_NET_WM_STATE_FULLSCREEN"));
}

// Starts the program on a folder of clips: the video window's X id once it
// opens right of the main window at the top of the area (empty otherwise).
QString videoBesideTheMainWindow(ProgramProcess& program, const QString& folder, const QString& title, int top)
{
    if (!program.start({}, {folder}))
        return {};
    const QRect main = program.outerGeometry(program.waitForWindow(kMainTitle));
    const QString video = program.waitForWindow(title);
    return !video.isEmpty() && program.outerGeometry(video).topLeft() == QPoint(main.right() + 1, top) ? video
                                                                                                       : QString();
}

} // namespace

class DesktopsTest : public QObject {
    Q_OBJECT
private slots:
    void panelKeepsWindowsInTheWorkAreaAndFullScreenCoversIt()
    {
        Background openbox(QStringLiteral("openbox"));
        QVERIFY(waitForWindowManager(openbox));
        testsupport::Panel panel(40);
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("a.jpg")));
        QVERIFY(QFile::copy(testsupport::fixture("long.mpg"), tree.path("clip.mpg")));
        const QRect screen(0, 0, 1280, 1024);
        {
            ProgramProcess program;
            QVERIFY(program.start({}, {tree.path("a.jpg")}));
            const QRect main = program.outerGeometry(program.waitForWindow(kMainTitle));
            QCOMPARE(main.topLeft(), QPoint(0, 0));
            const QRect abovePanel(QPoint(main.right() + 1, 0), QPoint(1279, 1023 - 40));
            QCOMPARE(settledAt(program, QStringLiteral("a.jpg"), abovePanel), abovePanel);
            QVERIFY(goesFullScreen(program, QStringLiteral("a.jpg"), screen));
            // Drawn in the middle of the screen, over the panel.
            QRect picture;
            QVERIFY2(testsupport::waitFor([&] {
                QTest::qWait(200);
                picture = litArea(screenshot(), screen);
                return qAbs(picture.center().x() - screen.center().x()) <= 1 &&
                       qAbs(picture.center().y() - screen.center().y()) <= 1;
            }), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(picture.x()).arg(picture.y()).arg(picture.width()).arg(picture.height())));
        }
        {
            ProgramProcess program;
            QVERIFY(!videoBesideTheMainWindow(program, tree.root(), QStringLiteral("clip.mpg"), 0).isEmpty());
            QVERIFY(goesFullScreen(program, QStringLiteral("clip.mpg"), screen));
            // The strips beside the clip are black, as a full-screen player's are.
            QVERIFY(testsupport::waitFor([&] {
                QTest::qWait(200);
                const QImage shot = screenshot();
                return shot.pixel(1, 512) == qRgb(0, 0, 0) && shot.pixel(1278, 512) == qRgb(0, 0, 0);
            }));
        }
    }

    // Going full screen hides the window and shows it again as a normal
    // window. A window manager that lets go of the old showing late must not
    // take the new one's full-screen state with it; a held F11 changes the
    // window once.
    void fullScreenOutlastsASlowWindowManagerAndAHeldKey()
    {
        Background openbox(QStringLiteral("openbox"));
        QVERIFY(waitForWindowManager(openbox));
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("a.jpg")));
        ProgramProcess program;
        QVERIFY(program.start({}, {tree.path("a.jpg")}));
        const QRect main = program.outerGeometry(program.waitForWindow(kMainTitle));
        const QRect normal(QPoint(main.right() + 1, 0), QPoint(1279, 1023));
        QCOMPARE(settledAt(program, QStringLiteral("a.jpg"), normal), normal);
        const QString picture = program.waitForWindow(QStringLiteral("a.jpg"));

        openbox.setPaused(true);
        key(picture, QStringLiteral("F11"));
        QTest::qWait(300); // long enough for the program to show the window again
        openbox.setPaused(false);
        QVERIFY(testsupport::waitFor([&] { QTest::qWait(100); return windowManagerHasItFullScreen(picture); }, 15000));

        // Held for 0.7 s: the key repeats 0.2 s after the press, then once a second.
        run(QStringLiteral("xset"), {QStringLiteral("r"), QStringLiteral("rate"), QStringLiteral("200"), QStringLiteral("1")});
        run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), picture});
        run(QStringLiteral("xdotool"), {QStringLiteral("keydown"), QStringLiteral("F11")});
        QTest::qWait(700);
        run(QStringLiteral("xdotool"), {QStringLiteral("keyup"), QStringLiteral("F11")});
        run(QStringLiteral("xset"), {QStringLiteral("r"), QStringLiteral("rate")});
        QCOMPARE(settledAt(program, QStringLiteral("a.jpg"), normal), normal);
        QTest::qWait(500);
        QVERIFY(!windowManagerHasItFullScreen(picture));
    }

    void everyFrameOnTheScreenOfABusyMachine()
    {
        Background openbox(QStringLiteral("openbox"));
        QVERIFY(waitForWindowManager(openbox));
        testsupport::BusyMachine busy;
        testsupport::TempTree tree;
        for (const char* name : {"a.mpg", "b.mpg"})
            QVERIFY(QFile::copy(testsupport::fixture("long.mpg"), tree.path(QLatin1String(name))));
        testsupport::TempTree pictures;
        for (const char* name : {"a.jpg", "b.jpg"})
            QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), pictures.path(QLatin1String(name))));
        const int starts = 10;
        for (int i = 0; i < starts; ++i) {
            ProgramProcess program; // "Open with" a folder
            QVERIFY(program.start({}, {tree.root()}));
            const QRect main = program.outerGeometry(program.waitForWindow(kMainTitle));
            QVERIFY(!program.waitForWindow(QStringLiteral("a.mpg")).isEmpty());
            const QString video = program.waitForWindow(QStringLiteral("a.mpg"));
            QVERIFY(testsupport::waitFor([&] {
                QTest::qWait(100);
                return program.outerGeometry(video).topLeft() == QPoint(main.right() + 1, 0);
            }, 5000));
        }
        for (int i = 0; i < starts; ++i) {
            ProgramProcess program; // a picture that is not the folder's first
            QVERIFY(program.start({}, {pictures.path("b.jpg")}));
            const QRect main = program.outerGeometry(program.waitForWindow(kMainTitle));
            const QRect beside(QPoint(main.right() + 1, 0), QPoint(1279, 1023));
            QCOMPARE(settledAt(program, QStringLiteral("b.jpg"), beside), beside);
        }
    }

    void twoMonitorsOpenOnThePrimary()
    {
        testsupport::OwnXServer server(QSize(2560, 1024));
        QVERIFY(server.running());
        // The primary monitor right of a secondary one.
        const QRect primary(1280, 0, 1280, 1024);
        QVERIFY(testsupport::setMonitors({primary, QRect(0, 0, 1280, 1024)}));
        Background openbox(QStringLiteral("openbox"));
        QVERIFY(waitForWindowManager(openbox));
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("a.jpg")));
        QVERIFY(QFile::copy(testsupport::fixture("long.mpg"), tree.path("clip.mpg")));
        {
            ProgramProcess program;
            QVERIFY(program.start({}, {tree.path("a.jpg")}));
            const QRect main = program.outerGeometry(program.waitForWindow(kMainTitle));
            QCOMPARE(main.topLeft(), primary.topLeft());
            const QRect beside(QPoint(main.right() + 1, 0), primary.bottomRight());
            QCOMPARE(settledAt(program, QStringLiteral("a.jpg"), beside), beside);
            QVERIFY(goesFullScreen(program, QStringLiteral("a.jpg"), primary));
        }
        {
            ProgramProcess program;
            QVERIFY(!videoBesideTheMainWindow(program, tree.root(), QStringLiteral("clip.mpg"), primary.top()).isEmpty());
        }
    }

    void xOnAWaylandSession()
    {
        testsupport::WaylandSession session;
        QVERIFY(session.running());
        QVERIFY(testsupport::waitFor([&] { return !session.xDisplay().isEmpty(); }));
        // A Wayland session as GNOME's, with X offered through Xwayland.
        EnvironmentChange environment({{"DISPLAY", session.xDisplay().toUtf8()},
                                       {"WAYLAND_DISPLAY", session.waylandDisplay().toUtf8()},
                                       {"XDG_RUNTIME_DIR", session.runtimeDir().toUtf8()},
                                       {"XDG_SESSION_TYPE", "wayland"},
                                       {"QT_QPA_PLATFORM", {}}});
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("a.jpg")));
        ProgramProcess program;
        QVERIFY(program.start({}, {tree.path("a.jpg")}));
        // The windows are X windows, which GNOME and KDE let a program place.
        const QString main = program.waitForWindow(kMainTitle);
        QVERIFY(!main.isEmpty());
        const QString pictures = program.waitForWindow(QStringLiteral("a.jpg"));
        QVERIFY(!pictures.isEmpty());
        // The compositor places them as it likes (weston ignores the place
        // asked for, and on a busy machine may frame a window before Qt can
        // learn the frame's size): the window starts on the screen and asks
        // for no more than the screen.
        const QRect screen(0, 0, 1280, 1024);
        QRect placed;
        QVERIFY2(testsupport::waitFor([&] {
            QTest::qWait(100);
            placed = program.outerGeometry(pictures);
            return screen.contains(placed.topLeft()) && screen.contains(QRect(QPoint(), placed.size()));
        }, 20000), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height())));
    }

    // An X display that refuses: Wayland where the session has it, else one
    // line and status 1 (Qt alone aborted with a core dump).
    void aDisplayThatRefusesLeavesWaylandOrOneLine()
    {
        testsupport::WaylandSession session;
        QVERIFY(session.running());
        const QByteArray noX = ":" + QByteArray::number(7000 + ::getpid() % 1000);
        {
            EnvironmentChange environment({{"DISPLAY", noX}, {"WAYLAND_DISPLAY", {}}, {"QT_QPA_PLATFORM", {}}});
            ProgramProcess program;
            QVERIFY(program.start());
            QVERIFY(program.waitForExit(10000));
            QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.process().exitCode(), 1);
            const QByteArray said = program.errorOutput();
            QVERIFY2(said.startsWith("duvavazoruzevaz: no display") && said.count('\n') == 1, said.constData());
        }
        EnvironmentChange environment({{"DISPLAY", noX},
                                       {"WAYLAND_DISPLAY", session.waylandDisplay().toUtf8()},
                                       {"XDG_RUNTIME_DIR", session.runtimeDir().toUtf8()},
                                       {"WAYLAND_DEBUG", "client"},
                                       {"QT_QPA_PLATFORM", {}}});
        ProgramProcess program;
        QVERIFY(program.start());
        // The main window reached the compositor.
        QVERIFY(testsupport::waitFor([&] { return program.errorOutput().contains("set_title(\"DuvavazorUzevaz\")"); }, 10000));
    }
};

QTEST_GUILESS_MAIN(DesktopsTest)
#include "tst_desktops.moc"
