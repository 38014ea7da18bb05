#include "platform/qnamhttp.h"
#include "service/tokenstore.h"
#include "service/veskapi.h"
#include "support/scriptedserver.h"
#include "support/testenv.h"

#include <QCoro/QCoroTask>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using Outcome = VeskApi::FeedOutcome;

namespace {

QJsonObject jsonOf(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}

QADraft twoPeopleDraft()
{
    QADraft draft;
    draft.title = u"Coffee"_s;
    draft.start = u"2025-03-05T15:00:00+01:00"_s;
    draft.durationMin = 30;
    draft.conference = u"meet"_s;
    QAPerson withAddress;
    withAddress.email = u"nils@acme.example"_s;
    draft.people = {withAddress, QAPerson()};
    return draft;
}

// `bytes` in the gzip format.
// A valid empty feed carrying `padding` bytes of filler.
QByteArray paddedFeed(qint64 padding)
{
    return "{\"padding\":\"" + QByteArray(padding, 'x') + "\",\"meetings\":[]}";
}

QByteArray gzip(const QByteArray &bytes)
{
    QProcess process;
    process.start(u"gzip"_s, {u"-c"_s});
    process.write(bytes);
    process.closeWriteChannel();
    process.waitForFinished();
    return process.readAllStandardOutput();
}

// A valid feed of `count` copies of the sample's first meeting.
QByteArray feedOf(qsizetype count)
{
    const QJsonObject sample = QJsonDocument::fromJson(fixture(u"feed_sample.json"_s))
                                   .object()
                                   .value(u"meetings"_s)
                                   .toArray()
                                   .at(0)
                                   .toObject();
    QJsonArray meetings;
    for (qsizetype i = 0; i < count; ++i) {
        QJsonObject meeting = sample;
        meeting.insert(u"id"_s, QString::number(i));
        meetings.append(meeting);
    }
    return QJsonDocument(QJsonObject{{u"meetings"_s, meetings}}).toJson(QJsonDocument::Compact);
}

} // namespace

class TestVeskApi : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempXdg> m_xdg;
    TokenStore m_tokens;
    std::unique_ptr<ScriptedServer> m_server;
    std::unique_ptr<QnamHttp> m_http;
    std::unique_ptr<VeskApi> m_api;

    /// Runs one call of every kind of exchange, in the order of `exchanges_data`.
    void runExchange(const QString &name)
    {
        VeskApi &api = *m_api;
        const QHash<QString, std::function<void()>> calls{
            {u"today"_s, [&] { QCoro::waitFor(api.fetch(std::nullopt)); }},
            {u"day"_s, [&] { QCoro::waitFor(api.fetch(QDate(2025, 3, 4))); }},
            {u"mark"_s, [&] { QCoro::waitFor(api.post(u"a b"_s, u"vesk"_s)); }},
            {u"availability"_s, [&] { QCoro::waitFor(api.availability(45, u"Ada"_s, QString())); }},
            {u"quick add"_s, [&] { QCoro::waitFor(api.quickAdd(u"Coffee at 3"_s)); }},
            {u"create"_s, [&] { QCoro::waitFor(api.createEvent(twoPeopleDraft())); }},
            {u"people"_s, [&] { QCoro::waitFor(api.searchPeople(u"a b+c&é"_s)); }},
            {u"version"_s, [&] { QCoro::waitFor(api.latestVersion()); }},
        };
        calls.value(name)();
    }

private Q_SLOTS:
    void init()
    {
        m_xdg = std::make_unique<TempXdg>();
        m_tokens.save(u"vesk_test"_s);
        m_server = std::make_unique<ScriptedServer>();
        m_http = std::make_unique<QnamHttp>();
        m_api = std::make_unique<VeskApi>(*m_http, m_server->url(), m_tokens);
    }

    void cleanup()
    {
        m_http->abortAll();
        QCoreApplication::processEvents();
        m_api.reset();
        m_http.reset();
        m_server.reset();
        m_xdg.reset();
    }

    void exchanges_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("body"); // empty: no body; JSON compared as objects
        QTest::newRow("today") << u"today"_s << "GET"_ba
                               << "/api/today"_ba << QByteArray() << QByteArray();
        QTest::newRow("day") << u"day"_s << "GET"_ba
                             << "/api/today"_ba
                             << "date=2025-03-04"_ba << QByteArray();
        QTest::newRow("mark") << u"mark"_s << "POST"_ba
                              << "/api/app/meetings/a%20b/vesk"_ba << QByteArray() << "{}"_ba;
        QTest::newRow("availability")
            << u"availability"_s << "POST"_ba
            << "/api/app/availability"_ba << QByteArray() << R"({"durationMin":45,"name":"Ada"})"_ba;
        QTest::newRow("quick add") << u"quick add"_s << "POST"_ba
                                   << "/api/app/quick-add"_ba << QByteArray()
                                   << R"({"text":"Coffee at 3"})"_ba;
        QTest::newRow("create")
            << u"create"_s << "POST"_ba
            << "/api/app/quick-add/create"_ba << QByteArray()
            << R"({"title":"Coffee","start":"2025-03-05T15:00:00+01:00","durationMin":30,)"
               R"("emails":["nils@acme.example"],"conference":"meet","location":""})"_ba;
        QTest::newRow("people") << u"people"_s << "GET"_ba
                                << "/api/app/people"_ba
                                << "q=a%20b%2Bc%26%C3%A9"_ba << QByteArray();
        QTest::newRow("version") << u"version"_s << "GET"_ba
                                 << "/download/version.json"_ba << QByteArray() << QByteArray();
    }

    // Each exchange is one call: method, path, query and body as the service expects them; the
    // token on every request but the release file; a content type only where a body goes along.
    void exchanges()
    {
        QFETCH(QString, call);
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, query);
        QFETCH(QByteArray, body);
        runExchange(call);
        QCOMPARE(m_server->requests().size(), 1);
        const RecordedRequest &r = m_server->requests().at(0);
        QCOMPARE(r.method, method);
        QCOMPARE(r.path, path);
        QCOMPARE(r.rawQuery, query);
        if (body.startsWith('{'))
            QCOMPARE(jsonOf(r.body), jsonOf(body));
        QCOMPARE(r.body.isEmpty(), body.isEmpty());
        QVERIFY(!r.body.contains('\n')); // compact
        QCOMPARE(r.header("Content-Type"), body.isEmpty() ? QByteArray() : "application/json"_ba);
        QCOMPARE(r.header("Authorization"), call == u"version"_s ? QByteArray() : "Bearer vesk_test"_ba);
    }

    // Without a token nothing authorised is sent; the release file needs none.
    void noTokenSendsNothing()
    {
        m_tokens.save(std::nullopt);
        QVERIFY(!m_api->hasToken());
        for (const QString &call :
             {u"today"_s, u"mark"_s, u"availability"_s, u"quick add"_s, u"create"_s, u"people"_s})
            runExchange(call);
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::NoToken);
        QVERIFY(!QCoro::waitFor(m_api->quickAdd(u"x"_s)).delivered);
        QVERIFY(!QCoro::waitFor(m_api->searchPeople(u"x"_s)));
        QCoreApplication::processEvents();
        QVERIFY(m_server->requests().isEmpty());
    }

    // An id of one or two dots would be folded into another address ("meetings/../draft"), and the
    // URL layer cannot carry them encoded: such a request is not sent and counts as failed.
    void dotIdsNeverReachAnotherPath()
    {
        m_server->on("POST", "/api/app/draft").reply(200, R"({"ok":true})");
        m_server->on("POST", "/api/app/meetings/draft").reply(200, R"({"ok":true})");
        m_server->on("POST", "/api/app/meetings/.../draft").reply(200, R"({"ok":true})");
        QVERIFY(!QCoro::waitFor(m_api->post(u"."_s, u"draft"_s)));
        QVERIFY(!QCoro::waitFor(m_api->post(u".."_s, u"draft"_s)));
        QVERIFY(!QCoro::waitFor(m_api->post(u"x/.."_s, u"draft"_s)));
        QVERIFY(QCoro::waitFor(m_api->post(u"..."_s, u"draft"_s)));
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().at(0).path, "/api/app/meetings/.../draft"_ba);
    }

    void feedStatuses_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("meetings");
        const QByteArray feed = fixture(u"feed_sample.json"_s);
        QTest::newRow("200 feed") << 200 << feed << Outcome::Loaded << 2;
        QTest::newRow("401 with a valid feed") << 401 << feed << Outcome::TokenRejected << 0;
        QTest::newRow("500 with a valid feed") << 500 << feed << Outcome::Loaded << 2;
        QTest::newRow("500 with HTML") << 500 << QByteArray("<html>oops</html>") << Outcome::Unreachable << 0;
        QTest::newRow("200 empty object") << 200 << QByteArray("{}") << Outcome::Unreachable << 0;
        QTest::newRow("200 empty body") << 200 << QByteArray() << Outcome::Unreachable << 0;
        QTest::newRow("200 invalid UTF-8")
            << 200 << QByteArray(feed).replace("Intro with Acme", "Intro \xff\xfe Acme")
            << Outcome::Unreachable << 0;
        QTest::newRow("200 nested 100000 deep")
            << 200 << "{\"meetings\":" + QByteArray(100000, '[') + QByteArray(100000, ']') + "}"
            << Outcome::Unreachable << 0;
        QTest::newRow("200 at the meeting limit") << 200 << feedOf(VeskApi::kMaxMeetingsPerDay)
                                                  << Outcome::Loaded << int(VeskApi::kMaxMeetingsPerDay);
        QTest::newRow("200 over the meeting limit")
            << 200 << feedOf(VeskApi::kMaxMeetingsPerDay + 1) << Outcome::Unreachable << 0;
    }

    void feedStatuses()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(Outcome, outcome);
        QFETCH(int, meetings);
        m_server->on("GET", "/api/today").reply(status, body);
        const auto result = QCoro::waitFor(m_api->fetch(std::nullopt));
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.meetings.size(), meetings);
    }

    void transferFailures()
    {
        // A connection dropped before any answer is a failed transfer.
        m_server->on("GET", "/api/today").drop();
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Unreachable);
        m_server->on("POST", "/api/app/quick-add").drop();
        QVERIFY(!QCoro::waitFor(m_api->quickAdd(u"x"_s)).delivered);

        // A server that never answers runs into the time-out the caller chose.
        VeskApi::Timeouts shortTimeouts;
        shortTimeouts.people = 300ms;
        VeskApi impatient(*m_http, m_server->url(), m_tokens, shortTimeouts);
        m_server->on("GET", "/api/app/people").never();
        QVERIFY(!QCoro::waitFor(impatient.searchPeople(u"x"_s)));

        // Nobody listening at all.
        VeskApi closed(*m_http, QUrl(u"http://127.0.0.1:1"_s), m_tokens);
        QCOMPARE(QCoro::waitFor(closed.fetch(std::nullopt)).outcome, Outcome::Unreachable);
    }

    void postReachesTheServiceAtMostOnce()
    {
        // The service reads the whole request, then the connection closes without an answer: the
        // press fails and is not sent again.
        const QByteArray create = "/api/app/quick-add/create";
        m_server->on("POST", create).drop();
        QVERIFY(!QCoro::waitFor(m_api->createEvent(QADraft())));
        QCoreApplication::processEvents();
        QCOMPARE(m_server->requestsTo(create).size(), 1);

        // The same after an exchange that left a keep-alive connection open to the service; the
        // POST goes out on a connection of its own.
        m_server->on("GET", "/api/today").keepAlive().reply(200, fixture(u"feed_sample.json"_s));
        m_server->on("POST", "/api/app/meetings/m1/vesk").drop();
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Loaded);
        QVERIFY(!QCoro::waitFor(m_api->post(u"m1"_s, u"vesk"_s)));
        QCoreApplication::processEvents();
        const auto marks = m_server->requestsTo("/api/app/meetings/m1/vesk");
        QCOMPARE(marks.size(), 1);
        QVERIFY(marks.at(0).connection != m_server->requestsTo("/api/today").at(0).connection);

        // The next press is a new request and goes through.
        m_server->on("POST", "/api/app/meetings/m1/vesk").reply(200, R"({"ok":true})");
        QVERIFY(QCoro::waitFor(m_api->post(u"m1"_s, u"vesk"_s)));
        QCOMPARE(m_server->requestsTo("/api/app/meetings/m1/vesk").size(), 2);
        QCOMPARE(m_server->requestsTo("/api/app/meetings/m1/vesk").at(1).body, QByteArray("{}"));
    }

    void tokenNeverLeavesTheOrigin()
    {
        ScriptedServer elsewhere;
        elsewhere.on("GET", "/api/today").reply(200, fixture(u"feed_sample.json"_s));
        elsewhere.on("POST", "/api/app/quick-add/create").reply(200, R"({"ok":true})");
        const QByteArray there = elsewhere.url().toEncoded();
        m_server->on("GET", "/api/today").header("Location", there + "/api/today").reply(302);
        m_server->on("POST", "/api/app/quick-add/create")
            .header("Location", there + "/api/app/quick-add/create")
            .reply(307, R"({"ok":true})");
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Unreachable);
        QVERIFY(!QCoro::waitFor(m_api->createEvent(QADraft())));
        QTest::qWait(50);
        QVERIFY(elsewhere.requests().isEmpty());

        // Within its own origin a GET still follows the redirect, token included.
        m_server->reset();
        m_server->on("GET", "/api/today").header("Location", "/api/today?moved=1").reply(302);
        m_server->on("GET", "/api/today").reply(200, fixture(u"feed_sample.json"_s));
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Loaded);
        QCOMPARE(m_server->requests().size(), 2);
        QCOMPARE(m_server->requests().at(1).rawQuery, QByteArray("moved=1"));
        QCOMPARE(m_server->requests().at(1).header("Authorization"), QByteArray("Bearer vesk_test"));
    }

    void requestWithoutTimeOutGetsTheDefault()
    {
        // The release file names no time-out of its own; a service that never answers still ends it.
        m_http->setDefaultTimeout(300ms);
        m_server->on("GET", "/download/version.json").never();
        std::optional<std::optional<QString>> reply;
        auto check = [&]() -> QCoro::Task<> { reply = co_await m_api->latestVersion(); };
        auto task = check();
        QTRY_VERIFY_WITH_TIMEOUT(reply.has_value(), 5000);
        QVERIFY(!reply->has_value());
    }

    void oversizedBodyIsAFailedTransfer()
    {
        const QByteArray huge = paddedFeed(QnamHttp::kMaxBodyBytes);
        // A feed of more than 8 MiB, valid JSON otherwise, is refused like a broken connection.
        m_server->on("GET", "/api/today").reply(200, huge);
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Unreachable);
        m_server->on("POST", "/api/app/meetings/m1/draft").reply(200, huge);
        QVERIFY(!QCoro::waitFor(m_api->post(u"m1"_s, u"draft"_s)));

        // A small compressed body that unpacks beyond the limit is refused the same way.
        m_server->reset();
        m_server->on("GET", "/api/today")
            .header("Content-Encoding", "gzip")
            .reply(200, gzip(paddedFeed(2 * QnamHttp::kMaxBodyBytes)));
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Unreachable);

        // Just under the limit still arrives.
        const QByteArray fits = paddedFeed(QnamHttp::kMaxBodyBytes - 64);
        m_server->reset();
        m_server->on("GET", "/api/today").reply(200, fits);
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Loaded);
    }

    void jsonReplies_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("yieldsObject");
        QTest::newRow("200 array") << 200 << QByteArray("[1,2]") << false;
        QTest::newRow("200 not JSON") << 200 << QByteArray("ok") << false;
    }

    // The status is not looked at; only an object body counts, and a delivered reply stays
    // delivered when it holds none.
    void jsonReplies()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, yieldsObject);
        m_server->on("POST", "/api/app/meetings/m1/vesk").reply(status, body);
        m_server->on("POST", "/api/app/quick-add").reply(status, body);
        QCOMPARE(QCoro::waitFor(m_api->post(u"m1"_s, u"vesk"_s)).has_value(), yieldsObject);
        const VeskApi::JsonReply reply = QCoro::waitFor(m_api->quickAdd(u"x"_s));
        QVERIFY(reply.delivered);
        QCOMPARE(reply.object.has_value(), yieldsObject);
    }

    void peopleReplies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("emails");
        QTest::newRow("hits in order")
            << fixture(u"avail_people.json"_s)
            << QStringList{u"ada@acme.example"_s, u"ops@acme.example"_s, u"nils@acme.example"_s};
        QTest::newRow("error only") << QByteArray(R"({"error":"Contacts not synced."})") << QStringList();
        QTest::newRow("a hit without company")
            << QByteArray(R"({"people":[{"email":"a@b.io","company":"X"},{"email":"c@d.io"}]})")
            << QStringList();
    }

    // A reply that does not decode as a whole yields no hits.
    void peopleReplies()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, emails);
        m_server->on("GET", "/api/app/people").reply(200, body);
        const std::optional<QList<PersonHit>> hits = QCoro::waitFor(m_api->searchPeople(u"a"_s));
        QVERIFY(hits);
        QStringList got;
        for (const PersonHit &hit : *hits)
            got.append(hit.email);
        QCOMPARE(got, emails);
    }

    void latestVersion_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("version"); // empty: nothing
        QTest::newRow("offered") << 200 << QByteArray(R"({"version":"1.10","notes":"x"})") << u"1.10"_s;
        QTest::newRow("404") << 404 << QByteArray(R"({"version":"5.0"})") << QString();
        QTest::newRow("not JSON") << 200 << QByteArray("<html>5.0</html>") << QString();
    }

    void latestVersion()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, version);
        m_server->on("GET", "/download/version.json").reply(status, body);
        QCOMPARE(QCoro::waitFor(m_api->latestVersion()).value_or(QString()), version);
    }
};

QTEST_GUILESS_MAIN(TestVeskApi)
#include "tst_veskapi.moc"
