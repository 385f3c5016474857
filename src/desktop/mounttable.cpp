#include "desktop/mounttable.h"

#include "desktop/folderprobe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <map>

bool MountEntry::isOptical() const
{
    return device.startsWith(QLatin1String("/dev/sr")) ||
           device.startsWith(QLatin1String("/dev/cdrom")) || fsType == QLatin1String("iso9660") ||
           fsType == QLatin1String("udf");
}

QString MountEntry::displayText() const
{
    return label.isEmpty() ? mountPath : mountPath + QStringLiteral(" [") + label + u']';
}

namespace mounttable {
namespace {

bool isPseudo(const QString& fsType, const QString& path)
{
    static const QSet<QString> pseudo = {
        "proc",      "sysfs",      "cgroup",    "cgroup2",     "devpts",   "mqueue",
        "debugfs",   "tracefs",    "securityfs", "pstore",     "bpf",      "configfs",
        "fusectl",   "hugetlbfs",  "autofs",    "binfmt_misc", "efivarfs", "rpc_pipefs",
        "nsfs",      "selinuxfs",  "devtmpfs",  "ramfs",       "fuse.gvfsd-fuse", "fuse.portal"};
    if (pseudo.contains(fsType))
        return true;
    // Removable media mounted under /run/media/<user> are volumes.
    if (path.startsWith(QLatin1String("/run/media/")))
        return false;
    for (const char* system : {"/proc", "/sys", "/dev", "/run"}) {
        const QString prefix = QLatin1String(system);
        if (path == prefix || path.startsWith(prefix + u'/'))
            return true;
    }
    return false;
}

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in mount paths as \ooo.
QString unescape(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2]) &&
            isOctalDigit(field[i + 3])) {
            out.append(char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

// udev writes unsafe characters of labels as \xHH.
QString unescapeLabel(const QString& label)
{
    QByteArray out;
    const QByteArray bytes = label.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bool ok = false;
        const int code = bytes[i] == '\\' && bytes.mid(i + 1, 1) == "x" ? bytes.mid(i + 2, 2).toInt(&ok, 16) : 0;
        if (ok && bytes.mid(i + 2, 2).size() == 2) {
            out.append(char(code));
            i += 3;
            continue;
        }
        out.append(bytes[i]);
    }
    return QString::fromUtf8(out);
}

// What file managers leave out too: system images and layers (snaps,
// containers), memory file systems, the boot partitions. The root file
// system always stays, whatever it is.
bool isClutter(const QString& fsType, const QString& path)
{
    static const QSet<QString> systemTypes = {"squashfs", "overlay", "tmpfs", "efivarfs", "fuse.snapfuse", "zram"};
    if (path == QLatin1String("/"))
        return false;
    if (systemTypes.contains(fsType))
        return true;
    for (const char* system : {"/boot", "/snap", "/var/lib/docker", "/var/lib/containers", "/var/snap"}) {
        const QString prefix = QLatin1String(system);
        if (path == prefix || path.startsWith(prefix + u'/'))
            return true;
    }
    return false;
}

// Volume labels by the real path of their device.
std::map<QString, QString> labelsByDevice()
{
    std::map<QString, QString> labels;
    const QDir byLabel(QStringLiteral("/dev/disk/by-label"));
    for (const QFileInfo& link : byLabel.entryInfoList(QDir::System | QDir::Files)) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty())
            labels[device] = unescapeLabel(link.fileName());
    }
    return labels;
}

} // namespace

std::vector<MountEntry> parse(const QByteArray& mountsText)
{
    // By mount path: a later line mounted over an earlier one is the volume there.
    std::map<QString, MountEntry> byPath;
    for (const QByteArray& line : mountsText.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        MountEntry entry{unescape(fields[1]), unescape(fields[0]), QString::fromLatin1(fields[2]), {}};
        if (entry.mountPath.startsWith(u'/')) // a damaged line names no place
            byPath[entry.mountPath] = entry;
    }
    std::vector<MountEntry> entries;
    for (auto& [path, entry] : byPath) {
        if (!isPseudo(entry.fsType, path) && !isClutter(entry.fsType, path))
            entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<MountEntry> readSystem()
{
    QFile file(QStringLiteral("/proc/self/mounts"));
    if (!file.open(QIODevice::ReadOnly))
        return {MountEntry{QStringLiteral("/"), {}, {}, {}}};
    std::vector<MountEntry> entries = parse(file.readAll());
    // Bind-mounted single files (common in containers) are not volumes. A
    // mount that does not answer (a stopped network server) stays listed,
    // as file managers show it, but is never waited for.
    std::vector<QByteArray> paths;
    for (const MountEntry& e : entries)
        paths.push_back(QFile::encodeName(e.mountPath));
    const std::vector<std::optional<bool>> folders = folderprobe::areFolders(paths, kPatience);
    for (size_t i = folders.size(); i-- > 0;) {
        if (folders[i] == false)
            entries.erase(entries.begin() + qsizetype(i));
    }
    const std::map<QString, QString> labels = labelsByDevice();
    for (MountEntry& e : entries) {
        if (!e.device.startsWith(QLatin1String("/dev/")))
            continue;
        const auto found = labels.find(QFileInfo(e.device).canonicalFilePath());
        if (found != labels.end())
            e.label = found->second;
    }
    return entries;
}

MountSource systemSource()
{
    return [] { return readSystem(); };
}

} // namespace mounttable
