#include "state/storeharness.h"

#include <QLocale>
#include <QScopeGuard>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

QDateTime march(int day, QTime time = QTime(0, 0))
{
    return QDateTime(QDate(2025, 3, day), time);
}

} // namespace

class TestStoreCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void creationLoadsAndStartsTheMinuteTimer()
    {
        StoreHarness h;
        h.saveToken();
        h.onFeed().reply(200, feedBody({meetingAt(u"a"_s, h.clock.current.addSecs(1800))}));
        Store &store = h.start();
        // Initial values are there before the first turn of the event loop; nothing is sent yet.
        QCOMPARE(store.day(), march(4));
        QCOMPARE(h.server.requests().size(), 0);
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"a"_s});
        QTRY_COMPARE(h.versionRequests(), 1);
        const QTimer *timer = store.findChild<QTimer *>();
        QVERIFY(timer && timer->isActive());
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
        h.options.tickInterval = 100ms;
        h.startLoaded();
        QTest::qWait(300); // an early tick settles
        h.advanceToNextTick(seconds);
        QTRY_COMPARE(h.feedRequests(), reloads ? 2 : 1);
        QTRY_COMPARE(h.versionRequests(), checks ? 2 : 1);
        QTest::qWait(300); // later ticks add nothing
        QCOMPARE(h.feedRequests(), reloads ? 2 : 1);
        QCOMPARE(h.versionRequests(), checks ? 2 : 1);
    }

    // Days move by calendar day, here across Sunday 30 March 2025, which had 23 hours.
    void dayNavigation()
    {
        StoreHarness h;
        h.clock.current = march(31, QTime(10, 0));
        Store &store = h.startLoaded({meetingAt(u"t"_s, h.clock.current.addSecs(600))});
        h.onFeed().after(300ms).reply(200, feedBody({meetingAt(u"sun"_s, h.clock.current.addDays(-1))}));
        store.shiftDay(-1);
        QCOMPARE(store.day(), march(30));
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"sun"_s});
        QCOMPARE(idsOf(store.meetings()), QStringList{u"t"_s}); // the service's day is kept
        store.shiftDay(-1);
        QCOMPARE(store.day(), march(29));
        QTRY_COMPARE(h.feedRequests(), 3);
        store.shiftDay(2); // today: nothing to load, the panel shows the service's day
        QCOMPARE(store.day(), march(31));
        h.settle();
        // Today from days back: the shown day empties at once and today's feed reloads.
        h.onFeed().reply(200, feedBody({meetingAt(u"fresh"_s, h.clock.current.addSecs(900))}));
        store.shiftDay(-3);
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"fresh"_s});
        store.goToday();
        QVERIFY(store.isToday());
        QVERIFY(store.dayMeetings().isEmpty());
        QTRY_COMPARE(idsOf(store.meetings()), QStringList{u"fresh"_s});
        QCOMPARE(h.queriesTo("/api/today"),
                 (QList<QByteArray>{{}, "date=2025-03-30", "date=2025-03-29", "date=2025-03-28", {}}));
    }

    // Stepping back and forth faster than the service answers: only the reply to the last load of
    // the day finally shown counts, whatever order the replies come in, and loading ends with it.
    void backAndForthQuickly()
    {
        QStringList log;
        StoreHarness h;
        Store &store = h.startLoaded();
        h.server.reset();
        h.onFeed().after(1500ms).reply(200, feedBody({meetingAt(u"first"_s, h.clock.current.addDays(-1))}));
        h.onFeed().after(300ms).reply(200, feedBody({meetingAt(u"left"_s, h.clock.current.addDays(-2))}));
        h.onFeed().after(700ms).reply(200, feedBody({meetingAt(u"last"_s, h.clock.current.addDays(-1))}));
        connect(&store, &Store::dayMeetingsChanged, this,
                [&] { log.append(idsOf(store.dayMeetings()).join(u',')); });
        connect(&store, &Store::loadingDayChanged, this,
                [&] { log.append(store.loadingDay() ? u"loading"_s : u"done"_s); });
        store.shiftDay(-1);
        QTRY_COMPARE(h.feedRequests(), 1);
        store.shiftDay(-1);
        QTRY_COMPARE(h.feedRequests(), 2);
        store.shiftDay(1);
        log.clear();
        QTRY_COMPARE(h.feedRequests(), 3);
        QCOMPARE(h.queriesTo("/api/today"),
                 (QList<QByteArray>{"date=2025-03-03", "date=2025-03-02", "date=2025-03-03"}));
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"last"_s});
        QTest::qWait(1200); // the first load's reply has come too
        QCOMPARE(log, (QStringList{u"loading"_s, u"last"_s, u"done"_s}));
    }

    // `refresh` reloads the shown day when it is not today; a failed later load keeps the meetings
    // an earlier one brought and shows the error. A rejected token stays stored.
    void refreshReloadsTheShownDay()
    {
        StoreHarness h;
        Store &store = h.startLoaded({meetingAt(u"t"_s, h.clock.current.addSecs(600))});
        h.server.reset();
        h.onFeed().after(500ms).reply(200, feedBody({meetingAt(u"y"_s, h.clock.current.addDays(-1))}));
        h.onFeed().reply(401, feedBody({}));
        store.shiftDay(-1);
        QTRY_COMPARE(h.feedRequests(), 1);
        store.refresh(); // today fails at once, then the shown day is asked again and fails too
        QTRY_COMPARE(h.feedRequests(), 3);
        QCOMPARE(h.queriesTo("/api/today"), (QList<QByteArray>{"date=2025-03-03", {}, "date=2025-03-03"}));
        QTRY_COMPARE(idsOf(store.dayMeetings()), QStringList{u"y"_s});
        QTRY_VERIFY(!store.loadingDay());
        QCOMPARE(store.error(), u"Token rejected. Create a new one in Vesk \u2192 Connections."_s);
        QCOMPARE(idsOf(store.meetings()), QStringList{u"t"_s});
        QVERIFY(store.hasToken());
    }

    void menuTitle_data()
    {
        QTest::addColumn<QList<Meeting>>("feed");
        QTest::addColumn<QString>("title");
        const QDateTime now = march(4, QTime(10, 0));
        const auto row = [](const char *name, const QList<Meeting> &feed, const QString &title) {
            QTest::newRow(name) << feed << title;
        };
        row("nothing", {}, QString());
        row("59 min 59 s", {meetingAt(u"a"_s, now.addSecs(3599))}, u"in 59m"_s);
        row("exactly 60 min", {meetingAt(u"a"_s, now.addSecs(3600))}, u"11:00"_s);
        row("the start minute", {meetingAt(u"a"_s, now)}, u"now"_s);
        row("started", {meetingAt(u"a"_s, now.addSecs(-600))}, u"now"_s);
        row("ended and no-show skipped",
            {meetingAt(u"a"_s, now.addSecs(-3600)), meetingAt(u"b"_s, now.addSecs(-300), 30, u"no_show"_s),
             meetingAt(u"c"_s, now.addSecs(1200))},
            u"in 20m"_s);
        row("tomorrow only", {meetingAt(u"a"_s, march(5, QTime(9, 0)))}, QString());
        row("feed order over start time",
            {meetingAt(u"late"_s, now.addSecs(2400)), meetingAt(u"early"_s, now.addSecs(600))}, u"in 40m"_s);
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
        h.options.tickInterval = 100ms;
        Store &store = h.startLoaded({meetingAt(u"late"_s, march(4, QTime(23, 30))),
                                      // 22:30 UTC on the 4th, but past midnight here: tomorrow.
                                      meetingAt(u"past-midnight"_s, march(5, QTime(0, 30))),
                                      meetingAt(u"soon"_s, h.clock.current.addSecs(300)),
                                      meetingAt(u"later"_s, march(6, QTime(9, 0)))});
        QCOMPARE(idsOf(store.today()), (QStringList{u"late"_s, u"soon"_s}));
        QCOMPARE(idsOf(store.tomorrowMorning()), QStringList{u"past-midnight"_s});
        QCOMPARE(store.nextValue().id, u"late"_s);
        h.advanceToNextTick(3600 * 13 + 1800 - 60); // 23:29
        QCOMPARE(store.menuTitle(), u"in 1m"_s);
    }
};

VESK_TEST_MAIN_IN_BERLIN(TestStoreCore)

#include "tst_store_core.moc"
