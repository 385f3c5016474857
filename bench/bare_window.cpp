// The reference for start-up: a bare Qt Widgets program showing one empty
// window of the main window's size (with "--label", one Japanese label in
// it, in the program's font, to show what drawing any text costs).
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication qt(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    QWidget window;
    window.resize(226, 501);
    window.move(0, 0);
    if (qt.arguments().contains(QStringLiteral("--label")))
        new QLabel(QStringLiteral("動画 静止画"), &window);
    window.show();
    if (qEnvironmentVariableIsSet("DVZ_EXIT_WHEN_SHOWN")) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&window] {
            if (window.windowHandle()->isExposed())
                ::_exit(0);
        });
        poll.start(1);
        return qt.exec();
    }
    return qt.exec();
}
