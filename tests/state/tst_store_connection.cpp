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
        QCOMPARE(fileBytes(h.xdg.tokenPath()), QByteArray("vesk_abc123"));
        QCOMPARE(h.feedRequests(), 0); // the load is started, not run inside the call
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
        QCOMPARE(h.server.requestsTo("/api/today").constFirst().header("Authorization"),
                 QByteArray("Bearer vesk_abc123"));

        // Only blanks remove the token; refreshing then sends nothing and says nothing.
        store.setToken(u" \n\t "_s);
        QVERIFY(!store.hasToken());
        QVERIFY(!QFile::exists(h.xdg.tokenPath()));
        store.refresh();
        h.settle();
        QCOMPARE(h.feedRequests(), 1);
        QVERIFY(store.error().isEmpty());

        // A pasted token with a line break inside would split the request header: it is not stored.
        store.setToken(u"vesk_abc\r\nX-Injected: 1"_s);
        QVERIFY(!store.hasToken());
        QVERIFY(!QFile::exists(h.xdg.tokenPath()));
        store.refresh();
        h.settle();
        QCOMPARE(h.feedRequests(), 1);
    }

    void opensOnlyWebAndMailLinks()
    {
        // Join and mail links come from the service: only web pages and mail reach the desktop.
        StoreHarness h;
        Store &store = h.start();
        const QStringList opened = {u"https://meet.example/abc?pwd=1"_s, u"mailto:r@x.io?subject=Hi"_s,
                                    u"http://127.0.0.1:8080/settings"_s, u"http://localhost/download"_s,
                                    u"http://[::1]:9000/"_s};
        const QStringList refused = {u"file:///etc/passwd"_s,
                                     u"smb://host/share"_s,
                                     u"http://meet.example/abc"_s,
                                     u"http://127.0.0.1.evil.example/"_s,
                                     u"javascript:alert(1)"_s,
                                     u"vesk://connect?token=vesk_x"_s,
                                     u"https:///etc/passwd"_s,
                                     u"ftp://files.example/x"_s,
                                     u"/etc/passwd"_s};
        for (const QString &url : opened + refused)
            store.openUrl(QUrl(url));
        QStringList seen;
        for (const QUrl &url : std::as_const(h.urlOpener.opened))
            seen.append(url.toString());
        QCOMPARE(seen, opened);
    }

    void signOutForgetsOnlyTokenAndMeetings()
    {
        StoreHarness h;
        h.settings.values.insert(u"pendingConnectState"_s, u"ABC"_s);
        Store &store = h.startLoaded({meetingAt(u"t"_s, h.clock.current.addSecs(600))});
        h.onFeed().reply(200, feedBody({meetingAt(u"y"_s, h.clock.current.addDays(-1))}));
        h.onFeed().reply(500, "<html>oops</html>");
        const QDateTime loadedAt = store.lastUpdated();
        store.shiftDay(-1);
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"y"_s});
        store.refresh();
        QTRY_COMPARE(store.error(), u"Couldn't reach Vesk."_s);

        store.signOut();
        QVERIFY(!store.hasToken());
        QVERIFY(!QFile::exists(h.xdg.tokenPath()));
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

    void loginItemOfAnotherCopyIsTakenOverAtStart()
    {
        // The entry a build folder's copy left names a program that is gone: off, until the
        // installed program takes it over on its start.
        StoreHarness h;
        h.loginItem.current = LoginItem::Status::NotFound;
        h.loginItem.canTakeOver = true;
        QVERIFY(h.start().openAtLogin());
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
        QCOMPARE(h.settings.values.value(u"didSetLoginDefault"_s), QVariant(true));
        h.stop();
        h.loginItem.current = LoginItem::Status::NotRegistered;
        h.start();
        QCOMPARE(h.loginItem.registerCalls, 1);
        QVERIFY(!h.store->openAtLogin());
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
};

QTEST_GUILESS_MAIN(TestStoreConnection)

#include "tst_store_connection.moc"
