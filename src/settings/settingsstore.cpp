#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <cstdio>

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

QSettings& SettingsStore::open(const QString& app)
{
    auto found = files_.find(app);
    if (found != files_.end())
        return *found->second;
    QDir().mkpath(directory_);
    auto file = std::make_unique<QSettings>(filePath(app), QSettings::IniFormat);
    if (file->status() == QSettings::FormatError) {
        // Keep the damaged file for the user; the store starts empty.
        const QString keep = filePath(app) + QStringLiteral(".corrupt");
        QFile::remove(keep);
        QFile::copy(filePath(app), keep);
        file->clear();
        warn(QStringLiteral("%1 is not a readable settings file (kept as %2); using defaults")
                 .arg(filePath(app), keep));
    } else if (file->status() == QSettings::AccessError) {
        warn(QStringLiteral("cannot read %1; using defaults").arg(filePath(app)));
    }
    return *files_.emplace(app, std::move(file)).first->second;
}

QString SettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                  const QString& defaultValue)
{
    const auto held = held_.find({app, section + u'/' + key});
    if (held != held_.end())
        return held->second;
    const QVariant value = open(app).value(section + u'/' + key);
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
        // at the next turn of the event loop.
        const QVariant stored = open(app).value(path);
        const bool unchanged = stored.userType() == QMetaType::QString && stored.toString() == value;
        if (unchanged)
            held_.erase({app, path});
        else
            held_[{app, path}] = value;
        return;
    }
    held_.erase({app, path});
    QSettings& file = open(app);
    file.setValue(path, value);
    sync(app, file);
}

void SettingsStore::holdWrites(const QStringList& keys)
{
    heldKeys_ = keys;
}

void SettingsStore::releaseWrites()
{
    heldKeys_.clear();
    flush();
}

void SettingsStore::flush()
{
    for (const auto& [where, value] : held_)
        open(where.first).setValue(where.second, value);
    held_.clear();
    for (auto& [app, file] : files_)
        sync(app, *file);
}

void SettingsStore::sync(const QString& app, QSettings& file)
{
    file.sync();
    if (file.status() == QSettings::AccessError && !reportedWriteError_[app]) {
        reportedWriteError_[app] = true;
        warn(QStringLiteral("cannot write %1; settings are kept only until the program ends")
                 .arg(filePath(app)));
    }
}
