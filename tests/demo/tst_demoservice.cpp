#include "demo/demoservice.h"
#include "demo/opentimes.h"
#include "demo/sentenceparser.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {

const QTimeZone berlin("Europe/Berlin");
const QByteArray bearer = QByteArray("Bearer ") + DemoService::kToken;

QDateTime at(int d, int h, int mi = 0)
{
    return QDateTime(QDate(2025, 3, d), QTime(h, mi), berlin);
}

// One request to the demo service, at Tuesday 4 March 2025, 11:07 in Berlin.
DemoReply call(const char *method, const QString &path, const QString &query = {},
               const QByteArray &auth = bearer)
{
    static DemoService service(
        u"http://127.0.0.1:9"_s, [] { return at(4, 11, 7); }, u"0.2.0"_s);
    return service.handle({method, path, QUrlQuery(query), auth, "{}"});
}

} // namespace

/// The demo service's own rules: its sentence parser, its open times, who may ask it, and its
/// sign-in page. Its exchanges with the app are driven end to end by tests/e2e.
class TestDemoService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sentences_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QDateTime>("start"); // invalid: no time
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QStringList>("people");
        QTest::addColumn<QString>("conference");
        // "Now" is Wednesday 5 March 2025, 11:00 in Berlin.
        QTest::newRow("afternoon hour") << u"Coffee with Nils tomorrow at 3"_s << u"Coffee with Nils"_s
                                        << at(6, 15) << 30 << QStringList{u"Nils"_s} << u"none"_s;
        QTest::newRow("weekday, length, zoom")
            << u"Lunch with Maya Friday 12:30 for 45 min on zoom"_s << u"Lunch with Maya"_s << at(7, 12, 30)
            << 45 << QStringList{u"Maya"_s} << u"zoom"_s;
        QTest::newRow("no time") << u"call with sam"_s << u"Call with Sam"_s << QDateTime() << 30
                                 << QStringList{u"sam"_s} << u"none"_s;
        QTest::newRow("two people, hours, meet")
            << u"Call with Ben and Greta Lund tomorrow 12pm for 1.5 hours via google meet"_s
            << u"Call with Ben and Greta Lund"_s << at(6, 12) << 90 << QStringList{u"Ben"_s, u"Greta Lund"_s}
            << u"meet"_s;
    }

    void sentences()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, start);
        const std::optional<Sentence> s = parseSentence(text, at(5, 11));
        QVERIFY(s);
        QTEST(s->title, "title");
        QCOMPARE(s->start.value_or(QDateTime()), start);
        QTEST(s->durationMin, "minutes");
        QTEST(s->people, "people");
        QTEST(s->conference, "conference");
        QCOMPARE(s->intent, start.isValid() ? u"schedule"_s : u"find_time"_s);
    }

    void unreadableSentencesAndPlaces()
    {
        for (const QString &text : {u""_s, u"???"_s, u"12:30"_s, u"tomorrow at 3"_s})
            QVERIFY2(!parseSentence(text, at(5, 11)), qPrintable(text));
        // A place after "at" is the location, not a time, and stays out of the title.
        const std::optional<Sentence> s =
            parseSentence(u"Coffee with Nils tomorrow at 3 at Café Mo"_s, at(5, 11));
        QVERIFY(s);
        QCOMPARE(s->location.value_or(QString()), u"Café Mo"_s);
        QCOMPARE(s->title, u"Coffee with Nils"_s);
        QCOMPARE(s->start.value_or(QDateTime()), at(6, 15));
    }

    void openTimes()
    {
        // Monday 3 March. A meeting from 9:15 to 9:45 blocks both half hours it touches; a 90-minute
        // slot may not run into the afternoon meeting.
        const QList<Busy> busy = {{at(3, 9, 15), at(3, 9, 45)}, {at(3, 13), at(3, 17)}};
        WorkingHours hours;
        hours.perDay = 4;
        QCOMPARE(::openTimes(busy, at(3, 8), 30, 2, hours), (QList<QDateTime>{at(3, 10), at(3, 11, 30)}));
        QCOMPARE(::openTimes(busy, at(3, 11, 35), 90, 1, hours), QList<QDateTime>{at(4, 9)});
        // At 16:10 an hour would end after five; 16:30 for half an hour still fits; the weekend is skipped.
        QCOMPARE(::openTimes({}, at(4, 16, 10), 60, 1), QList<QDateTime>{at(5, 9)});
        QCOMPARE(::openTimes({}, at(7, 16, 20), 30, 2), (QList<QDateTime>{at(7, 16, 30), at(10, 9)}));
        // Berlin's clocks change on Sunday 30 March: open times stay at 9:00 on the wall clock.
        const QList<QDateTime> afterTheChange = ::openTimes({}, at(28, 17), 30, 1);
        QCOMPARE(afterTheChange.value(0).toUTC(),
                 QDateTime(QDate(2025, 3, 31), QTime(7, 0), QTimeZone::utc()));

        const QList<QDateTime> times = {at(3, 9), at(3, 14), at(4, 10, 30)};
        const TimesBlock block = formatOpenTimes(times, 45, u"Maya Lind"_s, u"maya@fjord.example"_s);
        QVERIFY(block.text.startsWith(u"Hi Maya,\n"_s));
        QVERIFY(block.text.contains(
            u"• Monday 3 March: 09:00–09:45, 14:00–14:45\n• Tuesday 4 March: 10:30–11:15"_s));
        QVERIFY(block.html.contains(u"<li><b>Monday 3 March</b>: 09:00–09:45, 14:00–14:45</li>"_s));
        QVERIFY(formatOpenTimes(times, 45, u"<i>Mo</i> Ali"_s, {}).html.startsWith(u"<p>Hi &lt;i&gt;Mo"_s));
    }

    void everyApiPathNeedsTheToken()
    {
        for (const char *request : {"GET /api/today", "GET /api/app/people", "POST /api/app/quick-add",
                                    "POST /api/app/meetings/m-20250304-1/vesk"}) {
            const QList<QByteArray> parts = QByteArray(request).split(' ');
            for (const QByteArray &auth : {""_ba, "Bearer vesk_wrong"_ba, QByteArray(DemoService::kToken)})
                QCOMPARE(call(parts[0].constData(), QString::fromLatin1(parts[1]), {}, auth).status, 401);
        }
        QCOMPARE(call("GET", u"/api/today"_s).status, 200);
        QCOMPARE(call("GET", u"/download/version.json"_s, {}, {}).status, 200); // needs none
    }

    // The sign-in page links back with the state it was given, and only a plain one.
    void signInPageCarriesTheState()
    {
        const DemoReply page = call("GET", u"/mac/connect"_s, u"state=0A1B2C"_s, {});
        QCOMPARE(page.status, 200);
        const QByteArray link = QByteArray("href=\"vesk://connect?token=") + DemoService::kToken;
        QVERIFY(page.body.contains(QByteArray(link + "&amp;state=0A1B2C\"")));
        // A state that could break out of the link gets no link at all.
        const DemoReply bad = call("GET", u"/mac/connect"_s, u"state=%22%3E%3Cscript%3E"_s, {});
        QCOMPARE(bad.status, 400);
        QVERIFY(!bad.body.contains("vesk://") && !bad.body.contains("<script>"));
    }
};

QTEST_GUILESS_MAIN(TestDemoService)
#include "tst_demoservice.moc"
