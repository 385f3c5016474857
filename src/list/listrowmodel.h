#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QTimer>
#include <vector>

// The rows of the file list. Names and folders are kept as the bytes the
// file system gave, so a row always rebuilds the exact path on disk; the
// texts shown are decoded from them.
// A row takes 24 bytes and its name's own bytes: names are kept end to end
// in one store, as a list may hold millions of rows.
struct ListRow {
    qint64 nameAt = 0;      // where the name starts in the model's name store
    qint64 sizeKb = -1;     // -1 for a folder
    quint32 folder = 0;     // index into the model's folder table
    quint32 nameLength = 0;
};

// Appended rows reach views in batches, a few times a second, so a walk
// that adds rows by the thousand does not repaint the list for each one;
// the program's own accessors publish first and so see every row at once.
class ListRowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListRowModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setHeaders(const QStringList& headers);

    // folderPath ends in "/"; sizeKb is -1 for a folder.
    void append(const QByteArray& folderPath, const QByteArray& name, qint64 sizeKb);
    void clear();
    // Makes every appended row visible to views now.
    void publish();

    int count() const { return static_cast<int>(rows_.size()); }
    // Index is 0-based here.
    QByteArray nameOf(int i) const { return QByteArray(names_.data() + rows_[i].nameAt, rows_[i].nameLength); }
    const QByteArray& folderOf(int i) const { return folders_[rows_[i].folder]; }
    bool isFolder(int i) const { return rows_[i].sizeKb < 0; }
    QString text(int i, int column) const;

signals:
    // Emitted after rows were published into an empty list.
    void firstRowsPublished();

private:
    std::vector<ListRow> rows_;
    std::vector<char> names_;
    std::vector<QByteArray> folders_;
    QStringList headers_;
    int published_ = 0;
    QTimer publishTimer_;
};
