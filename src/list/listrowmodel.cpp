#include "list/listrowmodel.h"

#include "platform/nativename.h"

ListRowModel::ListRowModel(QObject* parent) : QAbstractTableModel(parent)
{
    publishTimer_.setSingleShot(true);
    publishTimer_.setInterval(100);
    connect(&publishTimer_, &QTimer::timeout, this, &ListRowModel::publish);
}

int ListRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : published_;
}

int ListRowModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QString ListRowModel::text(int i, int column) const
{
    const ListRow& r = rows_[i];
    switch (column) {
    case 0:
        return nativename::toDisplay(nameOf(i));
    case 1:
        return r.sizeKb < 0 ? QStringLiteral("フォルダ") : QString::number(r.sizeKb) + QStringLiteral("KB");
    default:
        return nativename::toDisplay(folders_[r.folder]);
    }
}

QVariant ListRowModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= published_)
        return {};
    return text(index.row(), index.column());
}

QVariant ListRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < headers_.size())
        return headers_[section];
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void ListRowModel::setHeaders(const QStringList& headers)
{
    headers_ = headers;
    emit headerDataChanged(Qt::Horizontal, 0, 2);
}

void ListRowModel::append(const QByteArray& folderPath, const QByteArray& name, qint64 sizeKb)
{
    // Walks add a folder's rows together, so the last folder is the one to reuse.
    if (folders_.empty() || folders_.back() != folderPath)
        folders_.push_back(folderPath);
    rows_.push_back({qint64(names_.size()), sizeKb, static_cast<quint32>(folders_.size() - 1), quint32(name.size())});
    names_.insert(names_.end(), name.begin(), name.end());
    if (!publishTimer_.isActive())
        publishTimer_.start();
}

void ListRowModel::clear()
{
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    names_.clear();
    names_.shrink_to_fit();
    folders_.clear();
    published_ = 0;
    endResetModel();
}

void ListRowModel::publish()
{
    publishTimer_.stop();
    if (published_ >= count())
        return;
    const bool wasEmpty = published_ == 0;
    beginInsertRows({}, published_, count() - 1);
    published_ = count();
    endInsertRows();
    if (wasEmpty)
        emit firstRowsPublished();
}
