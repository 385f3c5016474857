#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringDecoder>
#include <QStringList>
#include <cstdio>
#include <sys/stat.h>

namespace {
void warn(const QString& message)
{
    std::fprintf(stderr, "duvavazoruzevaz: %s\n", qPrintable(message));
}
} // namespace

SettingsStore::SettingsStore(QString directory) : directory_(std::move(directory)) {}

SettingsStore::~SettingsStore()
{
    flush();
}

QString SettingsStore::defaultDirectory()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty())
        return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString SettingsStore::filePath(const QString& app) const
{
    return directory_ + u'/' + app + QStringLiteral(".ini");
}

namespace {

// Only regular files (links to them included) are read or written: a pipe
// would block, a device would be replaced, and a folder where the lock
// file goes would make every write wait for ever.
bool usable(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return false;
    const QByteArray lock = QFile::encodeName(path + QStringLiteral(".lock"));
    return ::lstat(lock.constData(), &st) != 0 || S_ISREG(st.st_mode);
}

// Whether the file reads as an INI file: UTF-8 text without NULs, each
// line blank, a comment, a [group] header or a key=value inside a group.
// Qt's reader takes almost anything, so random bytes would otherwise pass
// as settings.
bool readsAsIni(const QString& path)
{
    constexpr qint64 kMaxBytes = 1024 * 1024;
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes)
        return false;
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError() || bytes.contains('\0'))
        return false;
    bool inGroup = false;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']'))
            inGroup = true;
        else if (!inGroup || !line.contains('='))
            return false;
    }
    return true;
}

} // namespace

SettingsStore::Stamp SettingsStore::stampOf(const QString& app) const
{
    struct stat st;
    if (::stat(QFile::encodeName(filePath(app)).constData(), &st) != 0)
        return {};
    return {qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, qint64(st.st_size), quint64(st.st_ino)};
}

SettingsStore::File& SettingsStore::open(const QString& app)
{
    auto found = files_.find(app);
    if (found != files_.end())
        return found->second;
    File& file = files_[app];
    QDir().mkpath(directory_);
    const QString path = filePath(app);
    if (!usable(path)) {
        warn(QStringLiteral("%1 is not a regular file; using defaults, settings are kept only until the program ends")
                 .arg(path));
        return file;
    }
    const bool damaged = !readsAsIni(path);
    file.seen = stampOf(app);
    file.settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (damaged || file.settings->status() == QSettings::FormatError) {
        // Keep the damaged file for the user; the store starts empty, and
        // its next write replaces the damage.
        const QString keep = path + QStringLiteral(".corrupt");
        QFile::remove(keep);
        QFile::copy(path, keep);
        file.settings->clear();
        warn(QStringLiteral("%1 is not a readable settings file (kept as %2); using defaults").arg(path, keep));
    } else if (file.settings->status() == QSettings::AccessError) {
        warn(QStringLiteral("cannot read %1; using defaults").arg(path));
    }
    return file;
}

void SettingsStore::reloadIfChanged(const QString& app, File& file)
{
    if (!file.settings)
        return;
    const Stamp now = stampOf(app);
    if (now == file.seen)
        return;
    file.seen = now;
    if (usable(filePath(app)))
        file.settings->sync(); // reads the file again
}

QString SettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                  const QString& defaultValue)
{
    const QString path = section + u'/' + key;
    const auto held = held_.find({app, path});
    if (held != held_.end())
        return held->second;
    File& file = open(app);
    if (!file.settings)
        return getStored(file, path).value_or(defaultValue);
    reloadIfChanged(app, file);
    const QVariant value = file.settings->value(path);
    if (!value.isValid())
        return defaultValue;
    // A hand-edited "a,b" comes back as a list.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void SettingsStore::saveSetting(const QString& app, const QString& section, const QString& key,
                                const QString& value)
{
    if (observer_)
        observer_(section, key, value);
    const QString path = section + u'/' + key;
    if (heldKeys_.contains(path)) {
        // Held apart from the file's object, which would write itself out
        // at the next turn of the event loop; a value the file holds
        // already is not written when they are released.
        held_[{app, path}] = value;
        return;
    }
    held_.erase({app, path});
    store(app, open(app), path, value);
}

std::optional<QString> SettingsStore::getStored(File& file, const QString& path)
{
    if (!file.settings) {
        const auto kept = file.memory.find(path);
        return kept == file.memory.end() ? std::nullopt : std::optional<QString>(kept->second);
    }
    const QVariant stored = file.settings->value(path);
    if (stored.userType() != QMetaType::QString)
        return std::nullopt;
    return stored.toString();
}

void SettingsStore::store(const QString& app, File& file, const QString& path, const QString& value)
{
    if (!file.settings) {
        file.memory[path] = value;
        return;
    }
    reloadIfChanged(app, file);
    // A value the file already holds needs no rewrite (start-up restores
    // the folder and would write it back unchanged).
    if (getStored(file, path) == value)
        return;
    file.settings->setValue(path, value);
    sync(app, file);
}

void SettingsStore::holdWrites(const QStringList& keys)
{
    heldKeys_ = keys;
}

void SettingsStore::releaseWrites(Held what)
{
    heldKeys_.clear();
    const auto held = std::move(held_);
    held_.clear();
    if (what == Held::Write) {
        for (const auto& [where, value] : held)
            store(where.first, open(where.first), where.second, value);
    }
    flush();
}

void SettingsStore::flush()
{
    for (auto& [app, file] : files_)
        sync(app, file);
}

void SettingsStore::sync(const QString& app, File& file)
{
    if (!file.settings || !usable(filePath(app)))
        return;
    file.settings->sync();
    file.seen = stampOf(app);
    if (file.settings->status() == QSettings::AccessError && !file.reportedWriteError) {
        file.reportedWriteError = true;
        warn(QStringLiteral("cannot write %1; settings are kept only until the program ends").arg(filePath(app)));
    }
}
