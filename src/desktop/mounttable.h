#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <vector>

// The machine's mounted volumes, as the drive list offers them.
struct MountEntry {
    QString mountPath; // "/" or "/media/taro/DISC"
    QString device;    // "/dev/sr0"
    QString fsType;    // "iso9660"
    QString label;     // volume label, may be empty

    bool isOptical() const;
    bool operator==(const MountEntry&) const = default;
    // "path" or "path [label]"
    QString displayText() const;
};

// Where the mount table comes from; tests give their own.
using MountSource = std::function<std::vector<MountEntry>()>;

namespace mounttable {

// Parses text in the form of /proc/self/mounts and returns the volumes a
// file manager offers (the root file system, the home volume, removable,
// user-mounted and network volumes: not pseudo file systems, system images,
// memory file systems or boot partitions) in ascending order of mount path.
std::vector<MountEntry> parse(const QByteArray& mountsText);

// How long the window waits for a mount to answer whether it is a folder.
inline constexpr std::chrono::milliseconds kPatience{50};

// The running system's volumes, read from /proc/self/mounts.
std::vector<MountEntry> readSystem();

MountSource systemSource();

} // namespace mounttable
