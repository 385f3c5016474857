#include "list/listview.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

class ListViewTest : public QObject {
    Q_OBJECT
private slots:
    void rowsAreNumberedFromOneAndTheFirstIsSelected()
    {
        ListView list;
        list.show();
        QCOMPARE(list.selectedIndex(), 0);
        list.appendRow("/m/", "a.mp3", 3);
        list.appendRow("/m/", "b.mp3", -1);
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.selectedIndex(), 1);
        QCOMPARE(list.rowText(2), QStringLiteral("b.mp3"));
        QCOMPARE(list.fullPath(1), QByteArray("/m/a.mp3"));
        QCOMPARE(list.rows().text(0, 1), QStringLiteral("3KB"));
        QCOMPARE(list.rows().text(1, 1), QStringLiteral("フォルダ"));
        list.select(2);
        QCOMPARE(list.selectedIndex(), 2);
        list.clearRows();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.selectedIndex(), 0);
        list.appendRow("/n/", "c.mp3", 0);
        QCOMPARE(list.selectedIndex(), 1);
    }

    void aMillionRowsStayUsable()
    {
        ListView list;
        list.resize(200, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const int rows = 1000000;
        for (int i = 0; i < rows; ++i)
            list.appendRow("/folder/" + QByteArray::number(i / 1000) + '/', "clip" + QByteArray::number(i) + ".mp3", i);
        QCOMPARE(list.count(), rows);
        list.select(rows);
        list.EnsureVisible(rows);
        QTest::qWait(50);
        QCOMPARE(list.selectedIndex(), rows);
        QCOMPARE(list.verticalScrollBar()->value(), list.verticalScrollBar()->maximum());
        QCOMPARE(list.rowText(rows), QStringLiteral("clip999999.mp3"));
        list.clearRows();
        QCOMPARE(list.count(), 0);
    }

    void nextAndPreviousWrapAndScrollTheRowIntoView()
    {
        ListView list;
        list.resize(200, 120);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        SelectNextRow(list); // nothing selected in an empty list: nothing happens
        QCOMPARE(list.selectedIndex(), 0);
        for (int i = 1; i <= 200; ++i)
            list.appendRow("/m/", QByteArray::number(i) + ".mp3", 1);
        const auto shown = [&list](int row) {
            return list.viewport()->rect().contains(list.visualRect(list.rows().index(row - 1, 0)));
        };
        SelectPreviousRow(list); // from row 1 back to the last
        QCOMPARE(list.selectedIndex(), 200);
        QVERIFY(shown(200));
        SelectNextRow(list); // and on to the first
        QCOMPARE(list.selectedIndex(), 1);
        QVERIFY(shown(1));
        list.select(100);
        SelectNextRow(list);
        QCOMPARE(list.selectedIndex(), 101);
        QVERIFY(shown(101));
        QVERIFY(list.hasFocus() || list.focusPolicy() != Qt::NoFocus);
    }

    void tabStopFalseKeepsClickFocus()
    {
        ListView list;
        QVERIFY(list.tabStop());
        list.setTabStop(false);
        QVERIFY(!list.tabStop());
        QCOMPARE(list.focusPolicy(), Qt::ClickFocus);
    }
};

QTEST_MAIN(ListViewTest)
#include "tst_listview.moc"
