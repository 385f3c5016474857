#include "platform/displayconnect.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace displayconnect {
namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::mutex heldLock; // Qt's threads may speak while it connects
QList<HeldMessage> heldMessages;

QByteArray describe(const char* variable)
{
    const QByteArray value = qgetenv(variable);
    return variable + (value.isEmpty() ? QByteArray(" unset") : "=\"" + value + '"');
}

// Qt's first word on the failure (its fatal text lists every plugin).
QString firstReason(const QString& fatal)
{
    for (const HeldMessage& held : std::as_const(heldMessages)) {
        if (held.category.startsWith("qt.qpa"))
            return held.text;
    }
    return fatal.section(u'\n', 0, 0);
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const std::lock_guard<std::mutex> hold(heldLock);
    if (type != QtFatalMsg) {
        heldMessages.append({type, QByteArray(context.category), text});
        return;
    }
    const QByteArray line = "duvavazoruzevaz: no display to show the windows on (" + describe("DISPLAY") + ", " +
                            describe("WAYLAND_DISPLAY") + "): " +
                            firstReason(text).simplified().toLocal8Bit() + '\n';
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
    ::_exit(1);
}

} // namespace

bool choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb" : "xcb;wayland");
    return true;
}

ConnectGuard::ConnectGuard()
{
    previousHandler = qInstallMessageHandler(holdMessage);
}

ConnectGuard::~ConnectGuard()
{
    qInstallMessageHandler(previousHandler);
    QList<HeldMessage> said;
    {
        const std::lock_guard<std::mutex> hold(heldLock);
        said = std::exchange(heldMessages, {});
    }
    for (const HeldMessage& held : said) {
        const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
        qt_message_output(held.type, context, held.text);
    }
}

} // namespace displayconnect
