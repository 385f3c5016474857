#include "search/dirlist.h"

#include "platform/nativename.h"
#include "search/folderlisting.h"

#include <QDir>
#include <QStyle>
#include <unistd.h>

namespace {

QByteArray normalized(const QByteArray& path)
{
    QByteArray p = path;
    if (!p.startsWith('/'))
        p = QFile::encodeName(QDir::currentPath()) + '/' + p;
    while (p.contains("//"))
        p.replace("//", "/");
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p;
}

QByteArray childPath(const QByteArray& folder, const QByteArray& name)
{
    return folder == "/" ? folder + name : folder + '/' + name;
}

constexpr int kPathRole = Qt::UserRole;

} // namespace

DirList::DirList(std::function<QString(const QString&)> volumeOf, QWidget* parent)
    : QListWidget(parent), volumeOf_(std::move(volumeOf)), path_(normalized(QFile::encodeName(QDir::currentPath())))
{
    setObjectName(QStringLiteral("Dir1"));
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(100);
    connect(&refreshTimer_, &QTimer::timeout, this, &DirList::rebuild);
    currentByVolume_[volumeOf_(path())] = path_;
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        setNativePath(item->data(kPathRole).toByteArray());
    });
    rebuild();
}

QString DirList::path() const
{
    return nativename::toDisplay(path_);
}

bool DirList::setPath(const QString& path)
{
    return !path.isEmpty() && setNativePath(nativename::fromDisplay(path));
}

bool DirList::setNativePath(const QByteArray& path)
{
    if (path.isEmpty())
        return false;
    const QByteArray target = normalized(path);
    if (!folderlisting::isFolder(target) || ::access(target.constData(), R_OK | X_OK) != 0)
        return false;
    if (target == path_)
        return true;
    path_ = target;
    currentByVolume_[volumeOf_(nativename::toDisplay(path_))] = path_;
    if (!refreshTimer_.isActive())
        refreshTimer_.start();
    emit Change();
    return true;
}

bool DirList::moveToDrive(const QString& mountPath)
{
    const auto remembered = currentByVolume_.find(mountPath);
    if (remembered != currentByVolume_.end() && setNativePath(remembered->second))
        return true;
    return setNativePath(nativename::fromDisplay(mountPath));
}

void DirList::refreshNow()
{
    refreshTimer_.stop();
    rebuild();
}

void DirList::rebuild()
{
    clear();
    const QByteArray root = nativename::fromDisplay(volumeOf_(path()));
    QList<QByteArray> chain;
    for (QByteArray p = path_; ; p = normalized(p.left(p.lastIndexOf('/') + 1))) {
        chain.prepend(p);
        if (p == "/" || p == root || p.lastIndexOf('/') < 0)
            break;
    }
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int depth = 0;
    for (const QByteArray& folder : chain) {
        const QByteArray name = folder == chain.first() ? folder : folder.mid(folder.lastIndexOf('/') + 1);
        auto* item = new QListWidgetItem(openIcon, QString(depth++ * 2, u' ') + nativename::toDisplay(name), this);
        item->setData(kPathRole, folder);
    }
    setCurrentRow(count() - 1);
    std::vector<folderlisting::Entry> entries;
    folderlisting::list(path_, entries);
    for (const folderlisting::Entry& e : entries) {
        const QByteArray child = childPath(path_, e.name);
        if (e.kind == folderlisting::Entry::Kind::Folder ||
            (e.kind == folderlisting::Entry::Kind::Unknown && folderlisting::isFolder(child))) {
            auto* item = new QListWidgetItem(closedIcon, QString(depth * 2, u' ') + nativename::toDisplay(e.name), this);
            item->setData(kPathRole, child);
        }
    }
}
