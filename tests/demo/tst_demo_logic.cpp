#include "demo/opentimes.h"
#include "demo/sentenceparser.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {

const QTimeZone berlin("Europe/Berlin");

QDateTime at(const QTimeZone &zone, int y, int mo, int d, int h, int mi = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi), zone);
}

} // namespace

/// The quick-add sentence parser and the open-time computation of the demo service.
class TestDemoLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sentences_data();
    void sentences();
    void unreadableSentences();
    void openTimesSkipMeetingsAndEvenings();
    void openTimesKeepWallClockAcrossClockChanges();
    void openTimesBlockGreetsAndEscapes();
};

void TestDemoLogic::sentences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("intent");
    QTest::addColumn<QDateTime>("start"); // invalid: no time
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QStringList>("people");
    QTest::addColumn<QString>("conference");

    // "Now" is Wednesday 5 March 2025, 11:00 in Berlin.
    QTest::newRow("afternoon hour") << u"Coffee with Nils tomorrow at 3"_s << u"Coffee with Nils"_s
                                    << u"schedule"_s << at(berlin, 2025, 3, 6, 15) << 30
                                    << QStringList{u"Nils"_s} << u"none"_s;
    QTest::newRow("intro") << u"Ivo <> Rena tomorrow 10am"_s << u"Ivo <> Rena"_s << u"intro"_s
                           << at(berlin, 2025, 3, 6, 10) << 30 << QStringList{u"Ivo"_s, u"Rena"_s}
                           << u"none"_s;
    QTest::newRow("weekday, length, zoom")
        << u"Lunch with Maya Friday 12:30 for 45 min on zoom"_s << u"Lunch with Maya"_s << u"schedule"_s
        << at(berlin, 2025, 3, 7, 12, 30) << 45 << QStringList{u"Maya"_s} << u"zoom"_s;
    QTest::newRow("no time") << u"call with sam"_s << u"Call with Sam"_s << u"find_time"_s << QDateTime()
                             << 30 << QStringList{u"sam"_s} << u"none"_s;
    QTest::newRow("today's weekday, time ahead")
        << u"Sync with Ada wednesday at 4"_s << u"Sync with Ada"_s << u"schedule"_s
        << at(berlin, 2025, 3, 5, 16) << 30 << QStringList{u"Ada"_s} << u"none"_s;
    QTest::newRow("today's weekday, time passed")
        << u"Sync with Ada Wed 9am"_s << u"Sync with Ada"_s << u"schedule"_s << at(berlin, 2025, 3, 12, 9)
        << 30 << QStringList{u"Ada"_s} << u"none"_s;
    QTest::newRow("monday after the weekend")
        << u"Demo for Lumen next monday 2pm"_s << u"Demo for Lumen"_s << u"schedule"_s
        << at(berlin, 2025, 3, 10, 14) << 30 << QStringList{} << u"none"_s;
    QTest::newRow("time passed today, no day")
        << u"Review with Ben at 10:15"_s << u"Review with Ben"_s << u"schedule"_s
        << at(berlin, 2025, 3, 6, 10, 15) << 30 << QStringList{u"Ben"_s} << u"none"_s;
    QTest::newRow("two people, hours, meet")
        << u"Call with Ben and Greta Lund tomorrow 12pm for 1.5 hours via google meet"_s
        << u"Call with Ben and Greta Lund"_s << u"schedule"_s << at(berlin, 2025, 3, 6, 12) << 90
        << QStringList{u"Ben"_s, u"Greta Lund"_s} << u"meet"_s;
    QTest::newRow("lunch is an hour")
        << u"lunch with Omar today at noon"_s << u"Lunch with Omar"_s << u"schedule"_s
        << at(berlin, 2025, 3, 5, 12) << 60 << QStringList{u"Omar"_s} << u"none"_s;
}

void TestDemoLogic::sentences()
{
    QFETCH(QString, text);
    const std::optional<Sentence> s = parseSentence(text, at(berlin, 2025, 3, 5, 11));
    QVERIFY(s);
    QTEST(s->title, "title");
    QTEST(s->intent, "intent");
    QFETCH(QDateTime, start);
    QCOMPARE(s->start.has_value(), start.isValid());
    if (start.isValid())
        QCOMPARE(*s->start, start);
    QTEST(s->durationMin, "minutes");
    QTEST(s->people, "people");
    QTEST(s->conference, "conference");
}

void TestDemoLogic::unreadableSentences()
{
    const QDateTime now = at(berlin, 2025, 3, 5, 11);
    for (const QString &text : {u""_s, u"  "_s, u"???"_s, u"12:30"_s, u"tomorrow at 3"_s})
        QVERIFY2(!parseSentence(text, now), qPrintable(text));
    // A place after "at" is the location, not a time, and stays out of the title.
    const std::optional<Sentence> s = parseSentence(u"Coffee with Nils tomorrow at 3 at Café Mo"_s, now);
    QVERIFY(s);
    QCOMPARE(s->location.value_or(QString()), u"Café Mo"_s);
    QCOMPARE(s->title, u"Coffee with Nils"_s);
    QCOMPARE(*s->start, at(berlin, 2025, 3, 6, 15));
}

void TestDemoLogic::openTimesSkipMeetingsAndEvenings()
{
    // Monday 3 March 2025. A meeting from 9:15 to 9:45 blocks both half hours it touches.
    const QList<Busy> busy = {{at(berlin, 2025, 3, 3, 9, 15), at(berlin, 2025, 3, 3, 9, 45)},
                              {at(berlin, 2025, 3, 3, 13), at(berlin, 2025, 3, 3, 17)}};
    WorkingHours hours;
    hours.perDay = 4;
    const QList<QDateTime> morning = openTimes(busy, at(berlin, 2025, 3, 3, 8), 30, 2, hours);
    QCOMPARE(morning, (QList<QDateTime>{at(berlin, 2025, 3, 3, 10), at(berlin, 2025, 3, 3, 11, 30)}));
    // A 90-minute slot may not run into the afternoon meeting: 12:00 would end at 13:30.
    const QList<QDateTime> longer = openTimes(busy, at(berlin, 2025, 3, 3, 11, 35), 90, 1, hours);
    QCOMPARE(longer, QList<QDateTime>{at(berlin, 2025, 3, 4, 9)});

    // At 16:10 an hour would end after five: the next open hour is Tuesday morning.
    QCOMPARE(openTimes({}, at(berlin, 2025, 3, 4, 16, 10), 60, 1),
             QList<QDateTime>{at(berlin, 2025, 3, 5, 9)});
    // 16:30 for half an hour still fits; the weekend is skipped.
    QCOMPARE(openTimes({}, at(berlin, 2025, 3, 7, 16, 20), 30, 2),
             (QList<QDateTime>{at(berlin, 2025, 3, 7, 16, 30), at(berlin, 2025, 3, 10, 9)}));
    QVERIFY(openTimes({}, at(berlin, 2025, 3, 3, 8), 0, 3).isEmpty());
}

void TestDemoLogic::openTimesKeepWallClockAcrossClockChanges()
{
    // Israel moves its clocks on Friday 28 March 2025 at 2:00; Berlin on Sunday 30 March. Open
    // times stay at 9:00 on the wall clock, which is an hour earlier in UTC than the day before.
    const QTimeZone jerusalem("Asia/Jerusalem");
    const QList<QDateTime> il = openTimes({}, at(jerusalem, 2025, 3, 27, 16, 45), 30, 2);
    QCOMPARE(il.size(), 2);
    QCOMPARE(il.at(0).time(), QTime(9, 0));
    QCOMPARE(il.at(0).toUTC(), QDateTime(QDate(2025, 3, 28), QTime(6, 0), Qt::UTC));
    QCOMPARE(il.at(1).toUTC(), QDateTime(QDate(2025, 3, 28), QTime(7, 30), Qt::UTC));

    const QList<QDateTime> de = openTimes({}, at(berlin, 2025, 3, 28, 17), 30, 1);
    QCOMPARE(de.value(0).toUTC(), QDateTime(QDate(2025, 3, 31), QTime(7, 0), Qt::UTC));
}

void TestDemoLogic::openTimesBlockGreetsAndEscapes()
{
    const QList<QDateTime> times = {at(berlin, 2025, 3, 3, 9), at(berlin, 2025, 3, 3, 14),
                                    at(berlin, 2025, 3, 4, 10, 30)};
    const TimesBlock block = formatOpenTimes(times, 45, u"Maya Lind"_s, u"maya@fjord.example"_s);
    QVERIFY(block.text.startsWith(u"Hi Maya,\n"_s));
    QVERIFY(
        block.text.contains(u"• Monday 3 March: 09:00–09:45, 14:00–14:45\n• Tuesday 4 March: 10:30–11:15"_s));
    QVERIFY(block.html.contains(u"<li><b>Monday 3 March</b>: 09:00–09:45, 14:00–14:45</li>"_s));
    QVERIFY(
        formatOpenTimes(times, 45, u"<i>Mo</i> Ali"_s, QString()).html.startsWith(u"<p>Hi &lt;i&gt;Mo"_s));

    const TimesBlock byAddress = formatOpenTimes(times, 30, QString(), u"x@y.example"_s);
    QVERIFY(byAddress.text.startsWith(u"Hi x@y.example,"_s));
    QVERIFY(!formatOpenTimes(times, 30, QString(), QString()).text.contains(u"Hi"_s));
}

QTEST_GUILESS_MAIN(TestDemoLogic)
#include "tst_demo_logic.moc"
