// The windows under a native Wayland session (weston, headless), where the
// compositor places them: each must still fit the screen's available area.
#include "mainwindow/mainwindow.h"
#include "support/desktop.h"
#include "support/testsupport.h"
#include "viewer/picturewindow.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

class WaylandTest : public QObject {
    Q_OBJECT
private slots:
    void windowsFitTheAvailableArea()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        testsupport::TestProgram program;
        MainWindow& main = program.app->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        PictureWindow& pictures = program.app->pictureWindow();
        pictures.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pictures));
        const QRect available = pictures.screen()->availableGeometry();
        const QSize mainOuter = main.frameGeometry().size();
        const QSize outer = pictures.frameGeometry().size();
        QVERIFY2(outer.height() <= available.height() && mainOuter.height() <= available.height(),
                 qPrintable(QStringLiteral("%1 %2").arg(outer.height()).arg(available.height())));
        // Right of the main window wherever a compositor that puts a new
        // window where it covers none (GNOME) put the main window: within
        // half its width of the screen's edge, no lower than the middle.
        const int mainRightmost = mainOuter.width() / 2, mainLowest = (available.height() - mainOuter.height()) / 2;
        QVERIFY2(mainRightmost + mainOuter.width() + outer.width() <= available.width(),
                 qPrintable(QStringLiteral("%1 + %2 > %3").arg(mainOuter.width()).arg(outer.width()).arg(available.width())));
        QVERIFY2(mainLowest + outer.height() <= available.height(),
                 qPrintable(QStringLiteral("%1 + %2 > %3").arg(mainLowest).arg(outer.height()).arg(available.height())));
        // Not so large that GNOME maximizes it over the main window (80 % of
        // the work area, which Qt does not know: a top bar takes 3 %), with
        // room for a panel.
        const double share = double(outer.width()) * outer.height() / (double(available.width()) * available.height());
        QVERIFY2(share <= 0.75, qPrintable(QString::number(share)));
        QVERIFY(outer.height() <= available.height() * 0.9);
    }

    // Full screen changes the window in place: it is never hidden and
    // shown again (a window shown again asks for the focus without the
    // compositor's leave, and GNOME says "… is ready").
    void fullScreenKeepsTheWindow()
    {
        testsupport::TestProgram program;
        PictureWindow& pictures = program.app->pictureWindow();
        pictures.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pictures));
        bool hidden = false;
        connect(pictures.windowHandle(), &QWindow::visibleChanged, this, [&hidden](bool visible) { hidden |= !visible; });
        pictures.toggleFullScreen();
        QVERIFY(testsupport::waitFor([&] { return pictures.windowHandle()->windowStates() & Qt::WindowFullScreen; }));
        pictures.toggleFullScreen();
        QVERIFY(testsupport::waitFor([&] { return !(pictures.windowHandle()->windowStates() & Qt::WindowFullScreen); }));
        QVERIFY(!hidden);
        QVERIFY(pictures.isVisible());
    }
};

// The session starts before the application that connects to it.
int main(int argc, char* argv[])
{
    testsupport::WaylandSession session;
    if (!session.running())
        qFatal("weston did not start");
    qputenv("XDG_RUNTIME_DIR", session.runtimeDir().toUtf8());
    qputenv("WAYLAND_DISPLAY", session.waylandDisplay().toUtf8());
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication qt(argc, argv);
    WaylandTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_wayland.moc"
