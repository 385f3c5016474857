#include "settings/filetypetable.h"

#include "settings/settingsstore.h"

using namespace settingskeys;

FileTypeTable::FileTypeTable(SettingsStore& store, QString marker, const std::vector<FileTypeEntry>& entries,
                             bool checkedWhenNeverSaved)
    : store_(store), marker_(std::move(marker)), design_(entries), checkedWhenNeverSaved_(checkedWhenNeverSaved)
{
}

namespace {
// "*.key" entries keyed by their extension.
std::vector<FileTypeEntry> byExtension(std::initializer_list<const char*> keys)
{
    std::vector<FileTypeEntry> entries;
    for (const char* key : keys)
        entries.push_back({QStringLiteral("*.") + QLatin1String(key), QLatin1String(key)});
    return entries;
}
} // namespace

FileTypeTable FileTypeTable::MediaTypes(SettingsStore& store)
{
    return FileTypeTable(store, QStringLiteral("OPEN"),
                         byExtension({"avi", "ra", "ram", "mpg", "mpeg", "qt", "mov", "dat", "wave", "mp3", "rm"}));
}

FileTypeTable FileTypeTable::PictureTypes(SettingsStore& store)
{
    return FileTypeTable(store, QStringLiteral("PICOPEN"), byExtension({"jpg", "bmp", "gif"}));
}

FileTypeTable FileTypeTable::OtherMediaTypes(SettingsStore& store)
{
    return FileTypeTable(store, QStringLiteral("OPEN2"),
                         byExtension({"mp4", "m4v", "mkv", "webm", "wav", "flac", "ogg", "opus", "m4a"}), false);
}

FileTypeTable FileTypeTable::OtherPictureTypes(SettingsStore& store)
{
    return FileTypeTable(store, QStringLiteral("PICOPEN2"), byExtension({"jpeg", "png", "webp"}), false);
}

void FileTypeTable::LoadTypes()
{
    std::vector<FileTypeEntry> entries = design_;
    const bool neverSaved = store_.getSetting(kApp, kMpFile, marker_, kNoData) == kNoData;
    for (FileTypeEntry& e : entries)
        e.Checked = neverSaved ? checkedWhenNeverSaved_ : store_.getSetting(kApp, kMpFile, e.Key) == QLatin1String("ON");
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
