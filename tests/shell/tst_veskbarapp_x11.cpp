#include "fakewatcher.h"
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

#include <QProcess>
#include <QTest>

namespace {

void press(const QString &keys)
{
    QProcess xdotool;
    xdotool.start(u"xdotool"_qs, {u"key"_qs, keys});
    QVERIFY2(xdotool.waitForFinished(5000) && xdotool.exitCode() == 0, qPrintable(keys));
}

// A browser sign-in completes: its callback reaches the running app, which asks for the panel 1 ms
// later. The panel comes up, and stays up when it is up.
void signInTwice(VeskBarApp &app)
{
    app.delegate().setPanelDelay(std::chrono::milliseconds(1));
    for (int i = 0; i < 2; ++i) {
        QSettingsStore().setValue(AppDelegate::PendingStateKey.toString(), u"S1"_qs);
        app.handleArguments({u"vesk://connect?token=vesk_test&state=S1"_qs}, true);
        QTest::qWait(50);
        QVERIFY(app.panel().isOpen());
    }
    app.panel().hidePanel();
}

} // namespace

class TestVeskBarAppX11 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempXdg> m_xdg;
    std::unique_ptr<ScriptedServer> m_server;

    qsizetype requests(const QByteArray &path) const { return m_server->requestsTo(path).size(); }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_qs);
        m_xdg = std::make_unique<TempXdg>();
        m_server = std::make_unique<ScriptedServer>();
        qputenv("VESK_BASE_URL", m_server->url().toString().toUtf8());
        m_server->on("POST", "/api/app/availability").reply(200, fixture(u"avail_reply.json"_qs));
        QVERIFY(TokenStore().save(u"vesk_test"_qs));
    }

    void hotKeysSignInAndLaterLaunches()
    {
        // No watcher and no XEmbed tray: an ordinary window, not shown when started at login.
        CommandLine commandLine;
        commandLine.autostart = true;
        VeskBarApp app(commandLine, nullptr);
        app.start();
        QCOMPARE(app.tray().kind(), TrayIcon::Kind::None);
        QCoreApplication::processEvents(); // the start-up arguments run on the next turn
        QVERIFY(!app.panel().isOpen());

        // The copy key works at once, though nothing has been on screen yet, and leaves the panel closed.
        const qsizetype copies = requests("/api/app/availability");
        press(u"ctrl+alt+a"_qs);
        QTRY_COMPARE(app.store().flash(), u"copied \u2713"_qs);
        QCOMPARE(requests("/api/app/availability"), copies + 1);
        QVERIFY(!app.panel().isOpen());
        press(u"ctrl+alt+h"_qs);
        QTRY_VERIFY(app.panel().isExposed());
        press(u"ctrl+alt+h"_qs);
        QTRY_VERIFY(!app.panel().isOpen());

        // The Store reloads with the new token.
        const qsizetype loads = requests("/api/today");
        signInTwice(app);
        QTRY_VERIFY(requests("/api/today") > loads);

        // Commands of later launches; started again from the launcher: bring the panel up, never close it.
        app.handleArguments({u"--toggle"_qs}, true);
        QVERIFY(app.panel().isOpen());
        app.handleArguments({u"--toggle"_qs}, true);
        QVERIFY(!app.panel().isOpen());
        app.handleArguments({}, true);
        app.handleArguments({}, true);
        QVERIFY(app.panel().isOpen());
        app.handleArguments({u"--copy-availability"_qs}, true);
        QTRY_COMPARE(requests("/api/app/availability"), copies + 2);
    }

    void statusItemDrivesThePanel()
    {
        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        VeskBarApp app(CommandLine{}, nullptr);
        app.start();
        QTRY_VERIFY(app.tray().statusNotifierItem() && app.tray().statusNotifierItem()->isRegistered());
        QCOMPARE(app.panel().mode(), Panel::Mode::Popup);
        QCoreApplication::processEvents();
        QVERIFY(!app.panel().isOpen()); // a tray item is there: no window at start-up

        const QString service = app.tray().statusNotifierItem()->serviceName();
        watcher.call(service, u"Activate"_qs, {600, 5});
        QTRY_VERIFY(app.panel().isOpen());
        QVERIFY(app.panel().geometry().contains(QPoint(600, 40)));
        watcher.call(service, u"Activate"_qs, {600, 5});
        QTRY_VERIFY(!app.panel().isOpen());
        signInTwice(app);

        // The Store's title is the label; the copy key's confirmation becomes it.
        QVERIFY(watcher.listen(service));
        app.handleArguments({u"--copy-availability"_qs}, true);
        QTRY_VERIFY(watcher.labels.contains(u"copied \u2713"_qs));
        QCOMPARE(watcher.itemProperties(service).value(u"XAyatanaLabel"_qs).toString(),
                 app.store().menuTitle());
    }
};

QTEST_MAIN(TestVeskBarAppX11)
#include "moc_fakewatcher.cpp"
#include "tst_veskbarapp_x11.moc"
