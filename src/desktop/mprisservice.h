#pragma once

#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>

// What the desktop's player controls see of the program.
struct MprisState {
    QString status = QStringLiteral("Stopped"); // "Playing", "Paused" or "Stopped"
    bool canPlay = false;                       // video mode: Play, Pause and Stop act
    QByteArray path;                            // the file playing or shown; empty for none
    qint64 lengthUs = 0;                        // 0 when not known
    double volume = 0;                          // 0 to 1 along the volume slider
    bool operator==(const MprisState&) const = default;
};

// The program as a media player of the desktop session (MPRIS 2): the
// panel's player applet and the desktop's media keys drive it. Silent
// where there is no session bus.
class MprisService : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<MprisState()> state;
        std::function<qint64()> positionUs;
        // As the media key of that Qt key code would, carried out later.
        std::function<void(int key)> press;
        std::function<void(double volume)> setVolume;
        std::function<void()> raise;
        std::function<void()> quit;
        // A local file or folder named by a file:// URI, opened later.
        std::function<void(const QByteArray& path)> open;
    };
    static inline const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.duvavazoruzevaz");

    explicit MprisService(Hooks hooks, QObject* parent = nullptr);
    ~MprisService() override;

    // Takes the player's name on the bus without waiting for it; a second
    // copy takes a name of its own (…instance<pid>). Silent without a bus.
    void registerOnBus(QDBusConnection bus);
    // Announces what changed since the last call (PropertiesChanged).
    void refresh();

    const MprisState& state() const { return announced_; }
    const Hooks& hooks() const { return hooks_; }
    // The track's id, which changes with the file.
    QDBusObjectPath trackId() const;

private:
    void requestName(const QString& name, bool fallBack);

    Hooks hooks_;
    QDBusConnection bus_{QString()};
    QString ownedName_;
    MprisState announced_;
    int track_ = 0;
};

// org.mpris.MediaPlayer2
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    explicit MprisRoot(MprisService* service);
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("duvaVazorUzevaz"); }
    QString desktopEntry() const { return QStringLiteral("org.duvavazoruzevaz.Player"); }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const;

public slots:
    void Raise();
    void Quit();

private:
    MprisService* service_;
};

// org.mpris.MediaPlayer2.Player
class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ canControl)
    Q_PROPERTY(bool CanGoPrevious READ canControl)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPlay)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    explicit MprisPlayer(MprisService* service);
    QString playbackStatus() const { return service_->state().status; }
    double rate() const { return 1.0; }
    void setRate(double) {}
    QVariantMap metadata() const;
    double volume() const { return service_->state().volume; }
    void setVolume(double volume);
    qlonglong position() const { return service_->hooks().positionUs(); }
    bool canPlay() const { return service_->state().canPlay; }
    bool canSeek() const { return false; }
    bool canControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString& uri);

signals:
    void Seeked(qlonglong position);

private:
    void press(int key);

    MprisService* service_;
};

// The metadata MPRIS gives for a file (xesam:title, xesam:url,
// mpris:length, mpris:trackid); empty without a file.
QVariantMap mprisMetadata(const QByteArray& path, qint64 lengthUs, const QDBusObjectPath& trackId);
