#include "desktop/singlecopy.h"

#include "desktop/sessionbus.h"

#include <QCryptographicHash>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <sys/socket.h>
#include <sys/time.h>
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

bool socketAddress(const QByteArray& name, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || name.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    return true;
}

bool connectTo(int socket, const QByteArray& name)
{
    sockaddr_un address;
    return socketAddress(name, address) &&
           ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
}

// No copy answers on a socket file left by one that ended abruptly. A
// busy copy (its queue full) still counts as answering.
bool nobodyAnswers(const QByteArray& name)
{
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool refused = !connectTo(probe, name) && errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

// A socket taking launches at the name, or -1 (errno says why).
int listenAt(const QByteArray& name)
{
    sockaddr_un address;
    if (!socketAddress(name, address)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return -1;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(socket, 16) != 0) {
        const int error = errno;
        ::close(socket);
        errno = error;
        return -1;
    }
    return socket;
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
// with one byte once it has taken the path. Each step waits a moment at most.
bool handOverOnSocket(const QByteArray& path, const QString& configDirectory)
{
    const QString name = singlecopy::socketPath(configDirectory);
    if (name.isEmpty() || !isOwnSocket(name))
        return false;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return false;
    const timeval wait{kAnswerWaitMs / 1000, (kAnswerWaitMs % 1000) * 1000};
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof(wait));
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
    const QByteArray request = path + '\0';
    char answer = 0;
    const bool taken = connectTo(socket, QFile::encodeName(name)) &&
                       ::send(socket, request.constData(), request.size(), MSG_NOSIGNAL) == request.size() &&
                       ::recv(socket, &answer, 1, 0) == 1 && answer == kTaken;
    ::close(socket);
    return taken;
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

// A launch on the socket: what it says is read as it comes, up to a
// path's worth of bytes and its NUL; then it is answered and goes.
class HandOverClient : public QObject {
public:
    HandOverClient(int socket, std::function<void(const QByteArray&)> taken, QObject* parent)
        : QObject(parent), socket_(socket), readable_(socket, QSocketNotifier::Read), taken_(std::move(taken))
    {
        connect(&readable_, &QSocketNotifier::activated, this, &HandOverClient::read);
        QTimer::singleShot(CopyService::kClientTimeoutMs, this, &QObject::deleteLater);
    }
    ~HandOverClient() override { ::close(socket_); }

private:
    void read()
    {
        char bytes[singlecopy::kMaxPathBytes + 1];
        const ssize_t count = ::recv(socket_, bytes, sizeof(bytes) - request_.size(), MSG_DONTWAIT);
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (count <= 0) // gone, or failed
            return finish();
        request_.append(bytes, count);
        const qsizetype end = request_.indexOf('\0');
        if (end < 0) {
            if (request_.size() > singlecopy::kMaxPathBytes)
                finish(); // longer than any path
            return;
        }
        ::send(socket_, &kTaken, 1, MSG_DONTWAIT | MSG_NOSIGNAL);
        finish();
        taken_(request_.left(end));
    }

    void finish()
    {
        readable_.setEnabled(false);
        deleteLater();
    }

    const int socket_;
    QSocketNotifier readable_;
    std::function<void(const QByteArray&)> taken_;
    QByteArray request_;
};

CopyService::CopyService(std::function<void(const QByteArray&)> open, std::function<void()> raise, QObject* parent)
    : QObject(parent), open_(std::move(open)), raise_(std::move(raise))
{
}

CopyService::~CopyService()
{
    if (!ownedName_.isEmpty())
        sessionbus::releaseName(bus_, ownedName_);
    qDeleteAll(clients_);
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(socketFile_.constData());
    }
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
    const QByteArray name = QFile::encodeName(path);
    listener_ = listenAt(name);
    if (listener_ < 0) {
        // Another copy answering there keeps its socket (this one was
        // started on purpose); a file left by one that ended abruptly goes.
        if (errno != EADDRINUSE || !isOwnSocket(path) || !nobodyAnswers(name))
            return;
        ::unlink(name.constData());
        listener_ = listenAt(name);
        if (listener_ < 0)
            return;
    }
    socketFile_ = name;
    listening_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
    connect(listening_.get(), &QSocketNotifier::activated, this, &CopyService::acceptClients);
}

void CopyService::acceptClients()
{
    for (;;) {
        const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                pauseAccepting();
            return;
        }
        // A launch says what it has at once: past the limit, the client
        // that has waited longest goes, so idle clients never lock out the next launch.
        if (clients_.size() >= kMaxClients)
            delete clients_.takeFirst();
        auto* client = new HandOverClient(socket, [this](const QByteArray& path) { Open(path); }, this);
        clients_.append(client);
        connect(client, &QObject::destroyed, this, [this, client] { clients_.removeOne(client); });
    }
}

void CopyService::pauseAccepting()
{
    constexpr int kPauseMs = 100;
    listening_->setEnabled(false);
    QTimer::singleShot(kPauseMs, this, [this] { listening_->setEnabled(true); });
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
