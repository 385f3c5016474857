#include "app/mainwindow.h"
#include "dialogs/filetypedialog.h"
#include "search/listview.h"
#include "settings/filetypetable.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

using testsupport::TestProgram;

namespace {
QString stored(TestProgram& program, const char* key)
{
    return program.app->settings().getSetting("ZOLT", "MPFile", QLatin1String(key), "(NO DATA)");
}
} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void mediaDialogIsLaidOutAsDesigned()
    {
        TestProgram program;
        FileTypeDialog& dialog = program.app->form3();
        QCOMPARE(dialog.objectName(), QStringLiteral("Form3"));
        QCOMPARE(dialog.size(), twips::toPixelSize(2550, 3660));
        QCOMPARE(dialog.Command1->text(), QStringLiteral("ＯＫ"));
        QCOMPARE(dialog.Command2->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.Check(10)->geometry(), twips::toPixelRect({120, 2760, 855, 255}));
        QCOMPARE(dialog.Check(8)->text(), QStringLiteral("*.wave"));
        QVERIFY(!dialog.Command1->isDefault());
        // Tab order: ram, mpg, mpeg, qt, mov, dat, wave, OK, Cancel, avi, ra, mp3, rm.
        const QList<QWidget*> order = {dialog.Check(2), dialog.Check(3), dialog.Check(4), dialog.Check(5), dialog.Check(6),
                                       dialog.Check(7), dialog.Check(8), dialog.Command1, dialog.Command2, dialog.Check(0),
                                       dialog.Check(1), dialog.Check(9), dialog.Check(10)};
        for (int i = 1; i < order.size(); ++i)
            QCOMPARE(order[i - 1]->nextInFocusChain(), order[i]);
        for (int i = 0; i < 11; ++i)
            QVERIFY(dialog.Check(i)->isChecked()); // first run
    }

    void pictureDialogIsLaidOutAsDesigned()
    {
        TestProgram program;
        FileTypeDialog& dialog = program.app->form5();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("スライドショー"));
        QCOMPARE(dialog.size(), twips::toPixelSize(2325, 2445));
        QCOMPARE(dialog.Command1->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.Command1->geometry(), twips::toPixelRect({0, 1920, 1095, 495}));
        QCOMPARE(dialog.Check(1)->nextInFocusChain(), dialog.Check(0));
    }

    void okStoresAndCancelDiscards()
    {
        TestProgram program;
        program.app->form3().Check(6)->setChecked(false); // *.mov
        program.app->form3().Command1->click();
        QVERIFY(testsupport::waitFor([&] { return !program.app->form3IfLoaded(); }));
        QCOMPARE(stored(program, "OPEN"), QStringLiteral("ON"));
        QCOMPARE(stored(program, "mov"), QStringLiteral("OFF"));
        QCOMPARE(stored(program, "avi"), QStringLiteral("ON"));
        QCOMPARE(stored(program, "PICOPEN"), QStringLiteral("(NO DATA)"));
        QVERIFY(!program.app->form3().Check(6)->isChecked());

        program.app->form3().Check(0)->setChecked(false);
        program.app->form3().Command2->click();
        QVERIFY(testsupport::waitFor([&] { return !program.app->form3IfLoaded(); }));
        QVERIFY(program.app->form3().Check(0)->isChecked());
        QCOMPARE(stored(program, "avi"), QStringLiteral("ON"));

        program.app->form5().Check(2)->setChecked(false);
        program.app->form5().close(); // the close box
        QVERIFY(testsupport::waitFor([&] { return !program.app->form5IfLoaded(); }));
        QVERIFY(program.app->form5().Check(2)->isChecked());
        QCOMPARE(stored(program, "gif"), QStringLiteral("(NO DATA)"));
    }

    void enterAndEscapeOnABoxDoNothing()
    {
        TestProgram program;
        FileTypeDialog& dialog = program.app->form3();
        dialog.show();
        dialog.Check(3)->setFocus();
        QTest::keyClick(dialog.Check(3), Qt::Key_Return);
        QTest::keyClick(dialog.Check(3), Qt::Key_Escape);
        QTest::qWait(50);
        QVERIFY(program.app->form3IfLoaded());
        QCOMPARE(stored(program, "OPEN"), QStringLiteral("(NO DATA)"));
    }

    void aSearchUsesTheBoxesAsTheyAreOnScreen()
    {
        TestProgram program;
        testsupport::TempTree tree;
        tree.addAll({"a.avi", "b.mp3"});
        program.app->form1().mnuOption_Click();
        program.app->form3().Check(0)->setChecked(false); // untick *.avi, no OK
        program.app->FoundCount = 0;
        program.app->WalkFolder(tree.nativeRoot());
        QCOMPARE(program.app->form1().ListView1->count(), 1);
        QCOMPARE(program.app->form1().ListView1->rowText(1), QStringLiteral("b.mp3"));
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
