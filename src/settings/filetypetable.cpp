#include "settings/filetypetable.h"

#include "settings/settingsstore.h"

using namespace settingskeys;

FileTypeTable::FileTypeTable(SettingsStore& store, QString marker,
                             const std::vector<FileTypeEntry>& entries)
    : store_(store), marker_(std::move(marker)), design_(entries)
{
}

FileTypeTable FileTypeTable::MediaTypes(SettingsStore& store)
{
    std::vector<FileTypeEntry> entries;
    for (const char* key : {"avi", "ra", "ram", "mpg", "mpeg", "qt", "mov", "dat", "wave", "mp3", "rm"})
        entries.push_back({QStringLiteral("*.") + QLatin1String(key), QLatin1String(key)});
    return FileTypeTable(store, QStringLiteral("OPEN"), entries);
}

FileTypeTable FileTypeTable::PictureTypes(SettingsStore& store)
{
    std::vector<FileTypeEntry> entries;
    for (const char* key : {"jpg", "bmp", "gif"})
        entries.push_back({QStringLiteral("*.") + QLatin1String(key), QLatin1String(key)});
    return FileTypeTable(store, QStringLiteral("PICOPEN"), entries);
}

void FileTypeTable::LoadTypes()
{
    std::vector<FileTypeEntry> entries = design_;
    const bool neverSaved = store_.getSetting(kApp, kMpFile, marker_, kNoData) == kNoData;
    for (FileTypeEntry& e : entries)
        e.Checked = neverSaved || store_.getSetting(kApp, kMpFile, e.Key) == QLatin1String("ON");
    live_ = std::move(entries);
    checkedCache_.reset();
}

void FileTypeTable::SaveTypes()
{
    store_.saveSetting(kApp, kMpFile, marker_, QStringLiteral("ON"));
    for (const FileTypeEntry& e : liveEntries())
        store_.saveSetting(kApp, kMpFile, e.Key, e.Checked ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

const QStringList& FileTypeTable::CheckedPatterns()
{
    if (!live_ || !checkedCache_) {
        QStringList patterns;
        for (const FileTypeEntry& e : liveEntries()) {
            if (e.Checked)
                patterns << e.Pattern;
        }
        checkedCache_ = std::move(patterns);
    }
    return *checkedCache_;
}

void FileTypeTable::DiscardTypes()
{
    live_.reset();
    checkedCache_.reset();
}

bool FileTypeTable::checked(int index)
{
    return liveEntries()[index].Checked;
}

void FileTypeTable::setChecked(int index, bool on)
{
    liveEntries()[index].Checked = on;
    checkedCache_.reset();
}

std::vector<FileTypeEntry>& FileTypeTable::liveEntries()
{
    if (!live_)
        LoadTypes();
    return *live_;
}
