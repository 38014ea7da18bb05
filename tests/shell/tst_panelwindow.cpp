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
    void focusLoss_data()
    {
        QTest::addColumn<bool>("popup");
        QTest::newRow("popup") << true;
        QTest::newRow("window") << false;
    }

    void focusLoss()
    {
        QFETCH(bool, popup);
        PanelWindow panel(*m_harness->store, popup ? PanelWindow::Mode::Popup : PanelWindow::Mode::Window,
                          m_growingPanel);
        QVERIFY(popup || !panel.flags().testFlag(Qt::FramelessWindowHint));
        QWindow elsewhere;
        elsewhere.resize(50, 50);
        elsewhere.show();
        panel.open(QPoint(10, 10));
        QTRY_VERIFY(panel.isActive());
        elsewhere.requestActivate();
        if (!popup) {
            QTRY_VERIFY(elsewhere.isActive());
            QVERIFY(panel.isOpen());
            return;
        }
        QTRY_VERIFY(!panel.isOpen());
        QElapsedTimer sinceHide;
        sinceHide.start();
        panel.toggle(QPoint(10, 10));
        QVERIFY(!panel.isOpen());
        QTRY_VERIFY_WITH_TIMEOUT((panel.toggle(QPoint(10, 10)), panel.isOpen()), 2000);
        QVERIFY(sinceHide.elapsed() >= 250);
    }
};

QTEST_MAIN(TestPanelWindow)
#include "tst_panelwindow.moc"
