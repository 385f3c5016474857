#pragma once

#include "desktop/mounttable.h"

#include <QComboBox>

// The drive list: the machine's mounted volumes, drawn flat in orange. Its
// Drive text is the volume's mount path. Change() is raised synchronously inside every
// change of the value, whether the user or the program made it.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(MountSource source, QWidget* parent = nullptr);

    QString drive() const { return drive_; }
    // Selects the volume mounted at that path; fails for a path that is
    // not (or no longer) a mount path.
    bool setDrive(const QString& mountPath);
    // Selects the volume holding the path.
    bool setDriveOf(const QString& path);
    // Shows the volume holding a folder just looked at on a thread: not
    // looked at again, and without Change (the caller moves the folder
    // list there itself).
    void showDriveOfCheckedFolder(const QString& folder);

    // The volume holding path, or an empty text.
    QString volumeOf(const QString& path) const;
    const std::vector<MountEntry>& volumes() const { return volumes_; }

signals:
    void Change();

protected:
    void showPopup() override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool select(const QString& volume);
    void reload();
    void showCurrent();

    MountSource source_;
    std::vector<MountEntry> volumes_;
    QString drive_;
};

// The first optical volume, in ascending order of mount path, or an empty
// text when the machine has none.
QString FindCdRomDrive(const std::vector<MountEntry>& volumes);
