#include "app/benchhook.h"

#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <unistd.h>

void exitWhenShownIfAsked(QWidget* window)
{
    if (!qEnvironmentVariableIsSet("DVZ_EXIT_WHEN_SHOWN"))
        return;
    auto* poll = new QTimer(window);
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, window, [window] {
        if (window->windowHandle() && window->windowHandle()->isExposed())
            ::_exit(0);
    });
    poll->start();
}
