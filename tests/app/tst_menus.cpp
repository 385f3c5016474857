#include "help/aboutwindow.h"
#include "help/helpviewer.h"
#include "mainwindow/mainwindow.h"
#include "dialogs/filetypedialog.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

using testsupport::TestProgram;

class MenusTest : public QObject {
    Q_OBJECT
private slots:
    void menuBarCaptionsAndShortcuts()
    {
        TestProgram program;
        MainWindow& form = program.app->mainWindow();
        const auto action = [&form](const char* name) { return form.findChild<QAction*>(QLatin1String(name)); };
        QCOMPARE(action("mnuFile")->text(), QStringLiteral("ファイル(&F)"));
        QCOMPARE(action("mnuSerch")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        QCOMPARE(action("mnuEnd")->text(), QStringLiteral("終了(&X)"));
        QCOMPARE(action("mnuPlay")->text(), QStringLiteral("操作（&P)"));
        QCOMPARE(action("mnus")->text(), QStringLiteral("画面サイズ"));
        QCOMPARE(action("mnuNext")->text(), QStringLiteral("次のファイル   Space"));
        QCOMPARE(action("mnuNext")->shortcut(), QKeySequence());
        QCOMPARE(action("mnuNextBack")->text(), QStringLiteral("前のファイル   B"));
        QCOMPARE(action("mnuOption")->text(), QStringLiteral("オプション(&O)"));
        QCOMPARE(action("mnuTopic")->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(action("mnuVersion")->text(), QStringLiteral("バージョン情報(&A)"));
        QVERIFY(action("mnusp4")->isSeparator());
    }

    void optionOpensTheDialogOfTheModeOnce()
    {
        TestProgram program;
        MainWindow& form = program.app->mainWindow();
        form.mnuOption_Click();
        FileTypeDialog* media = program.app->loadedMediaTypesDialog();
        QVERIFY(media && media->isVisible());
        QCOMPARE(media->windowTitle(), QStringLiteral("ファイル選択"));
        form.mnuOption_Click();
        QCOMPARE(program.app->loadedMediaTypesDialog(), media);
        form.pictureModeOption->setChecked(true);
        form.mnuOption_Click();
        FileTypeDialog* pictures = program.app->loadedPictureTypesDialog();
        QVERIFY(pictures && pictures->isVisible());
        QVERIFY(media->isVisible()); // both open at once
        QVERIFY(pictures->Check(2));
        QCOMPARE(pictures->Check(2)->text(), QStringLiteral("*.gif"));
    }

    void aboutWindowShowsTitleAndVersion()
    {
        TestProgram program;
        program.app->mainWindow().mnuVersion_Click();
        AboutWindow* about = &program.app->aboutWindow();
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 "));
        QCOMPARE(about->lblTitle->text(), QStringLiteral("duvaVazorUzevaz"));
        QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 4.5.0"));
        QCOMPARE(about->geometry(), twips::toPixelRect({3360, 330, 3585, 1680}));
        QCOMPARE(about->picIcon->palette().color(QPalette::Window), QColor(192, 192, 192));
        QVERIFY(!about->picIcon->pixmap().isNull());
        QVERIFY(about->cmdOK->isDefault());
        program.app->mainWindow().mnuVersion_Click();
        QCOMPARE(&program.app->aboutWindow(), about);
        QCOMPARE(QApplication::topLevelWidgets().count(about), 1);

        QPointer<AboutWindow> watch = about;
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(testsupport::waitFor([&] { return watch.isNull(); }));
        program.app->mainWindow().mnuVersion_Click();
        watch = &program.app->aboutWindow();
        QTest::keyClick(watch.data(), Qt::Key_Return);
        QVERIFY(testsupport::waitFor([&] { return watch.isNull(); }));
    }

    void helpOpensOnTheContentsWithEveryTopic()
    {
        TestProgram program;
        program.app->mainWindow().mnuTopic_Click();
        HelpViewer& viewer = program.app->helpViewer();
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.tabs()->currentIndex(), 0);
        QCOMPARE(viewer.contents()->count(), 13);
        QCOMPARE(viewer.contents()->item(0)->text(), QStringLiteral("duvaVazorUzevaz について"));
        QVERIFY(viewer.page()->toPlainText().contains(QStringLiteral("動画モード")));
    }

    void indexAndSearchFindTopicsByJapaneseWords()
    {
        TestProgram program;
        program.app->mainWindow().mnuTopic_Click();
        HelpViewer& viewer = program.app->helpViewer();
        viewer.indexQuery()->setText(QStringLiteral("無変換"));
        QCOMPARE(viewer.index()->count(), 1);
        QVERIFY(viewer.index()->item(0)->text().contains(QStringLiteral("一覧のキー操作")));
        QTest::keyClick(viewer.indexQuery(), Qt::Key_Return); // opens the first match
        QVERIFY(viewer.windowTitle().endsWith(QStringLiteral("一覧のキー操作")));
        viewer.searchQuery()->setText(QStringLiteral("巻き戻し 先頭"));
        QTest::keyClick(viewer.searchQuery(), Qt::Key_Return);
        QCOMPARE(viewer.results()->count(), 1);
        QCOMPARE(viewer.results()->item(0)->text(), QStringLiteral("早送りと巻き戻し"));
        QVERIFY(viewer.page()->toPlainText().contains(QStringLiteral("前のファイルの終わり")));
        QVERIFY(viewer.windowTitle().endsWith(QStringLiteral("早送りと巻き戻し")));
    }

    void aMissingHelpFileIsNoticedInTheViewerOnly()
    {
        testsupport::MessageRecorder messages;
        TestProgram program;
        HelpViewer& viewer = program.app->helpViewer();
        viewer.openFinder(QStringLiteral("/no/such/folder/ruzedir.hlp"));
        QCOMPARE(viewer.contents()->count(), 0);
        QVERIFY(viewer.page()->toPlainText().contains(QStringLiteral("ruzedir.hlp")));
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(program.app->mainWindow().isVisible());
    }
};

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
