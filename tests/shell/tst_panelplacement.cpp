#include "shell/panelwindow.h"

#include <QTest>

class TestPanelPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placement_data()
    {
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        const QSize panel(440, 500);
        const QRect underTopBar(0, 28, 1280, 772);  // a 28-pixel bar at the top
        const QRect overBottomBar(0, 0, 1280, 760); // a 40-pixel bar at the bottom
        // Below a top bar (above a bottom one), reaching 16 pixels past the icon towards the middle.
        QTest::newRow("top right") << QPoint(1250, 14) << panel << underTopBar << QRect(826, 32, 440, 500);
        QTest::newRow("top left") << QPoint(30, 14) << panel << underTopBar << QRect(14, 32, 440, 500);
        QTest::newRow("bottom right")
            << QPoint(1250, 780) << panel << overBottomBar << QRect(826, 256, 440, 500);
        QTest::newRow("kept 4 pixels inside")
            << QPoint(1279, 10) << panel << underTopBar << QRect(836, 32, 440, 500);
        // Side bars: the panel opens beside the bar, level with the click.
        QTest::newRow("left bar, upper half")
            << QPoint(24, 200) << panel << QRect(48, 0, 1232, 800) << QRect(52, 204, 440, 500);
        QTest::newRow("right bar, lower half")
            << QPoint(1256, 600) << panel << QRect(0, 0, 1232, 800) << QRect(788, 96, 440, 500);
        QTest::newRow("taller than the screen")
            << QPoint(1250, 14) << QSize(440, 1000) << underTopBar << QRect(826, 32, 440, 764);
        QTest::newRow("second screen, top right")
            << QPoint(3180, 10) << panel << QRect(1280, 32, 1920, 1048) << QRect(2756, 36, 440, 500);
    }

    void placement()
    {
        QFETCH(QRect, available);
        QFETCH(QPoint, anchor);
        QFETCH(QSize, size);
        const QRect placed = placePanel(anchor, size, available);
        QTEST(placed, "expected");
        QVERIFY(available.contains(placed));
    }
};

QTEST_GUILESS_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
