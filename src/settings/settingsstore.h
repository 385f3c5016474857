#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

class QSettings;

// The per-user settings store: string values addressed by application,
// section and key. Each application is one INI file in the store's folder
// ("ZOLT" is ZOLT.ini); sections are its groups.
//
// Every write reaches the file before it returns, replacing the file
// atomically, except writes to the keys being held (the folder during a
// walk); held writes reach the file at releaseWrites() or flush(), and
// before any end of the program. The store never reports an error to its callers: a corrupt or
// unreadable file reads as empty, an unwritable one keeps the values in
// memory, and each problem gets one line on standard error.
class SettingsStore {
public:
    explicit SettingsStore(QString directory);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // $XDG_CONFIG_HOME, or ~/.config when it is unset.
    static QString defaultDirectory();

    QString filePath(const QString& app) const;

    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue = QString());
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value);

    // While held, writes to these keys ("section/key") stay in memory and
    // a write that does not change the stored value is skipped.
    void holdWrites(const QStringList& keys);
    void releaseWrites();
    // Writes everything still held to the files.
    void flush();

    // Sees every write, in order (for tests of write orders).
    using WriteObserver = std::function<void(const QString& section, const QString& key, const QString& value)>;
    void setWriteObserver(WriteObserver observer) { observer_ = std::move(observer); }

private:
    QSettings& open(const QString& app);
    void sync(const QString& app, QSettings& file);

    QString directory_;
    std::map<QString, std::unique_ptr<QSettings>> files_;
    std::map<QString, bool> reportedWriteError_;
    QStringList heldKeys_;
    std::map<std::pair<QString, QString>, QString> held_; // (app, section/key) -> value
    WriteObserver observer_;
};

// Names the program uses with the store.
namespace settingskeys {
inline const QString kApp = QStringLiteral("ZOLT");
inline const QString kNoData = QStringLiteral("(NO DATA)");
inline const QString kOption = QStringLiteral("Option");
inline const QString kMpFile = QStringLiteral("MPFile");
inline const QString kDrive = QStringLiteral("Drive");
inline const QString kDir = QStringLiteral("Dir");
// The keys a folder walk holds.
inline const QStringList kFolderKeys = {kOption + u'/' + kDrive, kOption + u'/' + kDir};
} // namespace settingskeys
