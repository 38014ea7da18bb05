#include "state/storeharness.h"

#include <QLocale>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTimer>

#include <ctime>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray feedQuery(const StoreHarness &h, qsizetype index)
{
    return h.server.requestsTo("/api/today").at(index).rawQuery;
}

} // namespace

class TestStoreCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void creationWithToken()
    {
        StoreHarness h;
        h.saveToken();
        h.onFeed().reply(200, feedBody({meetingAt(u"a"_s, h.clock.current.addSecs(1800))}));
        const QDateTime created = h.clock.current;
        Store &store = h.start();

        // Initial values are there before the first turn of the event loop; nothing is sent yet.
        QVERIFY(store.hasToken());
        QCOMPARE(store.day(), QDateTime(QDate(2025, 3, 4), QTime(0, 0)));
        QCOMPARE(h.server.requests().size(), 0);

        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
        QCOMPARE(store.lastUpdated(), created);
        QTRY_COMPARE(h.versionRequests(), 1);
        QCOMPARE(h.feedRequests(), 1);
        QCOMPARE(feedQuery(h, 0), QByteArray());

        // The minute timer runs from creation on.
        const QTimer *timer = store.findChild<QTimer *>();
        QVERIFY(timer);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 60000);
    }

    void withoutTokenEveryTickRetries()
    {
        StoreHarness h;
        h.options.tickInterval = 100ms;
        h.onFeed().reply(500, "<html>down</html>");
        Store &store = h.start();
        h.advanceToNextTick(60);
        h.advanceToNextTick(60);
        QCOMPARE(h.feedRequests(), 0);
        QVERIFY(store.error().isEmpty());

        // Once a token is there the next tick loads; a failing load keeps the ticks retrying.
        h.saveToken();
        QTRY_COMPARE(store.error(), u"Couldn't reach Vesk."_s);
        QTRY_VERIFY(h.feedRequests() >= 2);
        QVERIFY(!store.lastUpdated().isValid());
    }

    void tickRules_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("reloads");
        QTest::addColumn<bool>("checks");
        QTest::newRow("exactly 300 s") << 300 << false << false;
        QTest::newRow("301 s") << 301 << true << false;
        QTest::newRow("exactly 21600 s") << 21600 << true << false;
        QTest::newRow("21601 s") << 21601 << true << true;
    }

    void tickRules()
    {
        QFETCH(int, seconds);
        QFETCH(bool, reloads);
        QFETCH(bool, checks);
        StoreHarness h;
        Store &store = h.startTicking(100ms);
        QCOMPARE(h.feedRequests(), 1);
        QCOMPARE(h.versionRequests(), 1);

        h.advanceToNextTick(seconds);
        QTRY_COMPARE(h.feedRequests(), reloads ? 2 : 1);
        QTRY_COMPARE(h.versionRequests(), checks ? 2 : 1);
        QTest::qWait(300); // later ticks add nothing
        QCOMPARE(h.feedRequests(), reloads ? 2 : 1);
        QCOMPARE(h.versionRequests(), checks ? 2 : 1);
        QCOMPARE(store.now(), h.clock.current);
    }

    void shiftDayLoadsThatDay()
    {
        StoreHarness h;
        Store &store = h.startLoaded({meetingAt(u"t"_s, h.clock.current.addSecs(600))});
        h.onFeed().after(300ms).reply(200, feedBody({meetingAt(u"y"_s, h.clock.current.addDays(-1))}));

        store.shiftDay(-1);
        QCOMPARE(store.day(), QDateTime(QDate(2025, 3, 3), QTime(0, 0)));
        QVERIFY(!store.isToday());
        QTRY_VERIFY(store.loadingDay());
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"y"_s});
        QVERIFY(!store.loadingDay());
        QCOMPARE(feedQuery(h, 1), QByteArray("date=2025-03-03"));
        QCOMPARE(idsOf(store.meetings()), QStringList{u"t"_s}); // the service's day is kept

        // Back to today: nothing is loaded, the panel shows today from the service's day.
        store.shiftDay(1);
        QVERIFY(store.isToday());
        QVERIFY(store.dayMeetings().isEmpty());
        h.settle();
        QCOMPARE(h.feedRequests(), 2);
        QVERIFY(!store.loadingDay());
    }

    // Stepping back and forth faster than the service answers: the day finally shown gets every
    // reply for that day in the order the loads started, the day left in between gets nothing, and
    // loading ends with the last load for the day shown.
    void backAndForthQuickly()
    {
        StoreHarness h;
        Store &store = h.startLoaded();
        h.server.reset();
        h.onFeed().after(300ms).reply(200, feedBody({meetingAt(u"first"_s, h.clock.current.addDays(-1))}));
        h.onFeed().after(600ms).reply(200, feedBody({meetingAt(u"left"_s, h.clock.current.addDays(-2))}));
        h.onFeed().after(1000ms).reply(200, feedBody({meetingAt(u"third"_s, h.clock.current.addDays(-1))}));
        QSignalSpy filled(&store, &Store::dayMeetingsChanged);

        store.shiftDay(-1);
        QTRY_COMPARE(h.feedRequests(), 1);
        store.shiftDay(-1);
        QTRY_COMPARE(h.feedRequests(), 2);
        store.shiftDay(1);
        filled.clear();
        QTRY_COMPARE(h.feedRequests(), 3);
        QCOMPARE(store.day(), QDateTime(QDate(2025, 3, 3), QTime(0, 0)));
        QCOMPARE(QList<QByteArray>({feedQuery(h, 0), feedQuery(h, 1), feedQuery(h, 2)}),
                 QList<QByteArray>({"date=2025-03-03", "date=2025-03-02", "date=2025-03-03"}));

        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"first"_s});
        QVERIFY(store.loadingDay());
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"third"_s});
        QVERIFY(!store.loadingDay());
        QCOMPARE(filled.size(), 2); // the left day's reply, come in between, changed nothing
    }

    // A failed later load of the day shown keeps the meetings an earlier load brought, and shows
    // the error; `refresh` reloads the day shown when it is not today.
    void failedRefreshKeepsTheShownDay()
    {
        StoreHarness h;
        Store &store = h.startLoaded({meetingAt(u"t"_s, h.clock.current.addSecs(600))});
        h.server.reset();
        h.onFeed().after(500ms).reply(200, feedBody({meetingAt(u"y"_s, h.clock.current.addDays(-1))}));
        h.onFeed().reply(500, "<html>down</html>");

        store.shiftDay(-1);
        QTRY_COMPARE(h.feedRequests(), 1);
        store.refresh(); // today fails at once, then the shown day is asked again and fails too
        QTRY_COMPARE(h.feedRequests(), 3);
        QCOMPARE(feedQuery(h, 1), QByteArray());
        QCOMPARE(feedQuery(h, 2), QByteArray("date=2025-03-03"));
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"y"_s});
        QTRY_VERIFY(!store.loadingDay());
        QCOMPARE(store.error(), u"Couldn't reach Vesk."_s);
        QCOMPARE(idsOf(store.meetings()), QStringList{u"t"_s});
    }

    void shiftDayAcrossDaylightSaving()
    {
        StoreHarness h;
        // The Monday after the clocks went forward here (Sunday 30 March 2025 had 23 hours).
        h.clock.current = QDateTime(QDate(2025, 3, 31), QTime(10, 0));
        Store &store = h.startLoaded();

        store.shiftDay(-1);
        QTRY_COMPARE(h.feedRequests(), 2);
        store.shiftDay(-1);
        QCOMPARE(store.day(), QDateTime(QDate(2025, 3, 29), QTime(0, 0)));
        QTRY_COMPARE(h.feedRequests(), 3);
        QCOMPARE(feedQuery(h, 1), QByteArray("date=2025-03-30"));
        QCOMPARE(feedQuery(h, 2), QByteArray("date=2025-03-29"));
        store.shiftDay(2);
        QCOMPARE(store.day(), QDateTime(QDate(2025, 3, 31), QTime(0, 0)));
    }

    void goTodayFromThreeDaysBack()
    {
        StoreHarness h;
        Store &store = h.startLoaded();
        h.onFeed().reply(200, feedBody({meetingAt(u"old"_s, h.clock.current.addDays(-3))}));
        h.onFeed().reply(200, feedBody({meetingAt(u"fresh"_s, h.clock.current.addSecs(900))}));
        store.shiftDay(-3);
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"old"_s});
        QCOMPARE(feedQuery(h, 1), QByteArray("date=2025-03-01"));

        h.clock.advance(120); // goToday reads the wall clock, not `now`
        store.goToday();
        QCOMPARE(store.day(), QDateTime(QDate(2025, 3, 4), QTime(0, 0)));
        QVERIFY(store.dayMeetings().isEmpty());
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"fresh"_s});
        QCOMPARE(h.feedRequests(), 3);
        QCOMPARE(feedQuery(h, 2), QByteArray());
        QCOMPARE(store.now(), h.clock.current);
    }

    void failedDayLoadKeepsMessage()
    {
        StoreHarness h;
        Store &store = h.startLoaded();
        h.onFeed().reply(401, feedBody({}));
        store.shiftDay(-1);
        QTRY_COMPARE(store.error(), u"Token rejected. Create a new one in Vesk \u2192 Connections."_s);
        QTRY_VERIFY(!store.loadingDay());
        QVERIFY(store.dayMeetings().isEmpty());
        QVERIFY(store.hasToken());
    }

    void menuTitle_data()
    {
        QTest::addColumn<QList<Meeting>>("feed");
        QTest::addColumn<QString>("title");
        const QDateTime now(QDate(2025, 3, 4), QTime(10, 0));
        QTest::newRow("nothing") << QList<Meeting>{} << QString();
        QTest::newRow("59 min 59 s") << QList<Meeting>{meetingAt(u"a"_s, now.addSecs(3599))} << u"in 59m"_s;
        QTest::newRow("exactly 60 min") << QList<Meeting>{meetingAt(u"a"_s, now.addSecs(3600))} << u"11:00"_s;
        QTest::newRow("last minute") << QList<Meeting>{meetingAt(u"a"_s, now.addSecs(30))} << u"in 0m"_s;
        QTest::newRow("the start minute") << QList<Meeting>{meetingAt(u"a"_s, now)} << u"now"_s;
        QTest::newRow("started") << QList<Meeting>{meetingAt(u"a"_s, now.addSecs(-600))} << u"now"_s;
        QTest::newRow("ended meeting skipped")
            << QList<Meeting>{meetingAt(u"a"_s, now.addSecs(-3600)), meetingAt(u"b"_s, now.addSecs(1200))}
            << u"in 20m"_s;
        QTest::newRow("tomorrow only")
            << QList<Meeting>{meetingAt(u"a"_s, QDateTime(QDate(2025, 3, 5), QTime(9, 0)))} << QString();
        QTest::newRow("no-show skipped")
            << QList<Meeting>{meetingAt(u"a"_s, now.addSecs(-300), 30, u"no_show"_s),
                              meetingAt(u"b"_s, now.addSecs(1800))}
            << u"in 30m"_s;
        QTest::newRow("feed order over start time") << QList<Meeting>{meetingAt(u"late"_s, now.addSecs(2400)),
                                                                      meetingAt(u"early"_s, now.addSecs(600))}
                                                    << u"in 40m"_s;
    }

    // Under the C locale, whose own short style has seconds: hours and minutes only.
    void menuTitle()
    {
        QFETCH(QList<Meeting>, feed);
        QFETCH(QString, title);
        const QLocale previous;
        QLocale::setDefault(QLocale::c());
        const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });
        StoreHarness h;
        QCOMPARE(h.startLoaded(feed).menuTitle(), title);
    }

    void derivedValuesFollowTheClock()
    {
        StoreHarness h;
        Store &store = h.startTicking(
            100ms, {
                       meetingAt(u"late"_s, QDateTime(QDate(2025, 3, 4), QTime(23, 30))),
                       // 22:30 UTC on the 4th, but past midnight here: tomorrow.
                       meetingAt(u"past-midnight"_s, QDateTime(QDate(2025, 3, 5), QTime(0, 30))),
                       meetingAt(u"soon"_s, h.clock.current.addSecs(300)),
                       meetingAt(u"later"_s, QDateTime(QDate(2025, 3, 6), QTime(9, 0))),
                   });
        QCOMPARE(idsOf(store.today()), (QStringList{u"late"_s, u"soon"_s}));
        QCOMPARE(idsOf(store.tomorrowMorning()), QStringList{u"past-midnight"_s});
        QCOMPARE(store.nextValue().id, u"late"_s);

        QSignalSpy titleSpy(&store, &Store::menuTitleChanged);
        h.advanceToNextTick(3600 * 13 + 1800 - 60); // 23:29
        QVERIFY(titleSpy.count() >= 1);
        QCOMPARE(store.menuTitle(), u"in 1m"_s);
    }
};

int main(int argc, char **argv)
{
    // A zone with daylight saving, whose midnight differs from UTC's.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QCoreApplication app(argc, argv);
    TestStoreCore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_store_core.moc"
