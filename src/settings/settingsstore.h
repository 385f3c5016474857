#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QSettings;

// The per-user settings store: string values addressed by application,
// section and key. Each application is one INI file in the store's folder
// ("ZOLT" is ZOLT.ini); sections are its groups.
//
// Every write reaches the file before it returns, replacing the file
// atomically, except writes to the keys being held (the folder during a
// walk), which reach it at releaseWrites() if at all. Every read sees the file as it is now, so
// a change made by hand or by a second copy of the program is seen at the
// next read (a cheap check of the file's stamp, no parse per read).
//
// The store never reports an error to its callers: a corrupt or unreadable
// file reads as empty, an unwritable one keeps the values in memory, and
// each problem gets one line on standard error. A settings path that is
// not a regular file (a pipe, a device, a folder in the way of the lock
// file) is treated like a damaged file and never written through.
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
    // a write that does not change the stored value is skipped. At the
    // release they reach the file, or are dropped (the file keeps what it
    // held before).
    void holdWrites(const QStringList& keys);
    enum class Held { Write, Drop };
    void releaseWrites(Held what = Held::Write);
    // Brings the files up to date. Writes still held stay held: the
    // program ending mid-walk leaves the file with the folder chosen
    // before the walk, not one the walk passed.
    void flush();

    // Sees every write, in order (for tests of write orders).
    using WriteObserver = std::function<void(const QString& section, const QString& key, const QString& value)>;
    void setWriteObserver(WriteObserver observer) { observer_ = std::move(observer); }

private:
    struct Stamp {
        qint64 modified = -1;
        qint64 size = -1;
        quint64 inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct File {
        // Null when the path is not a regular file: values live in memory only.
        std::unique_ptr<QSettings> settings;
        std::map<QString, QString> memory;
        Stamp seen;
        bool reportedWriteError = false;
    };

    File& open(const QString& app);
    static std::optional<QString> getStored(File& file, const QString& path);
    void store(const QString& app, File& file, const QString& path, const QString& value);
    Stamp stampOf(const QString& app) const;
    void reloadIfChanged(const QString& app, File& file);
    void sync(const QString& app, File& file);

    QString directory_;
    std::map<QString, File> files_;
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
// The additions' own section and keys (off when absent).
inline const QString kExtras = QStringLiteral("Extras");
inline const QString kShuffle = QStringLiteral("Shuffle");
inline const QString kSlideShow = QStringLiteral("SlideShow"); // seconds, 0: off
inline const QString kHardwareDecoding = QStringLiteral("HardwareDecoding");
inline const QString kResume = QStringLiteral("Resume");
// Where each searched folder was left, the latest first, in one value.
inline const QString kResumePlaces = QStringLiteral("ResumePlaces");
// The keys a folder walk holds.
inline const QStringList kFolderKeys = {kOption + u'/' + kDrive, kOption + u'/' + kDir};
} // namespace settingskeys
