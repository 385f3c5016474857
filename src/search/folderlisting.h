#pragma once

#include <QByteArray>
#include <vector>

// The platform's folder listing: every entry of a folder ("." and ".."
// left out, hidden entries included), in natural name order.
namespace folderlisting {

struct Entry {
    QByteArray name;
    // From the listing itself; a link or an unknown type needs isFolder().
    enum class Kind { Folder, File, Other, Unknown } kind = Kind::Unknown;
};

// The folder's path with a final "/" (the root stays "/").
QByteArray AddBackslash(const QByteArray& path);
// The path of an entry of the folder.
QByteArray joinPath(const QByteArray& folder, const QByteArray& name);

// False when the folder cannot be listed; entries is then empty.
bool list(const QByteArray& folderPath, std::vector<Entry>& entries);
// The same for a folder already open (folderFd stays open).
bool list(int folderFd, std::vector<Entry>& entries);

// The subfolders only (links to folders included), in natural order.
std::vector<QByteArray> subfolders(const QByteArray& folderPath);

// Whether the folder lies on a kernel pseudo file system (/proc, /sys...),
// which holds the kernel's view of itself rather than files.
bool isPseudoFileSystem(const QByteArray& folder);

// "Is a folder", following links.
bool isFolder(const QByteArray& path);
// Whether a listed entry of the open folder is a subfolder (links to
// folders included).
bool isSubfolder(int folderFd, const Entry& entry);

// Case-insensitive order in which runs of digits compare by value
// ("2" before "10"), the order file managers show. Listings compare names
// folded (NFKC) first, so "第１話" sorts as "第1話".
bool naturalLess(const QByteArray& a, const QByteArray& b);

} // namespace folderlisting
