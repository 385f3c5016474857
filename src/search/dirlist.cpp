#include "search/dirlist.h"

#include "desktop/folderprobe.h"
#include "desktop/mounttable.h"
#include "platform/nativename.h"
#include "search/folderlisting.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QPointer>
#include <thread>
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

constexpr int kPathRole = Qt::UserRole;

// Each level is indented a little, up to a limit, so a very deep folder
// still shows its name.
QString indent(int depth)
{
    return QString(std::min(depth, 12) * 2, u' ');
}

// A small folder, drawn here rather than looked up in an icon theme
// (which costs the start-up more than the whole list), at 1, 2 and 3
// device pixels a pixel so it is sharp on any screen.
QIcon folderIcon(bool open)
{
    QIcon icon;
    for (const int ratio : {1, 2, 3}) {
        QPixmap pixmap(16 * ratio, 16 * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(120, 90, 20));
        painter.setBrush(QColor(240, 200, 90));
        painter.drawRoundedRect(QRectF(1.5, 2.5, 6, 3), 1, 1);
        painter.drawRect(QRectF(1.5, 4.5, 13, 9));
        if (open) {
            painter.setBrush(QColor(255, 225, 130));
            painter.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QIcon& openFolderIcon()
{
    static const QIcon icon = folderIcon(true);
    return icon;
}

const QIcon& closedFolderIcon()
{
    static const QIcon icon = folderIcon(false);
    return icon;
}

} // namespace

DirList::DirList(std::function<QString(const QString&)> volumeOf, QWidget* parent)
    : QListWidget(parent), volumeOf_(std::move(volumeOf)), path_(normalized(QFile::encodeName(QDir::currentPath())))
{
    setObjectName(QStringLiteral("Dir1"));
    setUniformItemSizes(true);
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(100);
    connect(&refreshTimer_, &QTimer::timeout, this, &DirList::rebuild);
    currentByVolume_[volumeOf_(path())] = path_;
    refreshTimer_.start();
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        setNativePath(item->data(kPathRole).toByteArray());
    });
}

void DirList::showEvent(QShowEvent* event)
{
    if (refreshTimer_.isActive())
        refreshNow();
    QListWidget::showEvent(event);
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
    // Asked from a thread: a folder on a mount that does not answer is
    // refused after the patience instead of holding the window.
    const QByteArray target = normalized(path);
    if (!folderprobe::isFolder(target, mounttable::kPatience).value_or(false) ||
        ::access(target.constData(), R_OK | X_OK) != 0)
        return false;
    moveTo(target);
    return true;
}

bool DirList::returnTo(const QByteArray& path)
{
    const QByteArray target = normalized(path);
    if (!folderprobe::isFolder(target, mounttable::kPatience).value_or(true))
        return false;
    moveTo(target);
    return true;
}

void DirList::enterCheckedFolder(const QByteArray& path)
{
    moveTo(normalized(path));
}

void DirList::moveTo(const QByteArray& target)
{
    if (target == path_)
        return;
    path_ = target;
    currentByVolume_[volumeOf_(nativename::toDisplay(path_))] = path_;
    if (!refreshTimer_.isActive())
        refreshTimer_.start();
    emit Change();
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
    showChain();
    // Shown when read, if still the folder shown. A thread of its own, not
    // the pool's: one stuck on a dead mount leaves the next reads free.
    const QByteArray folder = path_;
    const quint64 generation = ++rebuilds_;
    std::thread([folder, generation, list = QPointer<DirList>(this)] {
        std::vector<QByteArray> names = folderlisting::subfolders(folder);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [=, names = std::move(names)] {
            if (list && list->rebuilds_ == generation && list->path_ == folder)
                list->showSubfolders(names);
        }, Qt::QueuedConnection);
    }).detach();
}

void DirList::showChain()
{
    ++rebuilds_;
    clear();
    const QByteArray root = nativename::fromDisplay(volumeOf_(path()));
    QList<QByteArray> chain;
    for (QByteArray p = path_; ; p = normalized(p.left(p.lastIndexOf('/') + 1))) {
        chain.prepend(p);
        if (p == "/" || p == root || p.lastIndexOf('/') < 0)
            break;
    }
    int depth = 0;
    for (const QByteArray& folder : chain) {
        const QByteArray name = folder == chain.first() ? folder : folder.mid(folder.lastIndexOf('/') + 1);
        auto* item = new QListWidgetItem(openFolderIcon(), indent(depth++) + nativename::toDisplay(name), this);
        item->setData(kPathRole, folder);
    }
    setCurrentRow(count() - 1);
    chainLength_ = depth;
}

void DirList::showSubfolders(const std::vector<QByteArray>& names)
{
    for (const QByteArray& name : names) {
        auto* item = new QListWidgetItem(closedFolderIcon(), indent(chainLength_) + nativename::toDisplay(name), this);
        item->setData(kPathRole, folderlisting::joinPath(path_, name));
    }
}
