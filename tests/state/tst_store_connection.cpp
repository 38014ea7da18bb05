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
        store.setToken(u"\t vesk_abc123 \r\n"_s);
        QVERIFY(store.hasToken());
        QFile file(h.xdg.tokenPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "vesk_abc123");
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
        QCOMPARE(h.server.requestsTo("/api/today").value(0).header("Authorization"), "Bearer vesk_abc123");
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
        for (const QString &url :
             opened + QStringList{u"file:///etc/passwd"_s, u"smb://host/share"_s,
                                  u"http://meet.example/abc"_s, u"http://127.0.0.1.evil.example/"_s,
                                  u"javascript:alert(1)"_s, u"vesk://connect?token=vesk_x"_s,
                                  u"https:///etc/passwd"_s, u"/etc/passwd"_s})
            store.openUrl(QUrl(url));
        QCOMPARE(h.urlOpener.opened, QList<QUrl>(opened.cbegin(), opened.cend()));
    }

    // Signing out forgets the token and today's meetings, not a sign-in under way; each browser
    // sign-in goes out with a fresh state.
    void signOutAndSignIn()
    {
        StoreHarness h;
        Store &store = h.startLoaded({meetingAt(u"t"_s, h.clock.current.addSecs(600))});
        store.signInWithBrowser();
        const QString pending = h.settings.values.value(u"pendingConnectState"_s).toString();
        store.signOut();
        QVERIFY(!store.hasToken());
        QVERIFY(!QFile::exists(h.xdg.tokenPath()));
        QVERIFY(store.meetings().isEmpty() && !store.hasNext());
        QCOMPARE(h.settings.values.value(u"pendingConnectState"_s).toString(), pending);
        store.signInWithBrowser();
        static const QRegularExpression shape(
            u"^https://app\\.vesk\\.example/mac/connect\\?state=([0-9A-F]{40})$"_s);
        QStringList states;
        for (const QUrl &url : std::as_const(h.urlOpener.opened))
            states.append(shape.match(url.toString()).captured(1));
        QCOMPARE(states.size(), 2);
        QVERIFY(!states[0].isEmpty() && !states[1].isEmpty() && states[0] != states[1]);
        QCOMPARE(states,
                 (QStringList{pending, h.settings.values.value(u"pendingConnectState"_s).toString()}));
    }

    // The sign-in callback stored a token behind the Store's back and announced it.
    void connectedNotificationReloads()
    {
        StoreHarness h;
        h.onFeed().reply(200, feedBody({meetingAt(u"a"_s, h.clock.current.addSecs(600))}));
        Store &store = h.start();
        QTRY_COMPARE(h.versionRequests(), 1);
        h.saveToken();
        store.veskConnected();
        QVERIFY(!store.hasToken()); // handled on a later turn
        QTRY_VERIFY(store.hasToken());
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
    }

    // The first launch registers once, marked done even when the desktop asks first; the switch
    // follows what the desktop reports; an entry another copy left is taken over at start.
    void loginItem()
    {
        StoreHarness h;
        h.settings.values.clear();
        h.loginItem.refuseRegister = true;
        Store &store = h.start();
        QCOMPARE(h.loginItem.registerCalls, 1);
        QVERIFY(!store.openAtLogin()); // waiting for approval reads off
        h.loginItem.refuseRegister = false;
        store.toggleLogin();
        QCOMPARE(h.loginItem.registerCalls, 2);
        QVERIFY(store.openAtLogin());
        store.toggleLogin();
        QCOMPARE(h.loginItem.unregisterCalls, 1);
        QVERIFY(!store.openAtLogin());
        h.stop();
        h.start();
        QCOMPARE(h.loginItem.registerCalls, 2);
        QVERIFY(!h.store->openAtLogin());
        h.stop();
        h.loginItem.current = LoginItem::Status::NotFound;
        h.loginItem.canTakeOver = true;
        QVERIFY(h.start().openAtLogin());
    }

    // A newer release is announced (dotted numbers compare by value), no answer keeps the
    // announcement, the same release clears it.
    void updateCheck()
    {
        StoreHarness h;
        h.options.ownVersion = u"1.9"_s;
        for (const char *offered : {R"({"version":"1.10"})", "", R"({"version":"1.100000000000000000001"})",
                                    R"({"version":"1.09"})"})
            h.server.on("GET", "/download/version.json").reply(*offered ? 200 : 404, offered);
        Store &store = h.start();
        QSignalSpy changed(&store, &Store::updateVersionChanged);
        QTRY_COMPARE(store.updateVersion(), u"1.10"_s);
        store.checkForUpdate();
        QTRY_COMPARE(h.versionRequests(), 2);
        store.checkForUpdate();
        QTRY_COMPARE(store.updateVersion(), u"1.100000000000000000001"_s);
        store.checkForUpdate();
        QTRY_COMPARE(store.updateVersion(), QString());
        QCOMPARE(changed.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestStoreConnection)

#include "tst_store_connection.moc"
