#include "mainwindow/mainlayout.h"
#include "help/aboutwindow.h"
#include "mainwindow/mainwindow.h"
#include "platform/legiblecolour.h"
#include "platform/toolwindow.h"
#include "search/dirlist.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "support/testsupport.h"

#include <QAccessible>
#include <QSet>
#include <functional>
#include <QLabel>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSlider>
#include <QTest>

using mainlayout::Geometry;

namespace {

Geometry layoutAt(double width, double height)
{
    const auto d = mainlayout::recordDistances(mainlayout::design(), 3390, 7170);
    return mainlayout::resized(mainlayout::design(), d, width, height);
}

void compareLefts(const Geometry& g, const std::map<QString, double>& expected)
{
    for (const auto& [name, left] : expected)
        QVERIFY2(qFuzzyCompare(g.at(name).left, left), qPrintable(name + QStringLiteral(" %1").arg(g.at(name).left)));
}

} // namespace

class MainLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void recordsTheFourteenDistances()
    {
        const auto d = mainlayout::recordDistances(mainlayout::design(), 3390, 7170);
        QCOMPARE(d.DriveTop, 480.0);
        QCOMPARE(d.DirTop, 840.0);
        QCOMPARE(d.ListTop, 2280.0);
        QCOMPARE(d.ListHeightMargin, 3795L);
        QCOMPARE(d.LabelBottom, 1410.0);
        QCOMPARE(d.SliderBottom, 1410.0);
        QCOMPARE(d.ButtonRowBottom, 570L);
        QCOMPARE(d.IconRowBottom, 1050.0);
        QCOMPARE(d.ButtonGap, -15.0);
        QCOMPARE(d.IconGap, -15.0);
        QCOMPARE(d.LabelOffset, 735.0);
        QCOMPARE(d.DriveWidthMargin, 495.0);
        QCOMPARE(d.DirWidthMargin, 495.0);
        QCOMPARE(d.ListWidthMargin, 495L);
    }

    void designSizeGivesTheDesignTable()
    {
        const Geometry g = layoutAt(3390, 7170);
        QCOMPARE(g.at("ListView1").height, 3375.0);
        QCOMPARE(g.at("Label1").top, 5760.0);
        QCOMPARE(g.at("Command1").top, 6600.0);
        QCOMPARE(g.at("Command8").top, 6120.0);
        compareLefts(g, {{"Command1", 247.5}, {"Command2", 1702.5}, {"Command3", 247.5}, {"Command4", 742.5},
                         {"Command5", 1222.5}, {"Command6", 1702.5}, {"Command7", 2182.5}, {"Command8", 2662.5},
                         {"Label1", 1327.5}, {"Slider1", 1695}, {"Drive1", 247.5}, {"Dir1", 247.5},
                         {"ListView1", 247.5}});
        QCOMPARE(g.at("Dir1").width, 2895.0);
        QCOMPARE(g.at("Frame1").top, -120.0);
    }

    void widerWindowStretchesListsAndCentresRows()
    {
        const Geometry g = layoutAt(3390 + 1500, 7170);
        const double W = 4890;
        for (const char* list : {"Drive1", "Dir1", "ListView1"}) {
            QCOMPARE(g.at(list).width, 2895.0 + 1500);
            QCOMPARE(g.at(list).left, 247.5);
        }
        QCOMPARE(g.at("Command6").left, W / 2 + 7.5);
        QCOMPARE(g.at("Command2").left, W / 2 + 7.5);
        QCOMPARE(g.at("Slider1").left, W / 2);
        QCOMPARE(g.at("Label1").left, W / 2 - 367.5);
    }

    void tallerWindowGrowsTheListOnly()
    {
        const Geometry g = layoutAt(3390, 7170 + 1000);
        QCOMPARE(g.at("ListView1").height, 3375.0 + 1000);
        QCOMPARE(g.at("Label1").top, 6760.0);
        QCOMPARE(g.at("Slider1").top, 6760.0);
        QCOMPARE(g.at("Command3").top, 7120.0);
        QCOMPARE(g.at("Command1").top, 7600.0);
        QCOMPARE(g.at("Drive1").top, 480.0);
        QCOMPARE(g.at("Dir1").top, 840.0);
    }

    void tinyClientAreaGivesNoNegativeSize()
    {
        for (const auto& [w, h] : {std::pair{0.0, 0.0}, {300.0, 2000.0}, {100.0, 7170.0}}) {
            const Geometry g = layoutAt(w, h);
            for (const auto& [name, rect] : g)
                QVERIFY2(rect.width >= 0 && rect.height >= 0, qPrintable(name));
        }
    }

    void realWidgetsFollowTheRules()
    {
        testsupport::TestProgram program;
        MainWindow& form = program.app->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.client()->size(), QSize(226, 478));
        const auto expectAt = [&form](const Geometry& g) {
            for (const auto& [name, rect] : g) {
                auto* widget = form.findChild<QWidget*>(name);
                QVERIFY2(widget, qPrintable(name));
                QCOMPARE(widget->geometry(), twips::toPixelRect(rect));
            }
        };
        expectAt(layoutAt(3390, 7170));
        // 1500 twips wider and 900 taller: 100 and 60 pixels.
        form.resize(form.width() + 100, form.height() + 60);
        QVERIFY(testsupport::waitFor([&] { return form.client()->width() == 326; }));
        expectAt(layoutAt(4890, 8070));
        form.showMinimized();
        QTest::qWait(50);
        form.showNormal();
        QVERIFY(testsupport::waitFor([&] { return form.client()->width() == 326; }));
        expectAt(layoutAt(4890, 8070));
    }

    // As a screen reader walks the windows: every control is named, and
    // the video window is a window named by its title.
    void everyControlHasANameToBeSpoken()
    {
        testsupport::TestProgram program;
        MainWindow& form = program.app->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        VideoWindow& video = program.app->transport().videoWindow();
        video.show();
        QVERIFY(QTest::qWaitForWindowExposed(&video));
        const QSet<QAccessible::Role> controls = {QAccessible::PushButton, QAccessible::RadioButton, QAccessible::CheckBox,
                                                  QAccessible::Slider,     QAccessible::ComboBox,    QAccessible::List,
                                                  QAccessible::Tree,       QAccessible::Table};
        QStringList named, unnamed;
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            for (int i = 0; i < node->childCount(); ++i) {
                QAccessibleInterface* child = node->child(i);
                if (!child || child->state().invisible)
                    continue;
                if (controls.contains(child->role())) {
                    const QString name = child->text(QAccessible::Name);
                    (name.isEmpty() ? unnamed : named) << (name.isEmpty() ? child->object()->objectName() : name);
                    named << child->text(QAccessible::Description); // a drop-down list's name is its value
                }
                walk(child);
            }
        };
        walk(QAccessible::queryAccessibleInterface(&form));
        QAccessibleInterface* videoWindow = QAccessible::queryAccessibleInterface(&video);
        QCOMPARE(videoWindow->role(), QAccessible::Window);
        QCOMPARE(videoWindow->text(QAccessible::Name), video.windowTitle());
        walk(videoWindow);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u' ')));
        for (const char* name : {"検索", "キャンセル", "再生", "停止", "次のファイル", "早送り", "巻き戻し", "前のファイル",
                                 "音量", "ドライブ", "フォルダ", "ファイル一覧", "動画", "静止画", "再生位置"})
            QVERIFY2(named.contains(QString::fromUtf8(name)), name);
    }

    // The video and picture windows open beside the main window where the
    // user left it: right of it, or left when more room is there.
    void windowsOpenBesideTheMainWindowWhereItStands()
    {
        testsupport::TestProgram program;
        MainWindow& form = program.app->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect work = workArea(form);
        const int width = twips::toPixels(outerWidth(form));
        QCOMPARE(areaBeside(form), work.adjusted(width, 0, 0, 0)); // at the left edge, as it opens
        form.move(work.left() + 300, form.y());
        QVERIFY(testsupport::waitFor([&] { return form.frameGeometry().left() == work.left() + 300; }));
        QCOMPARE(areaBeside(form), work.adjusted(300 + width, 0, 0, 0));
        form.move(work.right() - width - 100, form.y());
        QVERIFY(testsupport::waitFor([&] { return form.frameGeometry().left() == work.right() - width - 100; }));
        QCOMPARE(areaBeside(form), QRect(work.topLeft(), QPoint(work.right() - width - 101, work.bottom())));
    }

    // A dark palette (white menu text, dark windows): each text the
    // program colours keeps a contrast of 4.5 : 1 with its ground, as
    // measured on the drawn widget.
    void textsKeepTheirContrastInADarkPalette()
    {
        QCOMPARE(legiblecolour::contrast(Qt::white, Qt::black), 21.0);
        const QPalette light = QApplication::palette();
        const auto restore = qScopeGuard([&light] { QApplication::setPalette(light); });
        QPalette dark;
        for (const auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
            dark.setColor(role, QColor(45, 45, 45));
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            dark.setColor(role, QColor(235, 235, 235));
        QApplication::setPalette(dark);
        testsupport::TestProgram program;
        MainWindow& form = program.app->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.folderList->count() > 0);
        AboutWindow& about = program.app->aboutWindow();
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        for (QWidget* drawn : {static_cast<QWidget*>(form.volumeLabel), form.folderList->viewport(),
                               static_cast<QWidget*>(about.lblTitle)}) {
            const QImage shot = drawn->grab().toImage();
            // The ground is the commonest colour; the text, what stands out most from it.
            QHash<QRgb, int> counts;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    ++counts[shot.pixel(x, y)];
            const QColor ground = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(),
                                                   [](auto a, auto b) { return a.second < b.second; })->first;
            double best = 1;
            for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it)
                best = std::max(best, legiblecolour::contrast(QColor(*it), ground));
            QVERIFY2(best >= 4.5, qPrintable(drawn->objectName() + QStringLiteral(": ") + QString::number(best)));
        }
    }
};

QTEST_MAIN(MainLayoutTest)
#include "tst_mainlayout.moc"
