#pragma once

#include "list/listrowmodel.h"

#include <QTreeView>

// The file list in report view. Row numbers in this interface start at 1,
// as the rest of the program counts them; 0 means "no row".
class ListView : public QTreeView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    ListRowModel& rows() { return model_; }

    // ListItems.Count
    int count();
    // Index of SelectedItem, or 0 when no row is selected.
    int selectedIndex();
    // ListItems(i).Selected = true
    void select(int index);
    void EnsureVisible(int index);
    // The row's full path on disk: its folder followed by its name.
    QByteArray fullPath(int index) const;
    // The first row with that full path; 0 when none has it.
    int rowOf(const QByteArray& path);
    QString rowText(int index) const;

    void appendRow(const QByteArray& folderPath, const QByteArray& name, qint64 sizeKb);
    void clearRows();

    // TabStop = false keeps the list out of the Tab order; clicks and the
    // program can still focus it.
    void setTabStop(bool on);
    bool tabStop() const;

    // Virtual-key codes used by the key events.
    static constexpr int kKeyEnter = 13;
    static constexpr int kKeySpace = 32;
    static constexpr int kKeyNonConvert = 29;
    static constexpr int kKeyBackspace = 8;
    static constexpr int kKeyB = 66;
    static int virtualKeyCode(int qtKey);

signals:
    void Click();
    void KeyDown(int keyCode);
    void KeyUp(int keyCode);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    ListRowModel model_;
};

// Moves the selection one row on or back, wrapping at the ends, scrolls
// it into view and focuses the list; nothing happens when no row is
// selected.
// Selects the row (1-based), scrolled into view, with the focus on the list.
void SelectRow(ListView& list, int row);
void SelectNextRow(ListView& list);
// The row after row, wrapping at the end.
int RowAfter(ListView& list, int row);
void SelectPreviousRow(ListView& list);
