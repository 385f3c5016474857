#include "mainwindow/mainwindow.h"
#include "dialogs/filetypedialog.h"
#include "list/listview.h"
#include "search/searchcommand.h"
#include "settings/filetypetable.h"
#include "support/testsupport.h"

#include "search/dirlist.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QSettings>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyleOptionGroupBox>
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
        FileTypeDialog& dialog = program.app->mediaTypesDialog();
        QCOMPARE(dialog.objectName(), QStringLiteral("Form3"));
        // The documented dialog, with the other formats' group below it.
        QCOMPARE(dialog.width(), twips::toPixels(2550));
        QCOMPARE(dialog.findChild<QGroupBox*>("OtherTypes")->y(), twips::toPixels(3660));
        QCOMPARE(dialog.okButton->text(), QStringLiteral("ＯＫ"));
        QCOMPARE(dialog.cancelButton->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.Check(10)->geometry(), twips::toPixelRect({120, 2760, 855, 255}));
        QCOMPARE(dialog.Check(8)->text(), QStringLiteral("*.wave"));
        QVERIFY(!dialog.okButton->isDefault());
        // Tab order: ram, mpg, mpeg, qt, mov, dat, wave, OK, Cancel, avi, ra, mp3, rm.
        const QList<QWidget*> order = {dialog.Check(2), dialog.Check(3), dialog.Check(4), dialog.Check(5), dialog.Check(6),
                                       dialog.Check(7), dialog.Check(8), dialog.okButton, dialog.cancelButton, dialog.Check(0),
                                       dialog.Check(1), dialog.Check(9), dialog.Check(10)};
        for (int i = 1; i < order.size(); ++i)
            QCOMPARE(order[i - 1]->nextInFocusChain(), order[i]);
        for (int i = 0; i < 11; ++i)
            QVERIFY(dialog.Check(i)->isChecked()); // first run
    }

    // A desktop font of 16 points: every caption still fits its box, and
    // the other formats' boxes stand inside their group, below its title.
    void captionsFitWithALargeDesktopFont()
    {
        const QFont usual = QApplication::font();
        const auto restore = qScopeGuard([&usual] { QApplication::setFont(usual); });
        QFont large = usual;
        large.setPointSize(16);
        QApplication::setFont(large);
        TestProgram program;
        FileTypeDialog& dialog = program.app->mediaTypesDialog();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (int i = 0; i < 11; ++i)
            QVERIFY2(dialog.Check(i)->sizeHint().width() <= dialog.Check(i)->width(), qPrintable(dialog.Check(i)->text()));
        const QGroupBox& group = *dialog.findChild<QGroupBox*>("OtherTypes");
        QStyleOptionGroupBox option;
        option.initFrom(&group);
        option.text = group.title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect title = group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
        const QList<QCheckBox*> others = group.findChildren<QCheckBox*>();
        QVERIFY(others.size() >= 9);
        for (const QCheckBox* other : others) {
            const QRect box = other->geometry();
            QVERIFY2(box.top() > title.bottom() && group.rect().contains(box), qPrintable(other->text()));
            QVERIFY(other->sizeHint().width() <= box.width());
        }
        QVERIFY(dialog.height() > group.geometry().bottom());
    }

    void pictureDialogIsLaidOutAsDesigned()
    {
        TestProgram program;
        FileTypeDialog& dialog = program.app->pictureTypesDialog();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("スライドショー"));
        QCOMPARE(dialog.width(), twips::toPixels(2325));
        QCOMPARE(dialog.findChild<QGroupBox*>("OtherTypes")->y(), twips::toPixels(2445));
        QCOMPARE(dialog.okButton->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.okButton->geometry(), twips::toPixelRect({0, 1920, 1095, 495}));
        QCOMPARE(dialog.Check(1)->nextInFocusChain(), dialog.Check(0));
    }

    void otherFormatsStartOffAndAreStoredApart()
    {
        TestProgram program;
        testsupport::TempTree tree;
        tree.addAll({"a.avi", "b.mp4", "c.MKV", "d.flac"});
        FileTypeDialog& dialog = program.app->mediaTypesDialog();
        QCOMPARE(dialog.findChild<QGroupBox*>("OtherTypes")->title(), QStringLiteral("その他の形式"));
        QStringList patterns;
        for (int i = 0; i < 9; ++i) {
            QVERIFY(!dialog.otherCheck(i)->isChecked());
            patterns << dialog.otherCheck(i)->text();
        }
        QCOMPARE(patterns, QStringList({"*.mp4", "*.m4v", "*.mkv", "*.webm", "*.wav", "*.flac", "*.ogg", "*.opus", "*.m4a"}));
        QWidget* next = dialog.Check(10)->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next, dialog.otherCheck(0)); // Tab goes on to the other formats
        program.app->search().walkWithFilter(tree.nativeRoot());
        QCOMPARE(program.app->mainWindow().fileList->count(), 1); // off until chosen
        dialog.otherCheck(0)->setChecked(true); // *.mp4
        dialog.otherCheck(2)->setChecked(true); // *.mkv
        dialog.okButton->click();
        QVERIFY(testsupport::waitFor([&] { return !program.app->loadedMediaTypesDialog(); }));
        QCOMPARE(stored(program, "OPEN2"), QStringLiteral("ON"));
        QCOMPARE(stored(program, "mp4"), QStringLiteral("ON"));
        QCOMPARE(stored(program, "flac"), QStringLiteral("OFF"));
        program.app->mainWindow().fileList->clearRows();
        program.app->search().walkWithFilter(tree.nativeRoot());
        QCOMPARE(program.app->mainWindow().fileList->count(), 3);
        QCOMPARE(program.app->pictureTypesDialog().otherCheck(1)->text(), QStringLiteral("*.png"));
    }

    void okStoresAndCancelDiscards()
    {
        TestProgram program;
        program.app->mediaTypesDialog().Check(6)->setChecked(false); // *.mov
        program.app->mediaTypesDialog().okButton->click();
        QVERIFY(testsupport::waitFor([&] { return !program.app->loadedMediaTypesDialog(); }));
        QCOMPARE(stored(program, "OPEN"), QStringLiteral("ON"));
        QCOMPARE(stored(program, "mov"), QStringLiteral("OFF"));
        QCOMPARE(stored(program, "avi"), QStringLiteral("ON"));
        QCOMPARE(stored(program, "PICOPEN"), QStringLiteral("(NO DATA)"));
        QVERIFY(!program.app->mediaTypesDialog().Check(6)->isChecked());

        program.app->mediaTypesDialog().Check(0)->setChecked(false);
        program.app->mediaTypesDialog().cancelButton->click();
        QVERIFY(testsupport::waitFor([&] { return !program.app->loadedMediaTypesDialog(); }));
        QVERIFY(program.app->mediaTypesDialog().Check(0)->isChecked());
        QCOMPARE(stored(program, "avi"), QStringLiteral("ON"));

        program.app->pictureTypesDialog().Check(2)->setChecked(false);
        program.app->pictureTypesDialog().close(); // the close box
        QVERIFY(testsupport::waitFor([&] { return !program.app->loadedPictureTypesDialog(); }));
        QVERIFY(program.app->pictureTypesDialog().Check(2)->isChecked());
        QCOMPARE(stored(program, "gif"), QStringLiteral("(NO DATA)"));
    }

    void okDuringAWalkReachesTheFileAtOnce()
    {
        TestProgram program;
        testsupport::TempTree tree;
        tree.addAll({"a/x.avi", "b/y.avi"});
        QString inFile;
        bool clicked = false;
        DirList& folders = *program.app->mainWindow().folderList;
        QObject::connect(&folders, &DirList::Change, [&] {
            if (clicked)
                return;
            clicked = true; // the walk has entered its first subfolder
            program.app->mediaTypesDialog().Check(6)->setChecked(false); // *.mov
            program.app->mediaTypesDialog().okButton->click();
            inFile = QSettings(program.settingsFile(), QSettings::IniFormat).value("MPFile/mov").toString();
        });
        program.app->search().walkWithFilter(tree.nativeRoot());
        QVERIFY(clicked);
        QCOMPARE(inFile, QStringLiteral("OFF"));
    }

    void aReopenedDialogShowsTheFile()
    {
        TestProgram program;
        program.app->mediaTypesDialog().okButton->click();
        QVERIFY(testsupport::waitFor([&] { return !program.app->loadedMediaTypesDialog(); }));
        // Another copy of the program (or the user) turns *.avi off.
        QTest::qWait(10); // a new file stamp
        testsupport::writeSettings(program.config.path(), {{"MPFile", "avi", "OFF"}});
        QVERIFY(!program.app->mediaTypesDialog().Check(0)->isChecked());
    }

    void enterAndEscapeOnABoxDoNothing()
    {
        TestProgram program;
        FileTypeDialog& dialog = program.app->mediaTypesDialog();
        dialog.show();
        dialog.Check(3)->setFocus();
        QTest::keyClick(dialog.Check(3), Qt::Key_Return);
        QTest::keyClick(dialog.Check(3), Qt::Key_Escape);
        QTest::qWait(50);
        QVERIFY(program.app->loadedMediaTypesDialog());
        QCOMPARE(stored(program, "OPEN"), QStringLiteral("(NO DATA)"));
    }

    void aSearchUsesTheBoxesAsTheyAreOnScreen()
    {
        TestProgram program;
        testsupport::TempTree tree;
        tree.addAll({"a.avi", "b.mp3"});
        program.app->mainWindow().mnuOption_Click();
        program.app->mediaTypesDialog().Check(0)->setChecked(false); // untick *.avi, no OK
        program.app->search().walkWithFilter(tree.nativeRoot());
        QCOMPARE(program.app->mainWindow().fileList->count(), 1);
        QCOMPARE(program.app->mainWindow().fileList->rowText(1), QStringLiteral("b.mp3"));
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
