#include "desktop/mprisservice.h"

#include "platform/nativename.h"
#include "desktop/sessionbus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QUrl>
#include <cmath>

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
// A file:// URI of the longest path, every byte percent-encoded.
constexpr qsizetype kMaxUriLength = 7 + 3 * 4096;

} // namespace

QVariantMap mprisMetadata(const QByteArray& path, qint64 lengthUs, const QDBusObjectPath& trackId)
{
    if (path.isEmpty())
        return {};
    QVariantMap metadata{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId)},
        {QStringLiteral("xesam:title"), nativename::toDisplay(path.mid(path.lastIndexOf('/') + 1))},
        {QStringLiteral("xesam:url"), nativename::fileUrl(path)},
    };
    if (lengthUs > 0)
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(lengthUs));
    // The folder names the clip best (a shell would otherwise say "Unknown artist").
    const QByteArray folder = path.left(path.lastIndexOf('/'));
    const QByteArray folderName = folder.mid(folder.lastIndexOf('/') + 1);
    if (!folderName.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{nativename::toDisplay(folderName)});
    return metadata;
}

MprisService::MprisService(Hooks hooks, QObject* parent) : QObject(parent), hooks_(std::move(hooks))
{
    new MprisRoot(this);
    new MprisPlayer(this);
}

MprisService::~MprisService()
{
    // Another copy may take the name (a program that ends at once leaves
    // it with its connection).
    if (!ownedName_.isEmpty())
        sessionbus::releaseName(bus_, ownedName_);
}

void MprisService::registerOnBus(QDBusConnection bus)
{
    if (!bus.isConnected())
        return;
    bus_ = bus;
    announced_ = hooks_.state();
    bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors);
    requestName(kServiceName, true);
}

void MprisService::requestName(const QString& name, bool fallBack)
{
    sessionbus::requestName(bus_, name, this, [this, name, fallBack](bool owned) {
        if (owned)
            ownedName_ = name;
        else if (fallBack)
            requestName(kServiceName + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid()),
                        false);
    });
}

QDBusObjectPath MprisService::trackId() const
{
    return QDBusObjectPath(QStringLiteral("/org/duvavazoruzevaz/track/%1").arg(track_));
}

void MprisService::refresh()
{
    const MprisState now = hooks_.state();
    if (now == announced_)
        return;
    QVariantMap changed;
    if (now.status != announced_.status)
        changed.insert(QStringLiteral("PlaybackStatus"), now.status);
    if (now.canPlay != announced_.canPlay) {
        changed.insert(QStringLiteral("CanPlay"), now.canPlay);
        changed.insert(QStringLiteral("CanPause"), now.canPlay);
    }
    if (now.path != announced_.path || now.lengthUs != announced_.lengthUs) {
        if (now.path != announced_.path)
            ++track_;
        changed.insert(QStringLiteral("Metadata"), mprisMetadata(now.path, now.lengthUs, trackId()));
    }
    if (now.volume != announced_.volume)
        changed.insert(QStringLiteral("Volume"), now.volume);
    announced_ = now;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus_.send(signal);
}

QStringList MprisRoot::supportedMimeTypes() const
{
    // As the desktop entry offers the program in "Open with".
    return {QStringLiteral("video/x-msvideo"),  QStringLiteral("video/mpeg"),         QStringLiteral("video/quicktime"),
            QStringLiteral("video/mp4"),        QStringLiteral("video/x-matroska"),   QStringLiteral("video/webm"),
            QStringLiteral("application/vnd.rn-realmedia"), QStringLiteral("audio/x-pn-realaudio"),
            QStringLiteral("audio/vnd.rn-realaudio"), QStringLiteral("audio/x-wav"), QStringLiteral("audio/mpeg"),
            QStringLiteral("audio/flac"),       QStringLiteral("audio/ogg"),          QStringLiteral("audio/x-vorbis+ogg"),
            QStringLiteral("audio/x-opus+ogg"), QStringLiteral("audio/mp4"),          QStringLiteral("image/jpeg"),
            QStringLiteral("image/bmp"),        QStringLiteral("image/gif"),          QStringLiteral("image/png"),
            QStringLiteral("image/webp")};
}

MprisRoot::MprisRoot(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

void MprisRoot::Raise()
{
    service_->hooks().raise();
}

void MprisRoot::Quit()
{
    service_->hooks().quit();
}

MprisPlayer::MprisPlayer(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

QVariantMap MprisPlayer::metadata() const
{
    const MprisState& state = service_->state();
    return mprisMetadata(state.path, state.lengthUs, service_->trackId());
}

void MprisPlayer::setVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    service_->hooks().setVolume(std::clamp(volume, 0.0, 1.0));
    service_->refresh();
}

void MprisPlayer::press(int key)
{
    service_->hooks().press(key);
}

void MprisPlayer::Next()
{
    press(Qt::Key_MediaNext);
}

void MprisPlayer::Previous()
{
    press(Qt::Key_MediaPrevious);
}

void MprisPlayer::Pause()
{
    press(Qt::Key_MediaPause);
}

void MprisPlayer::PlayPause()
{
    press(Qt::Key_MediaTogglePlayPause);
}

void MprisPlayer::Stop()
{
    press(Qt::Key_MediaStop);
}

void MprisPlayer::Play()
{
    press(Qt::Key_MediaPlay);
}

void MprisPlayer::OpenUri(const QString& uri)
{
    if (uri.size() > kMaxUriLength)
        return; // names no file: refused before it is parsed
    const QByteArray path = nativename::localPathOfUrl(QUrl(uri));
    if (!path.isEmpty())
        service_->hooks().open(path);
}
