#include "help/aboutwindow.h"
#include "app/application.h"
#include "app/benchhook.h"
#include "app/closesignals.h"
#include "app/commandline.h"
#include "desktop/singlecopy.h"
#include "mainwindow/mainwindow.h"
#include "playback/videosurface.h"
#include "platform/deferredicons.h"
#include "platform/displayconnect.h"
#include "platform/leanmemory.h"
#include "desktop/sessionbus.h"

#include <QApplication>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    keepMemoryLean();
    VideoSurface::preferSoftwareDrawingInPlace();
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.action != CommandLine::Action::Run) {
        std::fputs(line.text.toLocal8Bit().constData(), line.action == CommandLine::Action::Fail ? stderr : stdout);
        return line.action == CommandLine::Action::Fail ? 2 : 0;
    }
    sessionbus::refuseAutolaunch();
    // The menu bar belongs to the window's fixed layout, so it stays in the
    // window even where the desktop offers a global menu.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    const bool platformChosen = displayconnect::choosePlatform();
    auto guard = std::make_unique<displayconnect::ConnectGuard>();
    QApplication qt(argc, argv);
    guard.reset();
    if (platformChosen)
        qunsetenv("QT_QPA_PLATFORM"); // not for programs started from here
    if (!line.newInstance && singlecopy::handOver(line.target, SettingsStore::defaultDirectory()))
        return 0;
    QApplication::setStyle(new DeferredIconStyle);
    QApplication::setApplicationName(QStringLiteral("duvaVazorUzevaz"));
    QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.duvavazoruzevaz.Player"));
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    Application app({});
    app.start();
    closeWindowOnSignals(&app.mainWindow());
    exitWhenShownIfAsked(&app.mainWindow());
    exitWhenPlayingIfAsked(app);
    setWindowIconAfterFirstPaint(&app.mainWindow());
    if (!line.target.isEmpty())
        app.openFromOutside(line.target);
    return qt.exec();
}
