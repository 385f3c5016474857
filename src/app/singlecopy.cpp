#include "app/singlecopy.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

const QString kObjectPath = QStringLiteral("/org/duvavazoruzevaz/Copy");
const QString kInterface = QStringLiteral("org.duvavazoruzevaz.Copy");
constexpr int kAnswerWaitMs = 2000;
constexpr qint64 kMaxPathBytes = 4096;

// Copies with other settings folders (another user's, a test's) are
// other programs: the folder is part of the name.
QString folderKey(const QString& configDirectory)
{
    const QByteArray folder = QFile::encodeName(QDir(configDirectory).absolutePath());
    return QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(12));
}

QString busName(const QString& configDirectory)
{
    return QStringLiteral("org.duvavazoruzevaz.Copy.s") + folderKey(configDirectory);
}

QString socketPath(const QString& configDirectory)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(runtime).filePath(QStringLiteral("duvavazoruzevaz-") + folderKey(configDirectory));
}

// The session's bus where the session announces one (its address, or the
// user bus in the runtime folder). Without, libdbus would try to start a
// bus of its own (X11 autolaunch): milliseconds of every launch, before
// the window, for a bus no desktop service listens on.
QDBusConnection announcedSessionBus()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool announced = !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
                           (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")));
    return announced ? QDBusConnection::sessionBus() : QDBusConnection(QStringLiteral("no session bus"));
}

bool handOverOnBus(QDBusConnection& bus, const QByteArray& path, const QString& configDirectory)
{
    QDBusMessage call = QDBusMessage::createMethodCall(busName(configDirectory), kObjectPath, kInterface,
                                                       QStringLiteral("Open"));
    call.setAutoStartService(false);
    call << path;
    return bus.call(call, QDBus::Block, kAnswerWaitMs).type() == QDBusMessage::ReplyMessage;
}

// On the socket: the path's bytes, then the end of the connection.
bool handOverOnSocket(const QByteArray& path, const QString& configDirectory)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath(configDirectory));
    if (!socket.waitForConnected(kAnswerWaitMs))
        return false;
    socket.write(path);
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(kAnswerWaitMs);
}

} // namespace

bool singlecopy::handOver(const QByteArray& path, const QString& configDirectory)
{
    QDBusConnection bus = announcedSessionBus();
    return bus.isConnected() ? handOverOnBus(bus, path, configDirectory) : handOverOnSocket(path, configDirectory);
}

CopyService::CopyService(std::function<void(const QByteArray&)> open, std::function<void()> raise, QObject* parent)
    : QObject(parent), open_(std::move(open)), raise_(std::move(raise))
{
}

void CopyService::listen(const QString& configDirectory)
{
    QDBusConnection bus = announcedSessionBus();
    if (!bus.isConnected()) {
        listenOnSocket(configDirectory);
        return;
    }
    bus.registerObject(kObjectPath, this, QDBusConnection::ExportAllSlots);
    // Without waiting: when the name is taken, this copy was started on purpose (--new-instance).
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << busName(configDirectory) << uint(4); // do not queue
    bus.asyncCall(request);
    ownedName_ = busName(configDirectory);
}

CopyService::~CopyService()
{
    if (!ownedName_.isEmpty())
        announcedSessionBus().unregisterService(ownedName_);
}

void CopyService::listenOnSocket(const QString& configDirectory)
{
    const QString path = socketPath(configDirectory);
    socket_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!socket_.listen(path)) {
        // Left by a copy that ended abruptly: no copy answered on it.
        QLocalServer::removeServer(path);
        socket_.listen(path);
    }
    connect(&socket_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = socket_.nextPendingConnection()) {
            auto path = std::make_shared<QByteArray>();
            connect(client, &QLocalSocket::readyRead, this, [client, path] {
                *path += client->read(kMaxPathBytes - path->size());
            });
            connect(client, &QLocalSocket::disconnected, this, [this, client, path] {
                *path += client->read(kMaxPathBytes - path->size());
                client->deleteLater();
                Open(*path);
            });
        }
    });
}

void CopyService::Open(const QByteArray& path)
{
    raise_();
    if (!path.isEmpty())
        open_(path);
}
