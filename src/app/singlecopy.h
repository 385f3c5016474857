#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <functional>

// One copy of the program per desktop session and settings folder: a
// later launch hands its folder or file to the copy already running (over
// the session bus, or a local socket where there is none) and ends.
namespace singlecopy {

// Hands the path (empty: none, just raise) to the running copy; true when
// one took it. Waits at most a moment for an answer.
bool handOver(const QByteArray& path, const QString& configDirectory);

} // namespace singlecopy

// The running copy's side: takes paths handed over by later launches.
class CopyService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.duvavazoruzevaz.Copy")
public:
    CopyService(std::function<void(const QByteArray& path)> open, std::function<void()> raise,
                QObject* parent = nullptr);
    ~CopyService() override;
    // Answers on the session bus, or on a local socket without one.
    void listen(const QString& configDirectory);

public slots:
    // A folder or file to open as from the command line; empty: none.
    void Open(const QByteArray& path);

private:
    void listenOnSocket(const QString& configDirectory);

    std::function<void(const QByteArray&)> open_;
    std::function<void()> raise_;
    QLocalServer socket_;
    QString ownedName_; // asked for on the bus
};
