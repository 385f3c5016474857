#include "playback/mediaplayer.h"
#include "playback/videolayout.h"
#include "playback/videowindow.h"

#include <QTest>

using videolayout::Memory;

class VideoWindowTest : public QObject {
    Q_OBJECT
private slots:
    void remembersTheDesign()
    {
        const Memory m = videolayout::record(5625, 3990, videolayout::kPlayerDesign);
        QCOMPARE(m.PlayerTop, 0L);
        QCOMPARE(m.PlayerWidthMargin, 210L);
        QCOMPARE(m.PlayerHeightMargin, -345L);
        const auto design = videolayout::playerGeometry(5625, 3990, m);
        QVERIFY(design);
        QCOMPARE(*design, (twips::Rect{105, 0, 5415, 4335}));
    }

    void playerFollowsAHandResizedWindow()
    {
        const Memory m = videolayout::record(5625, 3990, videolayout::kPlayerDesign);
        const auto place = videolayout::playerGeometry(7880, 5595, m);
        QVERIFY(place);
        QCOMPARE(*place, (twips::Rect{105, 0, 7670, 5940}));
        QVERIFY(!videolayout::playerGeometry(0, 0, m));
        QVERIFY(!videolayout::playerGeometry(200, 3000, m));
    }

    void screenSizesApplyToTheLoadTimeSize()
    {
        const auto half = videolayout::screenSize(50, 5745, 4395);
        QCOMPARE(half->height, 2197.5);
        QCOMPARE(half->width, 2872.5);
        const auto big = videolayout::screenSize(150, 5745, 4395);
        QCOMPARE(big->height, 6592.5);
        QCOMPARE(big->width, 8617.5);
        QCOMPARE(videolayout::screenSize(100, 5745, 4395)->width, 5745.0);
        QVERIFY(!videolayout::screenSize(75, 5745, 4395));
    }

    void realWindowLoadsBesideTheMainWindowAndResizes()
    {
        VideoWindow window;
        window.Form_Load([] { return QRect(233, 0, 1047, 1024); });
        QCOMPARE(window.pos(), QPoint(233, 0));
        QCOMPARE(window.windowTitle(), QStringLiteral("_"));
        QCOMPARE(window.baseWidth(), 5625L); // no frame under a bare X server
        QCOMPARE(window.baseHeight(), 3990.0f);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.playerGeometry(), (twips::Rect{105, 0, 5415, 4335}));

        ApplyScreenSize(window, 150);
        const QSize once = window.size();
        ApplyScreenSize(window, 150);
        QCOMPARE(window.size(), once);
        QCOMPARE(once, QSize(twips::toPixels(5625 * 1.5), twips::toPixels(3990 * 1.5)));
        QCOMPARE(window.pos(), QPoint(233, 0));

        const twips::Rect before = window.playerGeometry();
        window.showMinimized();
        QTest::qWait(50);
        window.showNormal();
        QTest::qWait(50);
        QCOMPARE(window.playerGeometry(), before);

        ApplyScreenSize(window, 100);
        QCOMPARE(window.size(), QSize(375, 266));
        ApplyScreenSize(window, 50);
        QCOMPARE(window.size(), QSize(twips::toPixels(2812.5), twips::toPixels(1995)));
    }
};

QTEST_MAIN(VideoWindowTest)
#include "tst_videowindow.moc"
