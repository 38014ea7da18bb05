#include "state/storeharness.h"

#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

class TestStoreUpdate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("1.10 > 1.9") << u"1.10"_s << u"1.9"_s << 1;
        QTest::newRow("1.2.0 > 1.2") << u"1.2.0"_s << u"1.2"_s << 1;
        QTest::newRow("equal") << u"1.4.2"_s << u"1.4.2"_s << 0;
        QTest::newRow("older") << u"1.3.9"_s << u"1.4"_s << -1;
        QTest::newRow("leading zeros by value") << u"1.02"_s << u"1.2"_s << 0;
        QTest::newRow("long digit run") << u"1.100000000000000000001"_s << u"1.99"_s << 1;
        QTest::newRow("letters by character") << u"1.0b"_s << u"1.0a"_s << 1;
        QTest::newRow("empty") << QString() << u"0"_s << -1;
    }

    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(Store::compareVersions(a, b), order);
        QCOMPARE(Store::compareVersions(b, a), -order);
    }

    void check_data()
    {
        QTest::addColumn<QString>("own");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        // Every row starts from a first check that announced 99.0; "unchanged" keeps it.
        const QString unchanged = u"99.0"_s;
        QTest::newRow("newer") << u"1.9"_s << 200 << QByteArray(R"({"version":"1.10"})") << u"1.10"_s;
        QTest::newRow("equal clears")
            << u"1.4.2"_s << 200 << QByteArray(R"({"version":"1.4.2","notes":"x"})") << QString();
        QTest::newRow("older clears") << u"2.0.1"_s << 200 << QByteArray(R"({"version":"2.0"})") << QString();
        QTest::newRow("404") << u"1.0"_s << 404 << QByteArray(R"({"version":"5.0"})") << unchanged;
        QTest::newRow("not JSON") << u"1.0"_s << 200 << QByteArray("<html>5.0</html>") << unchanged;
        QTest::newRow("array") << u"1.0"_s << 200 << QByteArray(R"(["5.0"])") << unchanged;
        QTest::newRow("numeric version") << u"1.0"_s << 200 << QByteArray(R"({"version":5.0})") << unchanged;
        QTest::newRow("no own version reads 0")
            << QString() << 200 << QByteArray(R"({"version":"0.1"})") << u"0.1"_s;
        QTest::newRow("no own version, file 0")
            << QString() << 200 << QByteArray(R"({"version":"0"})") << QString();
    }

    void check()
    {
        QFETCH(QString, own);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        StoreHarness h;
        h.onVersion().reply(200, R"({"version":"99.0"})");
        h.onVersion().reply(status, body);
        Store &store = h.start();
        store.setOwnVersion(own); // before the start-up check runs
        QTRY_COMPARE(store.updateVersion(), u"99.0"_s);

        h.clock.advance(3600);
        StoreHarness::run(store.checkForUpdateTask());
        QCOMPARE(h.versionRequests(), 2);
        QCOMPARE(store.updateVersion(), expected);
        // The start time counts, whatever came back.
        QCOMPARE(store.lastUpdateCheck(), h.clock.current);
    }

    void checkSendsNoToken()
    {
        StoreHarness h;
        h.saveToken();
        h.onFeed().reply(200, feedBody({}));
        h.onVersion().reply(200, R"({"version":"1000.0"})");
        Store &store = h.start();
        QTRY_COMPARE(store.updateVersion(), u"1000.0"_s);
        const RecordedRequest request = h.server.requestsTo("/download/version.json").constFirst();
        QCOMPARE(request.method, QByteArray("GET"));
        QVERIFY(!request.hasHeader("Authorization"));
        QVERIFY(request.rawQuery.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStoreUpdate)

#include "tst_store_update.moc"
