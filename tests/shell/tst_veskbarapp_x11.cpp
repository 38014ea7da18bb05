#include "fakewatcher.h"
#include "platform/hotkeys.h"
#include "platform/qsettingsstore.h"
#include "platform/statusnotifieritem.h"
#include "service/tokenstore.h"
#include "shell/appdelegate.h"
#include "shell/panel.h"
#include "shell/trayicon.h"
#include "shell/veskbarapp.h"
#include "state/store.h"
#include "support/scriptedserver.h"
#include "support/testenv.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

void press(const QString &keys)
{
    QProcess xdotool;
    xdotool.start(u"xdotool"_qs, {u"key"_qs, keys});
    QVERIFY2(xdotool.waitForFinished(5000) && xdotool.exitCode() == 0, qPrintable(keys));
}

// Reads the X clipboard through another client while this process keeps serving it.
QByteArray clipboard(const QString &target)
{
    QProcess xclip;
    xclip.start(u"xclip"_qs, {u"-selection"_qs, u"clipboard"_qs, u"-o"_qs, u"-t"_qs, target});
    QElapsedTimer waited;
    waited.start();
    while (xclip.state() != QProcess::NotRunning && waited.elapsed() < 5000)
        QTest::qWait(10);
    return xclip.readAllStandardOutput();
}

// A browser sign-in completes: its callback reaches the running app, which asks for the panel 1 ms later.
void signIn(VeskBarApp &app)
{
    QSettingsStore().setValue(AppDelegate::PendingStateKey.toString(), u"S1"_qs);
    app.delegate().setPanelDelay(std::chrono::milliseconds(1));
    app.handleArguments({u"vesk://connect?token=vesk_test&state=S1"_qs}, true);
    QTest::qWait(50);
}

} // namespace

class TestVeskBarAppX11 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempXdg> m_xdg;
    std::unique_ptr<ScriptedServer> m_server;
    QJsonObject m_availability;

    qsizetype availabilityRequests() const { return m_server->requestsTo("/api/app/availability").size(); }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_qs);
        m_xdg = std::make_unique<TempXdg>();
        m_server = std::make_unique<ScriptedServer>();
        qputenv("VESK_BASE_URL", m_server->url().toString().toUtf8());
        m_availability = QJsonDocument::fromJson(fixture(u"avail_reply.json"_qs)).object();
        m_server->on("POST", "/api/app/availability").reply(200, fixture(u"avail_reply.json"_qs));
        QVERIFY(TokenStore().save(u"vesk_test"_qs));
    }

    void hotKeysAndLaterLaunches()
    {
        // No watcher and no XEmbed tray: an ordinary window, not shown when started at login.
        CommandLine commandLine;
        commandLine.autostart = true;
        VeskBarApp app(commandLine, nullptr);
        app.start();
        QCOMPARE(app.tray().kind(), TrayIcon::Kind::None);
        QVERIFY(app.hotKeys().isRegistered(HotKeys::Toggle));
        QCoreApplication::processEvents(); // the start-up arguments run on the next turn
        QVERIFY(!app.panel().isOpen());

        // The copy key works at once, though nothing has been on screen yet.
        const qsizetype before = availabilityRequests();
        press(u"ctrl+alt+a"_qs);
        QTRY_COMPARE(availabilityRequests(), before + 1);
        QTRY_COMPARE(app.store().flash(), u"copied \u2713"_qs);
        QCOMPARE(QString::fromUtf8(clipboard(u"UTF8_STRING"_qs)),
                 m_availability.value(u"text"_qs).toString());
        QVERIFY(!app.panel().isOpen()); // copying leaves the panel closed
        QTest::qWait(200);
        QCOMPARE(availabilityRequests(), before + 1);

        press(u"ctrl+alt+h"_qs);
        QTRY_VERIFY(app.panel().isExposed());
        press(u"ctrl+alt+h"_qs);
        QTRY_VERIFY(!app.panel().isOpen());

        // A sign-in brings the window up, and leaves it up when it is up; the Store reloads with
        // the new token.
        const qsizetype loads = m_server->requestsTo("/api/today").size();
        signIn(app);
        QVERIFY(app.panel().isOpen());
        QTRY_COMPARE(m_server->requestsTo("/api/today").size(), loads + 1);
        signIn(app);
        QVERIFY(app.panel().isOpen());
        app.panel().hidePanel();

        // Commands of later launches.
        app.handleArguments({u"--toggle"_qs}, true);
        QVERIFY(app.panel().isOpen());
        app.handleArguments({u"--toggle"_qs}, true);
        QVERIFY(!app.panel().isOpen());
        app.handleArguments({}, true); // started again from the launcher: bring the panel up, never close it
        app.handleArguments({}, true);
        QVERIFY(app.panel().isOpen());
        app.handleArguments({u"--copy-availability"_qs}, true);
        QTRY_COMPARE(availabilityRequests(), before + 2);
    }

    void statusItemDrivesThePanel()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("needs a session bus");
        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        VeskBarApp app(CommandLine{}, nullptr);
        app.start();
        QCOMPARE(app.tray().kind(), TrayIcon::Kind::StatusNotifier);
        QTRY_VERIFY(app.tray().statusNotifierItem()->isRegistered());
        QCOMPARE(app.panel().mode(), Panel::Mode::Popup);
        QCoreApplication::processEvents(); // the start-up arguments run on the next turn
        QVERIFY(!app.panel().isOpen());    // a tray item is there: no window at start-up

        const QString service = app.tray().statusNotifierItem()->serviceName();
        watcher.call(service, u"/StatusNotifierItem"_qs, u"org.kde.StatusNotifierItem"_qs, u"Activate"_qs,
                     {600, 5});
        QTRY_VERIFY(app.panel().isOpen());
        QVERIFY(app.panel().geometry().contains(QPoint(600, 40)));
        watcher.call(service, u"/StatusNotifierItem"_qs, u"org.kde.StatusNotifierItem"_qs, u"Activate"_qs,
                     {600, 5});
        QTRY_VERIFY(!app.panel().isOpen());

        // A sign-in drops the panel down from the item, and leaves it open when it is open.
        signIn(app);
        QVERIFY(app.panel().isOpen());
        signIn(app);
        QVERIFY(app.panel().isOpen());
        app.panel().hidePanel();

        // The copy key's confirmation becomes the label.
        QVERIFY(watcher.listen(service, u"/StatusNotifierItem"_qs, u"org.kde.StatusNotifierItem"_qs,
                               u"XAyatanaNewLabel"_qs, SLOT(onLabel(QString, QString))));
        press(u"ctrl+alt+a"_qs);
        QTRY_VERIFY(watcher.labels.contains(u"copied \u2713"_qs));
        const QVariantMap properties = watcher.itemProperties(service);
        QCOMPARE(properties.value(u"XAyatanaLabel"_qs).toString(), app.store().menuTitle());
    }
};

QTEST_MAIN(TestVeskBarAppX11)
#include "moc_fakewatcher.cpp"
#include "tst_veskbarapp_x11.moc"
