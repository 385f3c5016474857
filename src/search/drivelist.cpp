#include "search/drivelist.h"

#include "desktop/folderprobe.h"

#include <QFile>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <qdrawutil.h>
#include <algorithm>

namespace {
const QColor kOrange(255, 192, 128);
} // namespace

DriveList::DriveList(MountSource source, QWidget* parent)
    : QComboBox(parent), source_(std::move(source))
{
    setObjectName(QStringLiteral("Drive1"));
    reload();
    connect(this, &QComboBox::activated, this, [this](int row) {
        // A copy: choosing reloads the volumes under the reference.
        const QString chosen = row >= 0 && row < int(volumes_.size()) ? volumes_[row].mountPath : QString();
        if (!chosen.isEmpty() && !setDrive(chosen))
            showCurrent();
    });
}

QString DriveList::volumeOf(const QString& path) const
{
    QString best;
    for (const MountEntry& v : volumes_) {
        const QString& mount = v.mountPath;
        const bool holds = path == mount || mount == QLatin1String("/") ||
                           path.startsWith(mount.endsWith(u'/') ? mount : mount + u'/');
        if (holds && mount.size() > best.size())
            best = mount;
    }
    return best;
}

bool DriveList::setDrive(const QString& mountPath)
{
    reload(); // volumes come and go
    const bool mounted = std::any_of(volumes_.begin(), volumes_.end(),
                                     [&](const MountEntry& v) { return v.mountPath == mountPath; });
    return mounted && select(mountPath);
}

bool DriveList::setDriveOf(const QString& path)
{
    reload();
    return select(volumeOf(path));
}

void DriveList::showDriveOfCheckedFolder(const QString& folder)
{
    reload();
    const QString volume = volumeOf(folder);
    if (volume.isEmpty())
        return;
    drive_ = volume;
    showCurrent();
}

bool DriveList::select(const QString& volume)
{
    if (volume.isEmpty() || !folderprobe::isFolder(QFile::encodeName(volume), mounttable::kPatience).value_or(false))
        return false;
    const bool changed = volume != drive_;
    drive_ = volume;
    showCurrent();
    if (changed)
        emit Change();
    return true;
}

void DriveList::showPopup()
{
    reload();
    QComboBox::showPopup();
}

void DriveList::reload()
{
    std::vector<MountEntry> volumes = source_();
    if (volumes == volumes_ && count() == int(volumes_.size()))
        return;
    volumes_ = std::move(volumes);
    const QSignalBlocker quiet(this);
    clear();
    for (const MountEntry& v : volumes_)
        addItem(v.displayText());
    showCurrent();
}

void DriveList::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.fillRect(rect(), kOrange);
    painter.setPen(hasFocus() ? QPen(Qt::black, 1, Qt::DashLine) : QPen(Qt::gray));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect button = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this)
                             .adjusted(0, 1, -1, -1);
    const QBrush face(kOrange.lighter(110));
    qDrawShadePanel(&painter, button, palette(), option.state & QStyle::State_On, 1, &face);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = button.adjusted(3, 3, -3, -3);
    arrow.palette.setColor(QPalette::ButtonText, Qt::black);
    painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);

    const QRect text(4, 0, button.left() - 6, height());
    painter.setPen(Qt::black);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(currentText(), Qt::ElideRight, text.width()));
}

void DriveList::showCurrent()
{
    const QSignalBlocker quiet(this);
    for (int i = 0; i < int(volumes_.size()); ++i) {
        if (volumes_[i].mountPath == drive_) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
}

QString FindCdRomDrive(const std::vector<MountEntry>& volumes)
{
    for (const MountEntry& v : volumes) {
        if (v.isOptical())
            return v.mountPath;
    }
    return {};
}
