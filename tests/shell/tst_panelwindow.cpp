#include "shell/panelwindow.h"
#include "state/storeharness.h"

#include <QElapsedTimer>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {
QUrl growingPanel()
{
    return QUrl::fromLocalFile(QStringLiteral(QUICK_TEST_SOURCE_DIR "/qml/GrowingPanel.qml"));
}
} // namespace

class TestPanelWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<StoreHarness> m_harness;

private Q_SLOTS:
    void init()
    {
        m_harness = std::make_unique<StoreHarness>();
        m_harness->start();
    }
    void cleanup() { m_harness.reset(); }

    void opensAtTheAnchorWithTheContentsHeight()
    {
        PanelWindow panel(*m_harness->store, PanelWindow::Mode::Popup, growingPanel());
        QVERIFY2(panel.loadErrors().isEmpty(), qPrintable(panel.loadErrors()));
        QCOMPARE(panel.rootObject()->property("store").value<Store *>(), m_harness->store.get());

        const QRect available = panel.screen()->availableGeometry();
        const QPoint anchor(available.right() - 10, available.top() + 2);
        panel.open(anchor);
        QVERIFY(panel.isOpen());
        QTRY_VERIFY(panel.isExposed());
        QCOMPARE(panel.geometry(), placePanel(anchor, QSize(440, 120), available));
        QCOMPARE(panel.rootObject()->width(), 440.0);

        // The window follows the content's height while it is open.
        panel.rootObject()->setProperty("rows", 5);
        QTRY_COMPARE(panel.height(), 200);
        QCOMPARE(panel.geometry(), placePanel(anchor, QSize(440, 200), available));

        panel.toggle();
        QVERIFY(!panel.isOpen());
        panel.toggle(); // without an anchor: where it was last anchored
        QVERIFY(panel.isOpen());
        QCOMPARE(panel.geometry(), placePanel(anchor, QSize(440, 200), available));
    }

    void opensInTheCornerAndEscapeCloses()
    {
        PanelWindow panel(*m_harness->store, PanelWindow::Mode::Popup, growingPanel());
        panel.open(); // no anchor: the top-right corner of the screen
        QTRY_VERIFY(panel.isExposed());
        const QRect available = panel.screen()->availableGeometry();
        QCOMPARE(panel.geometry().topRight(), QPoint(available.right() - 4, available.top() + 4));
        // An open menu takes the first Escape.
        panel.rootObject()->setProperty("menuOpen", true);
        QTest::keyClick(&panel, Qt::Key_Escape);
        QVERIFY(panel.isOpen());
        QCOMPARE(panel.rootObject()->property("menuOpen").toBool(), false);
        QTest::keyClick(&panel, Qt::Key_Escape);
        QVERIFY(!panel.isOpen());
    }

    void hidesOnFocusLossAndIgnoresTheCausingClick()
    {
        PanelWindow panel(*m_harness->store, PanelWindow::Mode::Popup, growingPanel());
        QWindow elsewhere;
        elsewhere.resize(50, 50);
        elsewhere.show();
        panel.open(QPoint(10, 10));
        QTRY_VERIFY(panel.isActive());

        QElapsedTimer sinceHide;
        elsewhere.requestActivate();
        QTRY_VERIFY(!panel.isOpen());
        sinceHide.start();
        // The tray click that took the focus away arrives now: it must not reopen the panel; a later one
        // does.
        panel.toggle(QPoint(10, 10));
        QVERIFY(!panel.isOpen());
        QTRY_VERIFY_WITH_TIMEOUT((panel.toggle(QPoint(10, 10)), panel.isOpen()), 2000);
        QVERIFY(sinceHide.elapsed() >= 250);
    }

    void ordinaryWindowStaysWhenItLosesFocus()
    {
        PanelWindow panel(*m_harness->store, PanelWindow::Mode::Window, growingPanel());
        QVERIFY(!panel.flags().testFlag(Qt::FramelessWindowHint));
        QWindow elsewhere;
        elsewhere.resize(50, 50);
        elsewhere.show();
        panel.open();
        QTRY_VERIFY(panel.isActive());
        QCOMPARE(panel.size(), QSize(440, 120));
        elsewhere.requestActivate();
        QTRY_VERIFY(elsewhere.isActive());
        QVERIFY(panel.isOpen());
    }
};

QTEST_MAIN(TestPanelWindow)
#include "tst_panelwindow.moc"
