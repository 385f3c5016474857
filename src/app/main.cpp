#include "app/aboutwindow.h"
#include "app/application.h"
#include "app/benchhook.h"
#include "app/closesignals.h"
#include "app/commandline.h"
#include "app/mainwindow.h"
#include "platform/deferredicons.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.action != CommandLine::Action::Run) {
        std::fputs(line.text.toLocal8Bit().constData(), line.action == CommandLine::Action::Fail ? stderr : stdout);
        return line.action == CommandLine::Action::Fail ? 2 : 0;
    }
    // The menu bar belongs to the window's fixed layout, so it stays in the
    // window even where the desktop offers a global menu.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication qt(argc, argv);
    QApplication::setStyle(new DeferredIconStyle);
    QApplication::setApplicationName(QStringLiteral("duvaVazorUzevaz"));
    QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    Application app({});
    app.start();
    closeWindowOnSignals(&app.mainWindow());
    exitWhenShownIfAsked(&app.mainWindow());
    exitWhenPlayingIfAsked(app);
    setWindowIconAfterFirstPaint(&app.mainWindow());
    if (!line.target.isEmpty())
        QTimer::singleShot(0, &app, [&app, target = line.target] { app.openFromOutside(target); });
    return qt.exec();
}
