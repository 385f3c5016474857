#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusContext>
#include <QList>
#include <QObject>
#include <functional>
#include <memory>

class HandOverClient;
class QSocketNotifier;

// One copy of the program per desktop session and settings folder: a
// later launch hands its folder or file to the copy already running (over
// the session bus, or a local socket where there is none) and ends.
namespace singlecopy {

// The longest path handed over; longer ones are refused unread.
constexpr qint64 kMaxPathBytes = 4096;

// Hands the path (empty: none, just raise) to the running copy; true when
// one took it. Waits at most a moment for an answer.
bool handOver(const QByteArray& path, const QString& configDirectory);

// The folder for this user's sockets: $XDG_RUNTIME_DIR, or without it a
// folder of the program's own in the temporary folder. Empty when that
// folder is not private to this user (owned by the user, closed to
// everyone else): another user must never receive the launches.
QString privateRuntimeFolder();
// The hand-over socket of the copy with that settings folder; empty
// without a private runtime folder.
QString socketPath(const QString& configDirectory);

} // namespace singlecopy

// The running copy's side: takes paths handed over by later launches,
// answering each at once (what is asked is carried out afterwards). On
// the socket, a few clients at a time, each for a moment, each with at
// most a path's worth of bytes: descriptors and memory stay bounded.
class CopyService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.duvavazoruzevaz.Copy")
public:
    static constexpr int kMaxClients = 4;
    static constexpr int kClientTimeoutMs = 1000;

    CopyService(std::function<void(const QByteArray& path)> open, std::function<void()> raise,
                QObject* parent = nullptr);
    ~CopyService() override;
    // Answers on the bus when it is connected, else on a local socket.
    void listen(QDBusConnection bus, const QString& configDirectory);

public slots:
    // A folder or file to open as from the command line; empty: none.
    void Open(const QByteArray& path);

private:
    void listenOnSocket(const QString& configDirectory);
    void acceptClients();
    // Out of descriptors: the waiting launches are taken a moment later.
    void pauseAccepting();

    std::function<void(const QByteArray&)> open_;
    std::function<void()> raise_;
    int listener_ = -1;
    QByteArray socketFile_; // this copy's, removed when it ends
    std::unique_ptr<QSocketNotifier> listening_;
    QList<HandOverClient*> clients_; // oldest first
    QDBusConnection bus_{QString()};
    QString ownedName_; // held on the bus
};
