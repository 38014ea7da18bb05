#include "platform/autostart.h"
#include "state/appevents.h"
#include "state/storeharness.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestStoreConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setTokenStoresTrimmedText_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("stored");
        QTest::newRow("blanks and line end") << u"  vesk_abc123 \n"_s << u"vesk_abc123"_s;
        QTest::newRow("tabs and CRLF") << u"\tvesk_x\r\n"_s << u"vesk_x"_s;
        QTest::newRow("no vesk_ prefix") << u"personal-token-42"_s << u"personal-token-42"_s;
    }

    void setTokenStoresTrimmedText()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        StoreHarness h;
        h.onFeed().reply(200, feedBody({meetingAt(u"a"_s, h.clock.current.addSecs(600))}));
        Store &store = h.start();
        QTRY_COMPARE(h.versionRequests(), 1);
        QSignalSpy tokenSpy(&store, &Store::hasTokenChanged);

        store.setToken(pasted);
        QVERIFY(store.hasToken());
        QCOMPARE(tokenSpy.count(), 1);
        QCOMPARE(fileBytes(h.xdg.tokenPath()), stored.toUtf8());
        QCOMPARE(h.feedRequests(), 0); // the load is started, not run inside the call
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
        QCOMPARE(h.server.requestsTo("/api/today").constFirst().header("Authorization"),
                 "Bearer " + stored.toUtf8());
    }

    void setTokenWithOnlyBlanksRemovesTheToken()
    {
        StoreHarness h;
        h.saveToken();
        h.onFeed().reply(200, feedBody({}));
        Store &store = h.start();
        QTRY_VERIFY(store.lastUpdated().isValid());
        QVERIFY(QFile::exists(h.xdg.tokenPath()));

        store.setToken(u" \n\t "_s);
        QVERIFY(!store.hasToken());
        QVERIFY(!QFile::exists(h.xdg.tokenPath()));
        QCoreApplication::processEvents();
        StoreHarness::run(store.refreshTask());
        QCOMPARE(h.feedRequests(), 1);
        QVERIFY(store.error().isEmpty());
    }

    void signOutForgetsOnlyTokenAndMeetings()
    {
        StoreHarness h;
        h.saveToken();
        h.settings.values.insert(u"pendingConnectState"_s, u"ABC"_s);
        h.onFeed().reply(200, feedBody({meetingAt(u"t"_s, h.clock.current.addSecs(600))}));
        h.onFeed().reply(200, feedBody({meetingAt(u"y"_s, h.clock.current.addDays(-1))}));
        h.onFeed().reply(500, "<html>oops</html>");
        Store &store = h.start();
        QTRY_VERIFY(store.lastUpdated().isValid());
        const QDateTime loadedAt = store.lastUpdated();
        store.shiftDay(-1);
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"y"_s});
        h.clock.advance(600);
        StoreHarness::run(store.refreshTask());
        QCOMPARE(store.error(), u"Couldn't reach Vesk."_s);

        store.signOut();
        QVERIFY(!store.hasToken());
        QVERIFY(!QFile::exists(h.xdg.tokenPath()));
        QVERIFY(!TokenStore::load());
        QVERIFY(store.meetings().isEmpty());
        QVERIFY(!store.hasNext());
        QCOMPARE(idsOf(store.dayMeetings()), QStringList{u"y"_s});
        QCOMPARE(store.error(), u"Couldn't reach Vesk."_s);
        QCOMPARE(store.lastUpdated(), loadedAt);
        QCOMPARE(store.day(), QDateTime(QDate(2025, 3, 3), QTime(0, 0)));
        QCOMPARE(h.settings.values.value(u"pendingConnectState"_s), QVariant(u"ABC"_s));
    }

    void signInWithBrowserUsesAFreshStateEachTime()
    {
        StoreHarness h;
        Store &store = h.start();
        store.signInWithBrowser();
        store.signInWithBrowser();
        QCOMPARE(h.urlOpener.opened.size(), 2);

        static const QRegularExpression stateShape(u"^[0-9A-F]{40}$"_s);
        QStringList states;
        for (const QUrl &url : std::as_const(h.urlOpener.opened)) {
            const QString text = url.toString();
            const QString prefix = u"https://app.vesk.example/mac/connect?state="_s;
            QVERIFY2(text.startsWith(prefix), qPrintable(text));
            const QString state = text.mid(prefix.size());
            QVERIFY2(stateShape.match(state).hasMatch(), qPrintable(state));
            states.append(state);
        }
        QVERIFY(states.at(0) != states.at(1));
        QCOMPARE(h.settings.values.value(u"pendingConnectState"_s).toString(), states.at(1));
        QCOMPARE(h.feedRequests(), 0);
    }

    void toggleLogin_data()
    {
        QTest::addColumn<LoginItem::Status>("initial");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<bool>("registers");
        QTest::addColumn<bool>("after");
        QTest::newRow("on, switched off") << LoginItem::Status::Enabled << false << false << false;
        QTest::newRow("off, switched on") << LoginItem::Status::NotRegistered << false << true << true;
        QTest::newRow("off, desktop asks first") << LoginItem::Status::NotRegistered << true << true << false;
        QTest::newRow("needs approval reads off, switched on")
            << LoginItem::Status::RequiresApproval << false << true << true;
    }

    void toggleLogin()
    {
        QFETCH(LoginItem::Status, initial);
        QFETCH(bool, refuse);
        QFETCH(bool, registers);
        QFETCH(bool, after);
        StoreHarness h;
        h.loginItem.current = initial;
        h.loginItem.refuseRegister = refuse;
        Store &store = h.start();
        QCOMPARE(store.openAtLogin(), initial == LoginItem::Status::Enabled);

        store.toggleLogin();
        QCOMPARE(h.loginItem.registerCalls, registers ? 1 : 0);
        QCOMPARE(h.loginItem.unregisterCalls, registers ? 0 : 1);
        QCOMPARE(store.openAtLogin(), after);
    }

    void firstLaunchRegistersOnce()
    {
        StoreHarness h;
        h.settings.values.clear();
        h.start();
        QCOMPARE(h.loginItem.registerCalls, 1);
        QVERIFY(h.store->openAtLogin());
        QCOMPARE(h.settings.values.value(u"didSetLoginDefault"_s), QVariant(true));
        h.stop();

        // The user removed the entry; the next launch leaves it that way.
        h.loginItem.current = LoginItem::Status::NotRegistered;
        h.start();
        QCOMPARE(h.loginItem.registerCalls, 1);
        QVERIFY(!h.store->openAtLogin());
    }

    void firstLaunchMarksDoneEvenWhenRegisteringFails()
    {
        StoreHarness h;
        h.settings.values.clear();
        h.loginItem.refuseRegister = true;
        Store &store = h.start();
        QCOMPARE(h.loginItem.registerCalls, 1);
        QVERIFY(!store.openAtLogin());
        QCOMPARE(h.settings.values.value(u"didSetLoginDefault"_s), QVariant(true));
    }

    void firstLaunchWritesTheAutostartEntry()
    {
        StoreHarness h;
        h.settings.values.clear();
        XdgAutostart autostart;
        Store store(Services{h.http, h.clock, h.settings, autostart, h.urlOpener, h.clipboard, h.sounds,
                             h.server.url(), QUrl(u"https://app.vesk.example"_s)});
        QVERIFY(store.openAtLogin());
        QVERIFY(QFile::exists(h.xdg.configHome() + u"/autostart/vesk-bar.desktop"_s));
        store.toggleLogin();
        QVERIFY(!store.openAtLogin());
        QVERIFY(!QFile::exists(h.xdg.configHome() + u"/autostart/vesk-bar.desktop"_s));
        h.http.abortAll();
        QCoreApplication::processEvents();
    }

    void connectedNotificationReloads()
    {
        StoreHarness h;
        h.onFeed().reply(200, feedBody({meetingAt(u"a"_s, h.clock.current.addSecs(600))}));
        Store &store = h.start();
        QTRY_COMPARE(h.versionRequests(), 1);
        QVERIFY(!store.hasToken());

        // The sign-in callback stored a token behind the Store's back and announced it.
        QVERIFY(TokenStore::save(u"vesk_from_browser"_s));
        Q_EMIT AppEvents::instance().veskConnected();
        QVERIFY(!store.hasToken()); // handled on a later turn
        QTRY_VERIFY(store.hasToken());
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
        QCOMPARE(h.server.requestsTo("/api/today").constFirst().header("Authorization"),
                 QByteArray("Bearer vesk_from_browser"));
    }
};

QTEST_GUILESS_MAIN(TestStoreConnection)

#include "tst_store_connection.moc"
