#include "demo/demoservice.h"
#include "model/feeddecoder.h"
#include "model/qadraft.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {

const QTimeZone berlin("Europe/Berlin");
const QByteArray bearer = QByteArray("Bearer ") + DemoService::kToken;

/// Tuesday 4 March 2025, 11:07 in Berlin; tests move it along.
struct World
{
    QDateTime now = QDateTime(QDate(2025, 3, 4), QTime(11, 7), berlin);
    DemoService service{u"http://127.0.0.1:9"_s, [this] { return now; }, u"0.2.0"_s};

    DemoReply call(const char *method, const QString &path, const QByteArray &body = {},
                   const QString &query = {}, const QByteArray &auth = bearer)
    {
        return service.handle({method, path, QUrlQuery(query), auth, body});
    }
    QJsonObject post(const QString &path, const QJsonObject &body)
    {
        return QJsonDocument::fromJson(call("POST", path, QJsonDocument(body).toJson()).body).object();
    }
    QList<Meeting> feed(const QString &query = {})
    {
        const DemoReply reply = call("GET", u"/api/today"_s, {}, query);
        const FeedDecodeResult decoded = decodeFeed(reply.body);
        if (!decoded.feed)
            qWarning() << "feed does not decode:" << decoded.error.path << decoded.error.description;
        return decoded.feed ? decoded.feed->meetings : QList<Meeting>{};
    }
};

} // namespace

/// The demo service's exchanges, decoded with the app's own decoders.
class TestDemoService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyApiPathNeedsTheToken();
    void todayShowsEveryKindOfMeeting();
    void otherDaysAndWeekends();
    void outcomesAndDrafts();
    void quickAddDraftsAndCreates();
    void availabilityAndPeople();
    void signInPageCarriesTheState();
};

void TestDemoService::everyApiPathNeedsTheToken()
{
    World w;
    const QList<QPair<const char *, QString>> paths = {{"GET", u"/api/today"_s},
                                                       {"GET", u"/api/app/people"_s},
                                                       {"POST", u"/api/app/quick-add"_s},
                                                       {"POST", u"/api/app/quick-add/create"_s},
                                                       {"POST", u"/api/app/availability"_s},
                                                       {"POST", u"/api/app/meetings/m-20250304-1/vesk"_s},
                                                       {"GET", u"/api/unknown"_s}};
    for (const auto &[method, path] : paths) {
        QCOMPARE(w.call(method, path, "{}", {}, {}).status, 401);
        QCOMPARE(w.call(method, path, "{}", {}, "Bearer vesk_wrong").status, 401);
        QCOMPARE(w.call(method, path, "{}", {}, DemoService::kToken).status, 401); // no "Bearer "
    }
    QCOMPARE(w.call("GET", u"/api/today"_s).status, 200);
    // The release file and the pages need no token.
    const DemoReply version = w.call("GET", u"/download/version.json"_s, {}, {}, {});
    QCOMPARE(version.status, 200);
    QCOMPARE(QJsonDocument::fromJson(version.body)[u"version"_s].toString(), u"0.2.0"_s);
    QCOMPARE(w.call("GET", u"/settings"_s, {}, {}, {}).status, 200);
    QVERIFY(w.call("GET", u"/settings"_s, {}, {}, {}).body.contains(DemoService::kToken));
}

void TestDemoService::todayShowsEveryKindOfMeeting()
{
    World w;
    const QList<Meeting> feed = w.feed();
    QSet<QString> statuses;
    int live = 0, soon = 0;
    for (const Meeting &m : feed) {
        if (m.startsAt.toTimeZone(berlin).date() != w.now.date())
            continue;
        statuses << m.status;
        QCOMPARE(m.hasJoinUrl(), m.room != u"none");
        live += m.startsAt <= w.now && w.now < m.endsAt;
        soon += m.startsAt > w.now && m.startsAt <= w.now.addSecs(3600);
    }
    QCOMPARE(statuses, (QSet<QString>{u"unconfirmed"_s, u"confirmed"_s, u"at_risk"_s, u"vesk"_s, u"rescued"_s,
                                      u"no_show"_s}));
    QCOMPARE(live, 1);
    QCOMPARE(soon, 1);
    // Feed order is start order, so the app's "next" is the live meeting.
    for (qsizetype i = 1; i < feed.size(); ++i)
        QVERIFY(feed.at(i - 1).startsAt <= feed.at(i).startsAt);
}

void TestDemoService::otherDaysAndWeekends()
{
    World w;
    QCOMPARE(w.feed(u"date=2025-03-08"_s).size() + w.feed(u"date=2025-03-09"_s).size(), 0); // the weekend
    const QList<Meeting> friday = w.feed(u"date=2025-03-07"_s);
    QVERIFY(!friday.isEmpty());
    QCOMPARE(friday.first().startsAt.toTimeZone(berlin).date(), QDate(2025, 3, 7));
    QCOMPARE(w.feed(u"date=2025-03-07"_s), friday);       // the same day every time
    for (const Meeting &m : w.feed(u"date=2025-03-03"_s)) // the past is settled
        QVERIFY(m.status == u"vesk" || m.status == u"no_show");
    QCOMPARE(w.call("GET", u"/api/today"_s, {}, u"date=4.3.2025"_s).status, 400);
}

void TestDemoService::outcomesAndDrafts()
{
    World w;
    const QList<Meeting> before = w.feed();
    auto find = [&](const QString &status) {
        for (const Meeting &m : before) {
            if (m.status == status && m.endsAt <= w.now)
                return m;
        }
        return Meeting();
    };
    const Meeting ended = find(u"unconfirmed"_s);
    QVERIFY(!ended.id.isEmpty());
    const QString base = u"/api/app/meetings/"_s + ended.id;
    QCOMPARE(w.post(base + u"/no_show"_s, {})[u"ok"_s].toBool(), true);
    bool seen = false;
    for (const Meeting &m : w.feed())
        seen |= m.id == ended.id && m.status == u"no_show"_s;
    QVERIFY(seen);

    const QJsonObject draft = w.post(u"/api/app/meetings/"_s + find(u"rescued"_s).id + u"/draft"_s, {});
    QVERIFY(draft[u"body"_s].toString().startsWith(u"Hi Ivo, Hana and Kofi,"_s));

    // Three open times, none overlapping the calendar, in working hours.
    const QJsonObject proposal = w.post(base + u"/propose"_s, {});
    static const QRegularExpression line(u"• (\\w+ \\d+ \\w+), (\\d\\d:\\d\\d)"_s);
    QList<QDateTime> offered;
    for (auto it = line.globalMatch(proposal[u"body"_s].toString()); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QDate date = QDate::fromString(m.captured(1) + u" 2025"_s, u"dddd d MMMM yyyy"_s);
        offered << QDateTime(date, QTime::fromString(m.captured(2), u"HH:mm"_s), berlin);
    }
    QCOMPARE(offered.size(), 3);
    const qint64 length = ended.startsAt.secsTo(ended.endsAt);
    for (const QDateTime &start : std::as_const(offered)) {
        QVERIFY(start > w.now && start.date().dayOfWeek() <= 5);
        QVERIFY(start.time() >= QTime(9, 0) && start.addSecs(length).time() <= QTime(17, 0));
        for (const Meeting &m : w.feed(u"date="_s + start.date().toString(Qt::ISODate)))
            QVERIFY2(!(m.startsAt < start.addSecs(length) && start < m.endsAt), qPrintable(m.title));
    }
    QCOMPARE(w.call("POST", u"/api/app/meetings/nope/draft"_s, "{}").status, 404);
}

void TestDemoService::quickAddDraftsAndCreates()
{
    World w;
    const QJsonObject reply =
        w.post(u"/api/app/quick-add"_s, {{u"text"_s, u"Coffee with Nils tomorrow at 3"_s}});
    const std::optional<QADraft> draft = QADraft::fromJson(reply);
    QVERIFY(draft);
    QCOMPARE(draft->title, u"Coffee with Nils"_s);
    QCOMPARE(draft->when.value_or(QString()), u"Tomorrow 15:00"_s);
    QCOMPARE(draft->people.size(), 1);
    QCOMPARE(draft->people.first().email.value_or(QString()), u"nils@northwind.example"_s);

    const std::optional<QADraft> ambiguous =
        QADraft::fromJson(w.post(u"/api/app/quick-add"_s, {{u"text"_s, u"call with sam"_s}}));
    QVERIFY(ambiguous && !ambiguous->start && ambiguous->people.first().candidates.size() == 2);
    QVERIFY(!ambiguous->people.first().email);
    QVERIFY(
        QADraft::fromJson(w.post(u"/api/app/quick-add"_s, {{u"text"_s, u"tea with Quentin today at 4"_s}}))
            ->people.first()
            .candidates.isEmpty());
    QVERIFY(w.post(u"/api/app/quick-add"_s, {{u"text"_s, u"???"_s}})[u"error"_s].isString());

    // An overlap with the calendar is named.
    const Meeting first = w.feed().first();
    const QString sentence =
        u"Check-in with Maya today at "_s + first.startsAt.toTimeZone(berlin).toString(u"h:mmap"_s);
    const QStringList conflicts =
        QADraft::fromJson(w.post(u"/api/app/quick-add"_s, {{u"text"_s, sentence}}))->conflicts;
    QCOMPARE(conflicts.size(), 1);
    QVERIFY(conflicts.first().startsWith(first.title));

    const QJsonObject created =
        w.post(u"/api/app/quick-add/create"_s,
               {{u"title"_s, draft->title},
                {u"start"_s, *draft->start},
                {u"durationMin"_s, 45},
                {u"emails"_s, QJsonArray{u"nils@northwind.example"_s, u"new@x.example"_s}},
                {u"conference"_s, u"zoom"_s},
                {u"location"_s, u""_s}});
    QCOMPARE(created[u"ok"_s].toBool(), true);
    bool found = false;
    for (const Meeting &m : w.feed(u"date=2025-03-05"_s)) {
        if (m.title != draft->title)
            continue;
        found = true;
        QCOMPARE(m.startsAt, QDateTime(QDate(2025, 3, 5), QTime(15, 0), berlin));
        QCOMPARE(m.endsAt, m.startsAt.addSecs(45 * 60));
        QCOMPARE(m.people.size(), 2);
        QVERIFY(m.hasJoinUrl());
    }
    QVERIFY(found);
    for (const QJsonObject &bad :
         {QJsonObject{{u"title"_s, u"x"_s}, {u"durationMin"_s, 30}},
          QJsonObject{{u"title"_s, u"x"_s}, {u"start"_s, *draft->start}, {u"durationMin"_s, u"30"_s}}})
        QVERIFY(w.post(u"/api/app/quick-add/create"_s, bad)[u"error"_s].isString());
}

void TestDemoService::availabilityAndPeople()
{
    World w;
    const QJsonObject times =
        w.post(u"/api/app/availability"_s,
               {{u"durationMin"_s, 30}, {u"name"_s, u"Maya Lind"_s}, {u"email"_s, u"m@x.io"_s}});
    QVERIFY(times[u"text"_s].toString().startsWith(u"Hi Maya,"_s));
    QVERIFY(times[u"html"_s].toString().contains(u"<li>"_s));
    QVERIFY(w.post(u"/api/app/availability"_s, {{u"durationMin"_s, 0}})[u"error"_s].isString());
    auto people = [&](const QString &query) {
        return QJsonDocument::fromJson(w.call("GET", u"/api/app/people"_s, {}, query).body)[u"people"_s]
            .toArray();
    };
    QCOMPARE(people(u"q=kestrel"_s).size(), 4); // by company
    QCOMPARE(people(u"q=maya.lind%40"_s).size(), 1);
}

void TestDemoService::signInPageCarriesTheState()
{
    World w;
    const DemoReply page = w.call("GET", u"/mac/connect"_s, {}, u"state=0A1B2C"_s, {});
    QCOMPARE(page.status, 200);
    QVERIFY(page.body.contains(QByteArray(QByteArray("href=\"vesk://connect?token=") + DemoService::kToken +
                                          "&amp;state=0A1B2C\"")));
    // A state that could break out of the link gets no link at all.
    const DemoReply bad = w.call("GET", u"/mac/connect"_s, {}, u"state=%22%3E%3Cscript%3E"_s, {});
    QCOMPARE(bad.status, 400);
    QVERIFY(!bad.body.contains("vesk://") && !bad.body.contains("<script>"));
}

QTEST_GUILESS_MAIN(TestDemoService)
#include "tst_demoservice.moc"
