#include "app/aboutwindow.h"
#include "app/application.h"
#include "app/benchhook.h"
#include "app/closesignals.h"
#include "app/mainwindow.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("duvaVazorUzevaz"));
    QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    Application app({});
    app.start();
    closeWindowOnSignals(&app.mainWindow());
    exitWhenShownIfAsked(&app.mainWindow());
    // Drawing the SVG icon is left until the window is up.
    QTimer::singleShot(0, [] { QApplication::setWindowIcon(programIcon()); });
    return qt.exec();
}
