#include "model/feeddecoder.h"
#include "model/isodate.h"
#include "support/scriptedserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QScopeGuard>
#include <QTest>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {

QJsonObject sampleMeeting()
{
    return QJsonObject{
        {u"id"_s, u"m1"_s},
        {u"title"_s, u"Intro"_s},
        {u"startsAt"_s, u"2025-03-04T10:00:00Z"_s},
        {u"endsAt"_s, u"2025-03-04T10:30:00Z"_s},
        {u"room"_s, u"zoom"_s},
        {u"joinUrl"_s, u"https://zoom.example/j/1"_s},
        {u"status"_s, u"confirmed"_s},
        {u"riskLevel"_s, u"low"_s},
        {u"riskScore"_s, 3},
        {u"action"_s, u"Send the agenda"_s},
        {u"watched"_s, false},
        {u"people"_s,
         QJsonArray{QJsonObject{
             {u"name"_s, u"Ada"_s}, {u"email"_s, u"ada@x.example"_s}, {u"rsvp"_s, u"accepted"_s}}}},
    };
}

QByteArray feedWith(const QJsonArray &meetings)
{
    return QJsonDocument(QJsonObject{{u"meetings"_s, meetings}}).toJson(QJsonDocument::Compact);
}

QByteArray feedWith(const QJsonObject &meeting)
{
    return feedWith(QJsonArray{meeting});
}

} // namespace

class TestFeedDecoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesFixture()
    {
        const FeedDecodeResult r = decodeFeed(fixture(u"feed_sample.json"_s));
        QVERIFY2(r.feed, qPrintable(r.error.path + u": "_s + r.error.description));
        QCOMPARE(r.feed->meetings.size(), 2);
        const Meeting &first = r.feed->meetings.at(0);
        QCOMPARE(first.id, u"m1"_s);
        QCOMPARE(first.joinUrl, std::optional<QString>(u"https://zoom.example/j/1"_s));
        QCOMPARE(first.people.size(), 2);
        QCOMPARE(first.people.at(1).rsvp, u"declined"_s);
        QCOMPARE(first.endsAt.toMSecsSinceEpoch() - first.startsAt.toMSecsSinceEpoch(), 30 * 60 * 1000 + 250);
        const Meeting &second = r.feed->meetings.at(1);
        QCOMPARE(second.id, u"m 2"_s);
        QVERIFY(!second.joinUrl);
        QVERIFY(!second.action);
        QCOMPARE(second.status, u"Confirmed"_s); // unknown codes pass through unchanged
        QCOMPARE(second.riskScore, std::numeric_limits<qint64>::min());
        QCOMPARE(second.startsAt, QDateTime(QDate(2025, 3, 4), QTime(14, 0), QTimeZone::utc()));
    }

    void dateRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expectedMsecs"); // -1: must fail
        const qint64 base = QDateTime(QDate(2025, 3, 4), QTime(10, 0), QTimeZone::utc()).toMSecsSinceEpoch();
        QTest::newRow("Z") << u"2025-03-04T10:00:00Z"_s << base;
        QTest::newRow("fraction") << u"2025-03-04T10:00:00.250Z"_s << base + 250;
        QTest::newRow("six fraction digits") << u"2025-03-04T10:00:00.123456Z"_s << base + 123;
        QTest::newRow("plus offset") << u"2025-03-04T11:00:00+01:00"_s << base;
        QTest::newRow("minus offset") << u"2025-03-04T04:30:00-05:30"_s << base;
        QTest::newRow("blank instead of T") << u"2025-03-04 10:00:00"_s << qint64(-1);
        QTest::newRow("bare date") << u"2025-03-04"_s << qint64(-1);
        QTest::newRow("no zone") << u"2025-03-04T10:00:00"_s << qint64(-1);
        QTest::newRow("offset without colon") << u"2025-03-04T10:00:00+0100"_s << qint64(-1);
        QTest::newRow("empty fraction") << u"2025-03-04T10:00:00.Z"_s << qint64(-1);
        QTest::newRow("no seconds") << u"2025-03-04T10:00Z"_s << qint64(-1);
        QTest::newRow("month 13") << u"2025-13-04T10:00:00Z"_s << qint64(-1);
        QTest::newRow("30 February") << u"2025-02-30T10:00:00Z"_s << qint64(-1);
        QTest::newRow("trailing text") << u"2025-03-04T10:00:00Zjunk"_s << qint64(-1);
        // The description is then empty too: the path alone says which value is wrong.
        QTest::newRow("empty text") << QString() << qint64(-1);
    }

    void dateRule()
    {
        QFETCH(QString, text);
        QFETCH(qint64, expectedMsecs);
        QJsonObject meeting = sampleMeeting();
        meeting[u"startsAt"_s] = text;
        const FeedDecodeResult r =
            decodeFeed(feedWith(QJsonArray{sampleMeeting(), sampleMeeting(), meeting}));
        if (expectedMsecs < 0) {
            QVERIFY(!r.feed);
            QCOMPARE(r.error.path, u"meetings[2].startsAt"_s);
            QCOMPARE(r.error.description, text); // the raw string, exactly
        } else {
            QVERIFY(r.feed);
            QCOMPARE(r.feed->meetings.at(2).startsAt.toMSecsSinceEpoch(), expectedMsecs);
        }
    }

    void optionalKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("asNull"); // false: the key is removed
        QTest::newRow("joinUrl missing") << u"joinUrl"_s << false;
        QTest::newRow("action null") << u"action"_s << true;
    }

    void optionalKeys()
    {
        QFETCH(QString, key);
        QFETCH(bool, asNull);
        QJsonObject meeting = sampleMeeting();
        if (asNull)
            meeting[key] = QJsonValue::Null;
        else
            meeting.remove(key);
        const FeedDecodeResult r = decodeFeed(feedWith(meeting));
        QVERIFY(r.feed);
        const Meeting &m = r.feed->meetings.at(0);
        QVERIFY(key == u"joinUrl"_s ? !m.joinUrl : !m.action);
    }

    void requiredKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value"); // Undefined: the key is removed
        QTest::addColumn<QString>("path");
        const QJsonValue removed(QJsonValue::Undefined);
        for (const char *key : {"id", "title", "startsAt", "endsAt", "room", "status", "riskLevel",
                                "riskScore", "watched", "people"}) {
            const QString k = QString::fromLatin1(key);
            QTest::newRow(qPrintable(k + u" missing"_s)) << k << removed << u"meetings[0]."_s + k;
        }
        QTest::newRow("title null") << u"title"_s << QJsonValue(QJsonValue::Null) << u"meetings[0].title"_s;
        QTest::newRow("riskScore as text")
            << u"riskScore"_s << QJsonValue(u"3"_s) << u"meetings[0].riskScore"_s;
        QTest::newRow("riskScore fraction")
            << u"riskScore"_s << QJsonValue(2.5) << u"meetings[0].riskScore"_s;
        QTest::newRow("riskScore too large")
            << u"riskScore"_s << QJsonValue(1e19) << u"meetings[0].riskScore"_s;
        QTest::newRow("watched as number") << u"watched"_s << QJsonValue(1) << u"meetings[0].watched"_s;
        QTest::newRow("title as number") << u"title"_s << QJsonValue(7) << u"meetings[0].title"_s;
        QTest::newRow("joinUrl as number") << u"joinUrl"_s << QJsonValue(7) << u"meetings[0].joinUrl"_s;
        QTest::newRow("people as object")
            << u"people"_s << QJsonValue(QJsonObject()) << u"meetings[0].people"_s;
        const QJsonObject ada{
            {u"name"_s, u"Ada"_s}, {u"email"_s, u"ada@x.example"_s}, {u"rsvp"_s, u"accepted"_s}};
        for (const char *key : {"name", "email", "rsvp"}) {
            QJsonObject person = ada;
            person.remove(QString::fromLatin1(key));
            QTest::newRow(qPrintable(u"second person without "_s + QString::fromLatin1(key)))
                << u"people"_s << QJsonValue(QJsonArray{ada, person})
                << u"meetings[0].people[1]."_s + QString::fromLatin1(key);
        }
        QTest::newRow("person not an object")
            << u"people"_s << QJsonValue(QJsonArray{u"Ada"_s}) << u"meetings[0].people[0]"_s;
    }

    void requiredKeys()
    {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QFETCH(QString, path);
        QJsonObject meeting = sampleMeeting();
        if (value.isUndefined())
            meeting.remove(key);
        else
            meeting[key] = value;
        // One bad meeting fails the whole feed, however many good ones come with it.
        const FeedDecodeResult r = decodeFeed(feedWith(QJsonArray{meeting, sampleMeeting()}));
        QVERIFY(!r.feed);
        QCOMPARE(r.error.path, path);
    }

    void integralRiskScores()
    {
        QJsonObject meeting = sampleMeeting();
        meeting[u"riskScore"_s] = 4.0;
        auto r = decodeFeed(feedWith(meeting));
        QVERIFY(r.feed);
        QCOMPARE(r.feed->meetings.at(0).riskScore, 4);
        r = decodeFeed(R"({"meetings":[)" +
                       QJsonDocument(sampleMeeting())
                           .toJson(QJsonDocument::Compact)
                           .replace("\"riskScore\":3", "\"riskScore\":9223372036854775807") +
                       "]}");
        QVERIFY(r.feed);
        QCOMPARE(r.feed->meetings.at(0).riskScore, std::numeric_limits<qint64>::max());
    }

    // Numbers are read the same way under every locale: a fraction never passes as an integer, also
    // where the decimal separator is a comma.
    void numbersIgnoreTheLocale()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto restore = qScopeGuard([&] { QLocale::setDefault(previous); });
        QByteArray body = feedWith(sampleMeeting());
        QVERIFY(body.contains("\"riskScore\":3"));
        QCOMPARE(decodeFeed(body).feed->meetings.at(0).riskScore, 3);
        const FeedDecodeResult r = decodeFeed(body.replace("\"riskScore\":3", "\"riskScore\":3.5"));
        QVERIFY(!r.feed);
        QCOMPARE(r.error.path, u"meetings[0].riskScore"_s);
        QCOMPARE(r.error.description, u"Number 3.5 is not a 64-bit integer."_s);
    }

    void topLevelShapes()
    {
        const FeedDecodeResult emptyList = decodeFeed(R"({"meetings": []})");
        QVERIFY(emptyList.feed);
        QVERIFY(emptyList.feed->meetings.isEmpty());

        const FeedDecodeResult emptyObject = decodeFeed("{}");
        QVERIFY(!emptyObject.feed);
        QCOMPARE(emptyObject.error.path, u"meetings"_s);

        QVERIFY(!decodeFeed("[]").feed);
        QVERIFY(!decodeFeed("<html>Bad gateway</html>").feed);
        QVERIFY(!decodeFeed("").feed);
        QVERIFY(!decodeFeed(R"({"meetings": {}})").feed);
        QVERIFY(!decodeFeed(R"({"meetings": [1]})").feed);
    }
};

QTEST_GUILESS_MAIN(TestFeedDecoder)
#include "tst_feeddecoder.moc"
