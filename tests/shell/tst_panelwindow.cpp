#include "shell/panelwindow.h"
#include "state/storeharness.h"

#include <QElapsedTimer>
#include <QQuickItem>
#include <QScreen>
#include <QTest>

class TestPanelWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<StoreHarness> m_harness;
    const QUrl m_growingPanel =
        QUrl::fromLocalFile(QStringLiteral(QUICK_TEST_SOURCE_DIR "/qml/GrowingPanel.qml"));

private Q_SLOTS:
    void init()
    {
        m_harness = std::make_unique<StoreHarness>();
        m_harness->start();
    }
    void cleanup() { m_harness.reset(); }

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

    void opensAtTheAnchorFollowsTheContentAndEscapeCloses()
    {
        PanelWindow panel(*m_harness->store, PanelWindow::Mode::Popup, m_growingPanel);
        QVERIFY2(panel.loadErrors().isEmpty(), qPrintable(panel.loadErrors()));
        QCOMPARE(panel.rootObject()->property("store").value<Store *>(), m_harness->store.get());
        const QRect available = panel.screen()->availableGeometry();
        panel.open(); // no anchor yet: the top-right corner of the screen
        QTRY_VERIFY(panel.isExposed());
        QCOMPARE(panel.geometry().topRight(), QPoint(available.right() - 4, available.top() + 4));
        panel.hidePanel();
        const QPoint anchor(available.right() - 10, available.top() + 2);
        panel.open(anchor);
        QTRY_VERIFY(panel.isExposed());
        QCOMPARE(panel.geometry(), placePanel(anchor, QSize(440, 120), available));

        // The window follows the content's height while it is open.
        panel.rootObject()->setProperty("rows", 5);
        QTRY_COMPARE(panel.height(), 200);
        QCOMPARE(panel.geometry(), placePanel(anchor, QSize(440, 200), available));
        panel.toggle();
        QVERIFY(!panel.isOpen());
        panel.toggle(); // without an anchor: where it was last anchored
        QCOMPARE(panel.geometry(), placePanel(anchor, QSize(440, 200), available));

        // An open menu takes the first Escape, the panel the second.
        panel.rootObject()->setProperty("menuOpen", true);
        QTest::keyClick(&panel, Qt::Key_Escape);
        QVERIFY(panel.isOpen());
        QCOMPARE(panel.rootObject()->property("menuOpen").toBool(), false);
        QTest::keyClick(&panel, Qt::Key_Escape);
        QVERIFY(!panel.isOpen());
    }

    // A popup hides when it loses the focus, and the tray click that took it away does not reopen
    // it; an ordinary window stays.
    void focusLoss()
    {
        PanelWindow popup(*m_harness->store, PanelWindow::Mode::Popup, m_growingPanel);
        PanelWindow window(*m_harness->store, PanelWindow::Mode::Window, m_growingPanel);
        QVERIFY(!window.flags().testFlag(Qt::FramelessWindowHint));
        window.open();
        QTRY_VERIFY(window.isActive());
        popup.open(QPoint(10, 10));
        QTRY_VERIFY(popup.isActive());
        window.requestActivate();
        QTRY_VERIFY(!popup.isOpen());
        QVERIFY(window.isOpen());
        QElapsedTimer sinceHide;
        sinceHide.start();
        popup.toggle(QPoint(10, 10));
        QVERIFY(!popup.isOpen());
        QTRY_VERIFY_WITH_TIMEOUT((popup.toggle(QPoint(10, 10)), popup.isOpen()), 2000);
        QVERIFY(sinceHide.elapsed() >= 250);
        QTRY_VERIFY(popup.isActive());
        QVERIFY(window.isOpen()); // the window lost the focus in turn and stays
    }
};

QTEST_MAIN(TestPanelWindow)
#include "tst_panelwindow.moc"
