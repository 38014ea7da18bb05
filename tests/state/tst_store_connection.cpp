#include "state/storeharness.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

class TestStoreConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setTokenStoresTrimmedTextOrRemovesIt()
    {
        StoreHarness h;
        h.onFeed().reply(200, feedBody({meetingAt(u"a"_s, h.clock.current.addSecs(600))}));
        Store &store = h.start();
        QTRY_COMPARE(h.versionRequests(), 1);
        QSignalSpy tokenSpy(&store, &Store::hasTokenChanged);

        store.setToken(u"\t vesk_abc123 \r\n"_s);
        QVERIFY(store.hasToken());
        QCOMPARE(tokenSpy.count(), 1);
        QFile file(h.xdg.tokenPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("vesk_abc123"));
        QCOMPARE(h.feedRequests(), 0); // the load is started, not run inside the call
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
        QCOMPARE(h.server.requestsTo("/api/today").constFirst().header("Authorization"),
                 QByteArray("Bearer vesk_abc123"));

        // Blanks remove the token; a line break inside would split the request header, so such a
        // token is not stored either. Refreshing then sends nothing and says nothing.
        for (const QString &pasted : {u" \n\t "_s, u"vesk_abc\r\nX-Injected: 1"_s}) {
            store.setToken(pasted);
            QVERIFY(!store.hasToken());
            QVERIFY(!QFile::exists(h.xdg.tokenPath()));
            store.refresh();
            h.settle();
            QCOMPARE(h.feedRequests(), 1);
            QVERIFY(store.error().isEmpty());
        }
    }

    // Join and mail links come from the service: only web pages and mail reach the desktop.
    void opensOnlyWebAndMailLinks()
    {
        StoreHarness h;
        Store &store = h.start();
        const QStringList opened = {u"https://meet.example/abc?pwd=1"_s, u"mailto:r@x.io?subject=Hi"_s,
                                    u"http://127.0.0.1:8080/settings"_s, u"http://localhost/download"_s,
                                    u"http://[::1]:9000/"_s};
        const QStringList refused = {u"file:///etc/passwd"_s,      u"smb://host/share"_s,
                                     u"http://meet.example/abc"_s, u"http://127.0.0.1.evil.example/"_s,
                                     u"javascript:alert(1)"_s,     u"vesk://connect?token=vesk_x"_s,
                                     u"https:///etc/passwd"_s,     u"/etc/passwd"_s};
        for (const QString &url : opened + refused)
            store.openUrl(QUrl(url));
        QStringList seen;
        for (const QUrl &url : std::as_const(h.urlOpener.opened))
            seen.append(url.toString());
        QCOMPARE(seen, opened);
    }

    // The shown day, its meetings and the last error stay, as does a sign-in under way.
    void signOutForgetsOnlyTokenAndMeetings()
    {
        StoreHarness h;
        h.settings.values.insert(u"pendingConnectState"_s, u"ABC"_s);
        Store &store = h.startLoaded({meetingAt(u"t"_s, h.clock.current.addSecs(600))});
        h.onFeed().reply(200, feedBody({meetingAt(u"y"_s, h.clock.current.addDays(-1))}));
        store.shiftDay(-1);
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"y"_s});
        store.signOut();
        QVERIFY(!store.hasToken());
        QVERIFY(!QFile::exists(h.xdg.tokenPath()));
        QVERIFY(store.meetings().isEmpty());
        QVERIFY(!store.hasNext());
        QCOMPARE(idsOf(store.dayMeetings()), QStringList{u"y"_s});
        QCOMPARE(h.settings.values.value(u"pendingConnectState"_s), QVariant(u"ABC"_s));
    }

    void signInWithBrowserUsesAFreshStateEachTime()
    {
        StoreHarness h;
        Store &store = h.start();
        store.signInWithBrowser();
        store.signInWithBrowser();
        QCOMPARE(h.urlOpener.opened.size(), 2);
        static const QRegularExpression shape(
            u"^https://app\\.vesk\\.example/mac/connect\\?state=([0-9A-F]{40})$"_s);
        QStringList states;
        for (const QUrl &url : std::as_const(h.urlOpener.opened)) {
            const QRegularExpressionMatch match = shape.match(url.toString());
            QVERIFY2(match.hasMatch(), qPrintable(url.toString()));
            states.append(match.captured(1));
        }
        QVERIFY(states.at(0) != states.at(1));
        QCOMPARE(h.settings.values.value(u"pendingConnectState"_s).toString(), states.at(1));
    }

    void connectedNotificationReloads()
    {
        StoreHarness h;
        h.onFeed().reply(200, feedBody({meetingAt(u"a"_s, h.clock.current.addSecs(600))}));
        Store &store = h.start();
        QTRY_COMPARE(h.versionRequests(), 1);
        QVERIFY(!store.hasToken());

        // The sign-in callback stored a token behind the Store's back and announced it.
        QVERIFY(h.tokens.save(u"vesk_from_browser"_s));
        store.veskConnected();
        QVERIFY(!store.hasToken()); // handled on a later turn
        QTRY_VERIFY(store.hasToken());
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
        QCOMPARE(h.server.requestsTo("/api/today").constFirst().header("Authorization"),
                 QByteArray("Bearer vesk_from_browser"));
    }

    void toggleLogin_data()
    {
        QTest::addColumn<LoginItem::Status>("initial");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("after");
        using S = LoginItem::Status;
        QTest::newRow("on, switched off") << S::Enabled << false << true << false;
        QTest::newRow("off, switched on") << S::NotRegistered << false << false << true;
        QTest::newRow("off, desktop asks first") << S::NotRegistered << true << false << false;
        QTest::newRow("needs approval reads off") << S::RequiresApproval << false << false << true;
        // The entry a build folder's copy left names a program that is gone: taken over at start.
        QTest::newRow("another copy's entry") << S::NotFound << false << true << false;
    }

    void toggleLogin()
    {
        QFETCH(LoginItem::Status, initial);
        QFETCH(bool, refuse);
        QFETCH(bool, before);
        QFETCH(bool, after);
        StoreHarness h;
        h.loginItem.current = initial;
        h.loginItem.refuseRegister = refuse;
        h.loginItem.canTakeOver = initial == LoginItem::Status::NotFound;
        Store &store = h.start();
        QCOMPARE(store.openAtLogin(), before);
        store.toggleLogin();
        QCOMPARE(h.loginItem.registerCalls, before ? 0 : 1);
        QCOMPARE(h.loginItem.unregisterCalls, before ? 1 : 0);
        QCOMPARE(store.openAtLogin(), after);
    }

    void firstLaunchRegistersOnce_data()
    {
        QTest::addColumn<bool>("refuse");
        QTest::newRow("registered") << false;
        QTest::newRow("desktop refuses") << true;
    }

    void firstLaunchRegistersOnce()
    {
        QFETCH(bool, refuse);
        StoreHarness h;
        h.settings.values.clear();
        h.loginItem.refuseRegister = refuse;
        h.start();
        QCOMPARE(h.loginItem.registerCalls, 1);
        QCOMPARE(h.store->openAtLogin(), !refuse);
        // Marked done either way, so the next launch leaves a removed entry removed.
        h.stop();
        h.loginItem.current = LoginItem::Status::NotRegistered;
        h.start();
        QCOMPARE(h.loginItem.registerCalls, 1);
        QVERIFY(!h.store->openAtLogin());
    }

    // update check ----------------------------------------------------------------------------

    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("1.10 > 1.9") << u"1.10"_s << u"1.9"_s << 1;
        QTest::newRow("1.2.0 > 1.2") << u"1.2.0"_s << u"1.2"_s << 1;
        QTest::newRow("leading zeros by value") << u"1.02"_s << u"1.2"_s << 0;
        QTest::newRow("long digit run") << u"1.100000000000000000001"_s << u"1.99"_s << 1;
        QTest::newRow("letters by character") << u"1.0b"_s << u"1.0a"_s << 1;
    }

    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(Store::compareVersions(a, b), order);
        QCOMPARE(Store::compareVersions(b, a), -order);
    }

    // A newer release is announced, no answer keeps the announcement, the same release clears it.
    void updateCheck()
    {
        StoreHarness h;
        h.options.ownVersion = u"1.9"_s;
        for (const char *offered :
             {R"({"version":"1.10"})", "", R"({"version":"2.0"})", R"({"version":"1.9"})"})
            h.onVersion().reply(*offered ? 200 : 404, offered);
        Store &store = h.start();
        QSignalSpy changed(&store, &Store::updateVersionChanged);
        QTRY_COMPARE(store.updateVersion(), u"1.10"_s);
        store.checkForUpdate();
        QTRY_COMPARE(h.versionRequests(), 2);
        store.checkForUpdate();
        QTRY_COMPARE(store.updateVersion(), u"2.0"_s);
        store.checkForUpdate();
        QTRY_COMPARE(store.updateVersion(), QString());
        QCOMPARE(changed.size(), 3);
    }

    // Without an own version the program counts as "0".
    void updateCheckWithoutOwnVersion()
    {
        StoreHarness h;
        h.options.ownVersion = QString();
        h.onVersion().reply(200, R"({"version":"0"})");
        h.onVersion().reply(200, R"({"version":"0.1"})");
        Store &store = h.start();
        QSignalSpy changed(&store, &Store::updateVersionChanged);
        store.checkForUpdate();
        QTRY_COMPARE(store.updateVersion(), u"0.1"_s);
        QCOMPARE(changed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStoreConnection)

#include "tst_store_connection.moc"
