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
            << u"1.4.2"_s << 200 << QByteArray(R"({"version":"1.4.2"})") << QString();
        QTest::newRow("older clears") << u"2.0.1"_s << 200 << QByteArray(R"({"version":"2.0"})") << QString();
        QTest::newRow("no answer keeps")
            << u"1.0"_s << 404 << QByteArray(R"({"version":"5.0"})") << unchanged;
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
        h.options.ownVersion = own;
        h.onVersion().reply(200, R"({"version":"99.0"})");
        h.onVersion().reply(status, body);
        h.onVersion().reply(200, R"({"version":"100.0"})");
        Store &store = h.start();
        QTRY_COMPARE(store.updateVersion(), u"99.0"_s);
        QSignalSpy changed(&store, &Store::updateVersionChanged);

        store.checkForUpdate();
        QTRY_COMPARE(h.versionRequests(), 2);
        QTRY_COMPARE(store.updateVersion(), expected);
        // A third check tells when the second has been handled, and whether it changed anything.
        store.checkForUpdate();
        QTRY_COMPARE(store.updateVersion(), u"100.0"_s);
        QCOMPARE(changed.size(), expected == u"99.0"_s ? 1 : 2);
    }
};

QTEST_GUILESS_MAIN(TestStoreUpdate)

#include "tst_store_update.moc"
