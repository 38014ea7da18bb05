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

// A feed of `count` copies of the sample's first meeting.
QByteArray feedOf(qsizetype count)
{
    const QJsonObject sample = jsonOf(fixture(u"feed_sample.json"_s))[u"meetings"_s][0].toObject();
    const QByteArrayList meetings(count, QJsonDocument(sample).toJson(QJsonDocument::Compact));
    return "{\"meetings\":[" + meetings.join(',') + "]}";
}

} // namespace

class TestVeskApi : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempXdg> m_xdg;
    TokenStore m_tokens;
    std::unique_ptr<ScriptedServer> m_server;
    std::unique_ptr<QnamHttp> m_http;
    std::unique_ptr<VeskApi> m_api;

    Outcome feed(VeskApi &api) { return QCoro::waitFor(api.fetch(std::nullopt)).outcome; }
    Outcome feed() { return feed(*m_api); }

    // One call of each kind of exchange, named as in `exchanges_data`.
    void runExchange(const QString &name)
    {
        // Of the draft's two people, one has an address.
        const QADraft draft = *QADraft::fromJson(jsonOf(fixture(u"qa_draft.json"_s)));
        VeskApi &api = *m_api;
        const QHash<QString, std::function<void()>> calls{
            {u"today"_s, [&] { QCoro::waitFor(api.fetch(std::nullopt)); }},
            {u"day"_s, [&] { QCoro::waitFor(api.fetch(QDate(2025, 3, 4))); }},
            {u"mark"_s, [&] { QCoro::waitFor(api.post(u"a b"_s, u"vesk"_s)); }},
            {u"availability"_s, [&] { QCoro::waitFor(api.availability(45, u"Ada"_s, QString())); }},
            {u"quick add"_s, [&] { QCoro::waitFor(api.quickAdd(u"Coffee at 3"_s)); }},
            {u"create"_s, [&] { QCoro::waitFor(api.createEvent(draft)); }},
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
        QTest::addColumn<QByteArray>("request"); // method, path and query as sent
        QTest::addColumn<QByteArray>("body");    // empty: no body; JSON compared as objects
        QTest::newRow("today") << "GET /api/today"_ba << QByteArray();
        QTest::newRow("day") << "GET /api/today?date=2025-03-04"_ba << QByteArray();
        QTest::newRow("mark") << "POST /api/app/meetings/a%20b/vesk"_ba << QByteArray("{}");
        QTest::newRow("availability")
            << "POST /api/app/availability"_ba << QByteArray(R"({"durationMin":45,"name":"Ada"})");
        QTest::newRow("quick add") << "POST /api/app/quick-add"_ba << QByteArray(R"({"text":"Coffee at 3"})");
        QTest::newRow("create")
            << "POST /api/app/quick-add/create"_ba
            << R"({"title":"Coffee with Nils","start":"2025-03-05T15:00:00+01:00","durationMin":30,)"
               R"("emails":["nils@acme.example"],"conference":"meet","location":"Café Central"})"_ba;
        QTest::newRow("people") << "GET /api/app/people?q=a%20b%2Bc%26%C3%A9"_ba << QByteArray();
        QTest::newRow("version") << "GET /download/version.json"_ba << QByteArray();
    }

    // Each exchange is one request as the service expects it: the token on every one but the release
    // file, compact JSON, and a content type only where a body goes along.
    void exchanges()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, body);
        const QString call = QString::fromLatin1(QTest::currentDataTag());
        runExchange(call);
        QCOMPARE(m_server->requests().size(), 1);
        const RecordedRequest &r = m_server->requests().at(0);
        QCOMPARE(r.method + ' ' + r.path + (r.rawQuery.isEmpty() ? ""_ba : '?' + r.rawQuery), request);
        QCOMPARE(jsonOf(r.body), jsonOf(body));
        QCOMPARE(r.body.isEmpty(), body.isEmpty());
        QVERIFY(!r.body.contains('\n'));
        QCOMPARE(r.header("Content-Type"), body.isEmpty() ? ""_ba : "application/json"_ba);
        QCOMPARE(r.header("Authorization"), call == u"version"_s ? ""_ba : "Bearer vesk_test"_ba);

        // Without a token nothing but the release file goes out.
        m_tokens.save(std::nullopt);
        runExchange(call);
        QCoreApplication::processEvents();
        QCOMPARE(m_server->requests().size(), call == u"version"_s ? 2 : 1);
        QCOMPARE(feed(), Outcome::NoToken);
    }

    // An id of one or two dots would be folded into another address ("meetings/../draft"): such a
    // request is not sent and counts as failed.
    void dotIdsNeverReachAnotherPath()
    {
        for (const QByteArray &path :
             {"/api/app/draft"_ba, "/api/app/meetings/draft"_ba, "/api/app/meetings/.../draft"_ba})
            m_server->on("POST", path).reply(200, R"({"ok":true})");
        for (const QString &id : {u"."_s, u".."_s, u"x/.."_s})
            QVERIFY(!QCoro::waitFor(m_api->post(id, u"draft"_s)));
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
        QTest::newRow("500 with HTML") << 500 << "<html>oops</html>"_ba << Outcome::Unreachable << 0;
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

    // Every way an answer fails to arrive is a failed transfer: a dropped connection, nobody
    // listening, a service that never answers (ended by the request's own time-out, or by the
    // client's default one for the release file, which names none), a body over 8 MiB as sent or
    // once unpacked.
    void transferFailures()
    {
        m_server->on("GET", "/api/today").drop();
        QCOMPARE(feed(), Outcome::Unreachable);
        VeskApi closed(*m_http, QUrl(u"http://127.0.0.1:1"_s), m_tokens);
        QCOMPARE(feed(closed), Outcome::Unreachable);

        VeskApi::Timeouts shortTimeouts;
        shortTimeouts.feed = 300ms;
        VeskApi impatient(*m_http, m_server->url(), m_tokens, shortTimeouts);
        m_server->on("GET", "/api/today").never();
        QCOMPARE(feed(impatient), Outcome::Unreachable);
        m_http->setDefaultTimeout(300ms);
        m_server->on("GET", "/download/version.json").never();
        QCOMPARE(QCoro::waitFor(m_api->latestVersion()), std::optional<QString>());

        m_server->reset();
        m_server->on("GET", "/api/today").reply(200, paddedFeed(QnamHttp::kMaxBodyBytes));
        QCOMPARE(feed(), Outcome::Unreachable);
        m_server->on("POST", "/api/app/meetings/m1/draft").reply(200, paddedFeed(QnamHttp::kMaxBodyBytes));
        QVERIFY(!QCoro::waitFor(m_api->post(u"m1"_s, u"draft"_s)));
        m_server->reset();
        m_server->on("GET", "/api/today")
            .header("Content-Encoding", "gzip")
            .reply(200, gzip(paddedFeed(QnamHttp::kMaxBodyBytes + (1 << 20))));
        QCOMPARE(feed(), Outcome::Unreachable);
        m_server->reset();
        m_server->on("GET", "/api/today").reply(200, paddedFeed(QnamHttp::kMaxBodyBytes - 64));
        QCOMPARE(feed(), Outcome::Loaded);
    }

    // The service reads the whole POST, then the connection closes without an answer: the press
    // fails and is not sent again. After an exchange that left a keep-alive connection open, the
    // POST goes out on a connection of its own.
    void postReachesTheServiceAtMostOnce()
    {
        const QByteArray mark = "/api/app/meetings/m1/vesk";
        m_server->on("GET", "/api/today").keepAlive().reply(200, fixture(u"feed_sample.json"_s));
        m_server->on("POST", mark).drop();
        QCOMPARE(feed(), Outcome::Loaded);
        QVERIFY(!QCoro::waitFor(m_api->post(u"m1"_s, u"vesk"_s)));
        QCoreApplication::processEvents();
        QCOMPARE(m_server->requestsTo(mark).size(), 1);
        QVERIFY(m_server->requestsTo(mark).at(0).connection !=
                m_server->requestsTo("/api/today").at(0).connection);

        // The next press is a new request and goes through.
        m_server->on("POST", mark).reply(200, R"({"ok":true})");
        QVERIFY(QCoro::waitFor(m_api->post(u"m1"_s, u"vesk"_s)));
        QCOMPARE(m_server->requestsTo(mark).size(), 2);
        QCOMPARE(m_server->requestsTo(mark).at(1).body, "{}"_ba);
    }

    // A redirect to another origin is never followed, on a GET or a POST; within the origin a GET
    // follows it, token included.
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
        QCOMPARE(feed(), Outcome::Unreachable);
        QVERIFY(!QCoro::waitFor(m_api->createEvent(QADraft())));
        QTest::qWait(50);
        QVERIFY(elsewhere.requests().isEmpty());

        m_server->reset();
        m_server->on("GET", "/api/today").header("Location", "/api/today?moved=1").reply(302);
        m_server->on("GET", "/api/today").reply(200, fixture(u"feed_sample.json"_s));
        QCOMPARE(feed(), Outcome::Loaded);
        QCOMPARE(m_server->requests().size(), 2);
        QCOMPARE(m_server->requests().at(1).rawQuery, "moved=1"_ba);
        QCOMPARE(m_server->requests().at(1).header("Authorization"), "Bearer vesk_test"_ba);
    }
};

QTEST_GUILESS_MAIN(TestVeskApi)
#include "tst_veskapi.moc"
