#include "app/aboutwindow.h"
#include "app/application.h"
#include "app/closesignals.h"
#include "app/mainwindow.h"

#include <QApplication>
#include <clocale>

int main(int argc, char* argv[])
{
    QApplication qt(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // libmpv refuses to start under other numeric locales
    QApplication::setApplicationName(QStringLiteral("duvaVazorUzevaz"));
    QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
    QApplication::setWindowIcon(programIcon());
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    Application app({});
    app.start();
    closeWindowOnSignals(&app.form1());
    return qt.exec();
}
