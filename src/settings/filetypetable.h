#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class SettingsStore;

// One selectable file type: a wildcard pattern, its settings key in
// section "MPFile", and the live on/off state of its check box.
struct FileTypeEntry {
    QString Pattern;
    QString Key;
    bool Checked = false;
};

// An ordered, fixed table of file types with a marker key. The live
// selection exists from the first use (a dialog opening, or the filter
// asking for patterns) until the table's dialog is closed; while it exists
// the dialog and the filter share it.
class FileTypeTable {
public:
    // checkedWhenNeverSaved: the state of every entry before the table's
    // first save (its marker key missing).
    FileTypeTable(SettingsStore& store, QString marker, const std::vector<FileTypeEntry>& entries,
                  bool checkedWhenNeverSaved = true);

    static FileTypeTable MediaTypes(SettingsStore& store);
    static FileTypeTable PictureTypes(SettingsStore& store);
    // Today's formats, each dialog's "その他の形式": off until chosen.
    static FileTypeTable OtherMediaTypes(SettingsStore& store);
    static FileTypeTable OtherPictureTypes(SettingsStore& store);

    void LoadTypes();
    void SaveTypes();
    // The checked patterns in index order; loads first when not live.
    const QStringList& CheckedPatterns();
    void DiscardTypes();

    bool isLive() const { return live_.has_value(); }
    int count() const { return static_cast<int>(design_.size()); }
    const FileTypeEntry& entry(int index) const { return design_[index]; }
    // The live state of an entry; loads first when not live.
    bool checked(int index);
    void setChecked(int index, bool on);

private:
    std::vector<FileTypeEntry>& liveEntries();

    SettingsStore& store_;
    QString marker_;
    std::vector<FileTypeEntry> design_;
    bool checkedWhenNeverSaved_;
    std::optional<std::vector<FileTypeEntry>> live_;
    std::optional<QStringList> checkedCache_;
};

// One mode's file types as its dialog shows them: the documented table,
// then the other formats below it.
struct FileTypeChoice {
    FileTypeTable& types;
    FileTypeTable& others;
};
