#include "model/feeddecoder.h"
#include "model/qadraft.h"
#include "support/scriptedserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {

// The first meeting of the sample feed.
QJsonObject sampleMeeting()
{
    return QJsonDocument::fromJson(fixture(u"feed_sample.json"_s))[u"meetings"_s][0].toObject();
}

// One meeting of the sample's shape with `key` set to `value` (removed when undefined), before two
// good ones.
FeedDecodeResult decodeWith(const QString &key, const QJsonValue &value)
{
    QJsonObject meeting = sampleMeeting();
    if (value.isUndefined())
        meeting.remove(key);
    else
        meeting[key] = value;
    const QJsonArray meetings{sampleMeeting(), sampleMeeting(), meeting};
    return decodeFeed(QJsonDocument(QJsonObject{{u"meetings"_s, meetings}}).toJson(QJsonDocument::Compact));
}

} // namespace

/// The decoders of the service's replies: the day's feed and a quick-add draft.
class TestDecoders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesFixture()
    {
        const FeedDecodeResult r = decodeFeed(fixture(u"feed_sample.json"_s));
        QVERIFY(r.feed);
        const Meeting &first = r.feed->meetings.at(0);
        QCOMPARE((QStringList{first.title, first.room, first.status, first.riskLevel}),
                 (QStringList{u"Intro with Acme"_s, u"zoom"_s, u"confirmed"_s, u"low"_s}));
        QCOMPARE(first.action, std::optional<QString>(u"Send the agenda"_s));
        const Person &nils = first.people.at(1);
        QCOMPARE((QStringList{nils.name, nils.email, nils.rsvp}),
                 (QStringList{u"Nils Holm"_s, u"nils@acme.example"_s, u"declined"_s}));
        QCOMPARE(first.startsAt.msecsTo(first.endsAt), 30 * 60 * 1000 + 250);
        const Meeting &second = r.feed->meetings.at(1);
        QVERIFY(first.watched && !second.watched && !second.joinUrl && !second.action);
        QCOMPARE(second.status, u"Confirmed"_s); // unknown codes pass through unchanged
        QCOMPARE(second.riskScore, std::numeric_limits<qint64>::min());
    }

    void dateRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expectedMsecs"); // -1: must fail
        const qint64 base = QDateTime(QDate(2025, 3, 4), QTime(10, 0), QTimeZone::utc()).toMSecsSinceEpoch();
        QTest::newRow("Z") << u"2025-03-04T10:00:00Z"_s << base;
        QTest::newRow("six fraction digits") << u"2025-03-04T10:00:00.123456Z"_s << base + 123;
        QTest::newRow("plus offset") << u"2025-03-04T11:00:00+01:00"_s << base;
        QTest::newRow("minus offset") << u"2025-03-04T04:30:00-05:30"_s << base;
        for (const QString &bad :
             {u"2025-03-04 10:00:00Z"_s, u"2025-03-04T10:00:00"_s, u"2025-03-04T10:00:00+0100"_s,
              u"2025-03-04T10:00:00.Z"_s, u"2025-03-04T10:00Z"_s, u"2025-02-30T10:00:00Z"_s,
              u"2025-03-04T10:00:00Zjunk"_s})
            QTest::newRow(qPrintable(bad)) << bad << qint64(-1);
        // The description is then empty too: the path alone says which value is wrong.
        QTest::newRow("empty text") << QString() << qint64(-1);
    }

    void dateRule()
    {
        QFETCH(QString, text);
        QFETCH(qint64, expectedMsecs);
        const FeedDecodeResult r = decodeWith(u"startsAt"_s, text);
        if (expectedMsecs < 0) {
            QVERIFY(!r.feed);
            QCOMPARE(r.error.path, u"meetings[2].startsAt"_s);
            QCOMPARE(r.error.description, text); // the raw string, exactly
        } else {
            QVERIFY(r.feed);
            QCOMPARE(r.feed->meetings.at(2).startsAt.toMSecsSinceEpoch(), expectedMsecs);
        }
    }

    void keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value"); // undefined: the key is removed
        QTest::addColumn<QString>("path");     // within the meeting; empty: the feed decodes
        const QJsonValue removed(QJsonValue::Undefined);
        for (const char *key : {"id", "title", "startsAt", "endsAt", "room", "status", "riskLevel",
                                "riskScore", "watched", "people"})
            QTest::newRow(key) << QString::fromLatin1(key) << removed << QString::fromLatin1(key);
        QTest::newRow("riskScore as text") << u"riskScore"_s << QJsonValue(u"3"_s) << u"riskScore"_s;
        QTest::newRow("riskScore fraction") << u"riskScore"_s << QJsonValue(2.5) << u"riskScore"_s;
        QTest::newRow("riskScore too large") << u"riskScore"_s << QJsonValue(1e19) << u"riskScore"_s;
        QTest::newRow("joinUrl as number") << u"joinUrl"_s << QJsonValue(7) << u"joinUrl"_s;
        QTest::newRow("people as object") << u"people"_s << QJsonValue(QJsonObject()) << u"people"_s;
        const QJsonObject ada = sampleMeeting().value(u"people"_s).toArray().at(0).toObject();
        for (const QString &key : {u"name"_s, u"email"_s, u"rsvp"_s}) {
            QJsonObject person = ada;
            person.remove(key);
            QTest::newRow(qPrintable(u"second person without "_s + key))
                << u"people"_s << QJsonValue(QJsonArray{ada, person}) << u"people[1]."_s + key;
        }
        QTest::newRow("person not an object")
            << u"people"_s << QJsonValue(QJsonArray{u"Ada"_s}) << u"people[0]"_s;
        QTest::newRow("joinUrl missing") << u"joinUrl"_s << removed << QString();
        QTest::newRow("action null") << u"action"_s << QJsonValue(QJsonValue::Null) << QString();
        QTest::newRow("riskScore 4.0") << u"riskScore"_s << QJsonValue(4.0) << QString();
    }

    // One bad meeting fails the whole feed, however many good ones come with it.
    void keys()
    {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QFETCH(QString, path);
        const FeedDecodeResult r = decodeWith(key, value);
        QCOMPARE(r.feed.has_value(), path.isEmpty());
        QCOMPARE(r.error.path, path.isEmpty() ? QString() : u"meetings[2]."_s + path);
        if (!r.feed)
            return;
        const Meeting &m = r.feed->meetings.at(2);
        QCOMPARE(m.joinUrl.has_value(), key != u"joinUrl"_s);
        QCOMPARE(m.action.has_value(), key != u"action"_s);
        QCOMPARE(m.riskScore, key == u"riskScore"_s ? 4 : 12);
    }

    void quickAddDraft_data()
    {
        QTest::addColumn<QString>("from"); // a text of the fixture, replaced by the next column
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("as it comes") << u"\"extra\""_s << u"\"more\""_s << true;
        QTest::newRow("no start") << u"\"start\""_s << u"\"begin\""_s << true;
        QTest::newRow("null when") << u"\"Wed 5 Mar, 15:00\""_s << u"null"_s << true;
        QTest::newRow("no hasZoom") << u"\"hasZoom\""_s << u"\"zoom\""_s << false;
        QTest::newRow("durationMin too large")
            << u"\"durationMin\": 30"_s << u"\"durationMin\": 1e12"_s << false;
        QTest::newRow("conflict as number") << u"\"Standup 15:00–15:15\""_s << u"1"_s << false;
        QTest::newRow("person without query") << u"\"query\": \"Ada\""_s << u"\"q\": \"Ada\""_s << false;
        QTest::newRow("candidate without company") << u"\"company\": \"\""_s << u"\"c\": \"\""_s << false;
    }

    void quickAddDraft()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, decodes);
        const QByteArray text = fixture(u"qa_draft.json"_s).replace(from.toUtf8(), to.toUtf8());
        QVERIFY(text.contains(to.toUtf8()));
        const std::optional<QADraft> draft = QADraft::fromJson(QJsonDocument::fromJson(text).object());
        QCOMPARE(draft.has_value(), decodes);
        if (!draft)
            return;
        QCOMPARE(draft->start.has_value(), to != u"\"begin\"");
        QCOMPARE(draft->when.has_value(), to != u"null");
        QCOMPARE(draft->location, std::optional<QString>(u"Café Central"_s));
        QCOMPARE(draft->conflicts, QStringList{u"Standup 15:00–15:15"_s});
        const QAPerson &nils = draft->people.at(0);
        QCOMPARE(nils.email, std::optional<QString>(u"nils@acme.example"_s));
        QCOMPARE(nils.candidates.at(1).name, std::nullopt); // null reads as absent
        QVERIFY(!draft->people.at(1).name && !draft->people.at(1).email);
    }
};

QTEST_GUILESS_MAIN(TestDecoders)
#include "tst_decoders.moc"
