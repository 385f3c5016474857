#include "desktop/singlecopy.h"

#include "desktop/sessionbus.h"

#include <QCryptographicHash>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTimer>
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString kObjectPath = QStringLiteral("/org/duvavazoruzevaz/Copy");
const QString kInterface = QStringLiteral("org.duvavazoruzevaz.Copy");
constexpr int kAnswerWaitMs = 2000;
constexpr char kTaken = '1'; // the running copy's answer on the socket

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

bool ownedBy(const struct stat& st, mode_t type)
{
    return (st.st_mode & S_IFMT) == type && st.st_uid == ::geteuid();
}

// A folder only this user can reach: no link, owned by the user, no
// access for the group or others.
bool isPrivateFolder(const QByteArray& folder)
{
    struct stat st;
    return ::lstat(folder.constData(), &st) == 0 && ownedBy(st, S_IFDIR) && (st.st_mode & 077) == 0;
}

bool isOwnSocket(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && ownedBy(st, S_IFSOCK);
}

// No copy answers on a socket file left by one that ended abruptly. A
// busy copy (its queue full) still counts as answering.
bool nobodyAnswers(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool refused = ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 &&
                         errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

bool handOverOnBus(QDBusConnection& bus, const QByteArray& path, const QString& configDirectory)
{
    QDBusMessage call = QDBusMessage::createMethodCall(busName(configDirectory), kObjectPath, kInterface,
                                                       QStringLiteral("Open"));
    call.setAutoStartService(false);
    call << path;
    return bus.call(call, QDBus::Block, kAnswerWaitMs).type() == QDBusMessage::ReplyMessage;
}

// On the socket: the path's bytes and a NUL; the running copy answers
// with one byte once it has taken the path.
bool handOverOnSocket(const QByteArray& path, const QString& configDirectory)
{
    const QString name = singlecopy::socketPath(configDirectory);
    if (name.isEmpty() || !isOwnSocket(name))
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kAnswerWaitMs))
        return false;
    socket.write(path + '\0');
    char answer = 0;
    return socket.waitForReadyRead(kAnswerWaitMs) && socket.getChar(&answer) && answer == kTaken;
}

} // namespace

bool singlecopy::handOver(const QByteArray& path, const QString& configDirectory)
{
    if (path.size() > kMaxPathBytes)
        return false; // no file has such a name: this launch says so itself
    QDBusConnection bus = sessionbus::connection();
    return bus.isConnected() ? handOverOnBus(bus, path, configDirectory) : handOverOnSocket(path, configDirectory);
}

QString singlecopy::privateRuntimeFolder()
{
    QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) {
        folder = QFile::encodeName(QDir::tempPath()) + "/duvavazoruzevaz-" + QByteArray::number(::geteuid());
        ::mkdir(folder.constData(), 0700); // or it is there already: checked below
    }
    return folder.startsWith('/') && isPrivateFolder(folder) ? QFile::decodeName(folder) : QString();
}

QString singlecopy::socketPath(const QString& configDirectory)
{
    const QString folder = privateRuntimeFolder();
    return folder.isEmpty() ? QString()
                            : QDir(folder).filePath(QStringLiteral("duvavazoruzevaz-") + folderKey(configDirectory));
}

CopyService::CopyService(std::function<void(const QByteArray&)> open, std::function<void()> raise, QObject* parent)
    : QObject(parent), open_(std::move(open)), raise_(std::move(raise))
{
}

CopyService::~CopyService()
{
    if (!ownedName_.isEmpty())
        sessionbus::releaseName(bus_, ownedName_);
}

void CopyService::listen(QDBusConnection bus, const QString& configDirectory)
{
    if (!bus.isConnected())
        return listenOnSocket(configDirectory);
    bus_ = bus;
    bus.registerObject(kObjectPath, this, QDBusConnection::ExportAllSlots);
    // When the name is taken, this copy was started on purpose (--new-instance).
    const QString name = busName(configDirectory);
    sessionbus::requestName(bus, name, this, [this, name](bool owned) {
        if (owned)
            ownedName_ = name;
    });
}

void CopyService::listenOnSocket(const QString& configDirectory)
{
    const QString path = singlecopy::socketPath(configDirectory);
    if (path.isEmpty())
        return; // nowhere private: this copy runs on its own
    // No socket options: with them Qt binds elsewhere and renames the
    // socket into place, over a running copy's. The folder is private.
    if (!socket_.listen(path)) {
        // Another copy answering there keeps its socket (this one was
        // started on purpose); a file left by one that ended abruptly goes.
        if (!isOwnSocket(path) || !nobodyAnswers(path))
            return;
        QLocalServer::removeServer(path);
        socket_.listen(path);
    }
    connect(&socket_, &QLocalServer::newConnection, this, &CopyService::acceptClients);
}

void CopyService::acceptClients()
{
    while (QLocalSocket* client = socket_.nextPendingConnection()) {
        // A launch says what it has at once: past the limit, the client
        // that has waited longest goes, so idle clients never lock out the next launch.
        if (clients_.size() >= kMaxClients)
            clients_.takeFirst()->deleteLater();
        clients_.append(client);
        connect(client, &QObject::destroyed, this, [this, client] { clients_.removeOne(client); });
        client->setReadBufferSize(singlecopy::kMaxPathBytes + 1);
        QTimer::singleShot(kClientTimeoutMs, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        auto request = std::make_shared<QByteArray>();
        connect(client, &QLocalSocket::readyRead, this, [this, client, request] { readRequest(client, *request); });
    }
}

void CopyService::readRequest(QLocalSocket* client, QByteArray& request)
{
    request += client->read(singlecopy::kMaxPathBytes + 1 - request.size());
    const qsizetype end = request.indexOf('\0');
    if (end < 0) {
        if (request.size() > singlecopy::kMaxPathBytes)
            client->deleteLater(); // longer than any path
        return;
    }
    QObject::disconnect(client, &QLocalSocket::readyRead, this, nullptr);
    client->write(&kTaken, 1);
    client->disconnectFromServer();
    Open(request.left(end));
    request.clear();
}

void CopyService::Open(const QByteArray& path)
{
    if (path.size() > singlecopy::kMaxPathBytes || path.contains('\0')) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("not a path"));
        return;
    }
    raise_();
    if (!path.isEmpty())
        open_(path);
}
