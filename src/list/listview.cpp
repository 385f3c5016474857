#include "list/listview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyleOptionHeader>

namespace {

// Measures the sections in the face they are drawn in. Qt measures them in
// bold, for highlighted sections this list never shows, and for a CJK font
// that opens a second font file before the window can first be drawn.
class RegularWeightHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.section = logicalIndex;
        option.text = model()->headerData(logicalIndex, orientation()).toString();
        return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
    }
};

} // namespace

ListView::ListView(QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("ListView1"));
    setHeader(new RegularWeightHeader(Qt::Horizontal, this));
    setModel(&model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(this, &QTreeView::clicked, this, &ListView::Click);
    // After the list has been filled from empty, its first row is selected.
    connect(&model_, &ListRowModel::firstRowsPublished, this, [this] {
        if (selectedIndex() == 0)
            select(1);
    });
}

int ListView::count()
{
    model_.publish();
    return model_.count();
}

int ListView::selectedIndex()
{
    model_.publish();
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

void ListView::select(int index)
{
    model_.publish();
    if (index < 1 || index > model_.count())
        return;
    selectionModel()->setCurrentIndex(model_.index(index - 1, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::EnsureVisible(int index)
{
    model_.publish();
    if (index >= 1 && index <= model_.count())
        scrollTo(model_.index(index - 1, 0));
}

QByteArray ListView::fullPath(int index) const
{
    return model_.folderOf(index - 1) + model_.nameOf(index - 1);
}

int ListView::rowOf(const QByteArray& path)
{
    for (int row = 1; row <= count(); ++row)
        if (fullPath(row) == path)
            return row;
    return 0;
}

QString ListView::rowText(int index) const
{
    return model_.text(index - 1, 0);
}

void ListView::appendRow(const QByteArray& folderPath, const QByteArray& name, qint64 sizeKb)
{
    model_.append(folderPath, name, sizeKb);
}

void ListView::clearRows()
{
    model_.clear();
}

void ListView::setTabStop(bool on)
{
    setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

bool ListView::tabStop() const
{
    return focusPolicy() & Qt::TabFocus;
}

int ListView::virtualKeyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyEnter;
    case Qt::Key_Space:
        return kKeySpace;
    case Qt::Key_Muhenkan:
        return kKeyNonConvert;
    case Qt::Key_Backspace:
        return kKeyBackspace;
    case Qt::Key_B:
        return kKeyB;
    default:
        return qtKey;
    }
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    const int code = virtualKeyCode(event->key());
    emit KeyDown(code);
    // The stepping keys act on key up; the list's own handling (type-ahead
    // on a space or a "b") would fight that.
    if (code == kKeySpace || code == kKeyNonConvert || code == kKeyEnter || code == kKeyBackspace || code == kKeyB)
        return;
    QTreeView::keyPressEvent(event);
}

void ListView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    emit KeyUp(virtualKeyCode(event->key()));
}

namespace {
} // namespace

void SelectRow(ListView& list, int row)
{
    list.select(row);
    list.EnsureVisible(row);
    list.select(row);
    list.setFocus();
}

int RowAfter(ListView& list, int row)
{
    return row < list.count() ? row + 1 : 1;
}

void SelectNextRow(ListView& list)
{
    const int row = list.selectedIndex();
    if (row != 0)
        SelectRow(list, RowAfter(list, row));
}

void SelectPreviousRow(ListView& list)
{
    const int row = list.selectedIndex();
    if (row != 0)
        SelectRow(list, row == 1 ? list.count() : row - 1);
}
