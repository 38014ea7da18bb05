#include "platform/qnamhttp.h"
#include "service/messages.h"
#include "service/tokenstore.h"
#include "service/veskapi.h"
#include "support/scriptedserver.h"
#include "support/testenv.h"

#include <QCoro/QCoroTask>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using Outcome = VeskApi::FeedOutcome;

namespace {

// A valid empty feed carrying `padding` bytes of filler.
QByteArray paddedFeed(qint64 padding)
{
    return "{\"padding\":\"" + QByteArray(padding, 'x') + "\",\"meetings\":[]}";
}

// `bytes` in the gzip format.
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

    void noTokenSendsNothing()
    {
        m_tokens.save(std::nullopt);
        m_server->on("GET", "/api/today").reply(200, fixture(u"feed_sample.json"_s));
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::NoToken);
        QVERIFY(!QCoro::waitFor(m_api->post(u"m1"_s, u"vesk"_s)));
        QVERIFY(!QCoro::waitFor(m_api->postJSON(u"api/app/availability"_s, QJsonObject{})));
        QCoreApplication::processEvents();
        QVERIFY(m_server->requests().isEmpty());
    }

    void feedRequestConvention()
    {
        m_server->on("GET", "/api/today").reply(200, fixture(u"feed_sample.json"_s));
        const auto result = QCoro::waitFor(m_api->fetch(u"date=2025-03-04"_s));
        QCOMPARE(result.outcome, Outcome::Loaded);
        QCOMPARE(result.meetings.size(), 2);
        QCOMPARE(result.meetings.at(1).id, u"m 2"_s); // service order kept
        QCOMPARE(m_server->requests().size(), 1);
        const RecordedRequest &r = m_server->requests().at(0);
        QCOMPARE(r.method, QByteArray("GET"));
        QCOMPARE(r.path, QByteArray("/api/today"));
        QCOMPARE(r.rawQuery, QByteArray("date=2025-03-04"));
        QCOMPARE(r.header("Authorization"), QByteArray("Bearer vesk_test"));
        QVERIFY(!r.hasHeader("Content-Type"));

        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Loaded);
        QCOMPARE(m_server->requests().at(1).rawQuery, QByteArray());
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
        QTest::newRow("404 with a valid feed") << 404 << feed << Outcome::Loaded << 2;
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
        m_server->on("POST", "/api/app/meetings/m1/vesk").drop();
        QVERIFY(!QCoro::waitFor(m_api->post(u"m1"_s, u"vesk"_s)));

        // A server that never answers runs into the time-out.
        VeskApi::Timeouts shortTimeouts;
        shortTimeouts.feed = 300ms;
        shortTimeouts.postJson = 300ms;
        m_api->setTimeouts(shortTimeouts);
        m_server->reset();
        m_server->on("GET", "/api/today").never();
        m_server->on("POST", "/api/app/availability").never();
        QCOMPARE(QCoro::waitFor(m_api->fetch(std::nullopt)).outcome, Outcome::Unreachable);
        QVERIFY(!QCoro::waitFor(m_api->postJSON(u"api/app/availability"_s, QJsonObject{})));

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
        QVERIFY(!QCoro::waitFor(m_api->postJSON(u"api/app/quick-add/create"_s, {{u"title"_s, u"Demo"_s}})));
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
        QVERIFY(!QCoro::waitFor(m_api->postJSON(u"api/app/quick-add/create"_s, {{u"title"_s, u"Demo"_s}})));
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
        std::optional<HttpReply> reply;
        auto check = [&]() -> QCoro::Task<> {
            reply = co_await m_api->plainGet(m_api->url(u"download/version.json"_s));
        };
        auto task = check();
        QTRY_VERIFY_WITH_TIMEOUT(reply.has_value(), 5000);
        QVERIFY(!reply->delivered);
    }

    void oversizedBodyIsAFailedTransfer()
    {
        // A feed of more than 8 MiB, valid JSON otherwise, is refused like a broken connection.
        const QByteArray huge = paddedFeed(QnamHttp::kMaxBodyBytes);
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

    void postConvention()
    {
        m_server->on("POST", "/api/app/meetings/a%20b/draft").reply(404, R"({"error":"No such meeting"})");
        const auto reply = QCoro::waitFor(m_api->post(u"a b"_s, u"draft"_s));
        QVERIFY(reply);
        QCOMPARE(reply->value(u"error"_s).toString(), u"No such meeting"_s);
        const RecordedRequest &r = m_server->requests().at(0);
        QCOMPARE(r.method, QByteArray("POST"));
        QCOMPARE(r.path, QByteArray("/api/app/meetings/a%20b/draft")); // blank percent-encoded, "/" kept
        QCOMPARE(r.body, QByteArray("{}"));
        QCOMPARE(r.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(r.header("Authorization"), QByteArray("Bearer vesk_test"));
    }

    void postReplies_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("yieldsObject");
        QTest::newRow("200 object") << 200 << QByteArray(R"({"ok":true})") << true;
        QTest::newRow("500 object") << 500 << QByteArray(R"({"error":"Boom"})") << true;
        QTest::newRow("401 object") << 401 << QByteArray(R"({"error":"Token"})") << true;
        QTest::newRow("200 empty body") << 200 << QByteArray() << false;
        QTest::newRow("200 array") << 200 << QByteArray("[1,2]") << false;
        QTest::newRow("200 not JSON") << 200 << QByteArray("ok") << false;
    }

    void postReplies()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, yieldsObject);
        m_server->on("POST", "/api/app/meetings/m1/vesk").reply(status, body);
        QCOMPARE(QCoro::waitFor(m_api->post(u"m1"_s, u"vesk"_s)).has_value(), yieldsObject);
    }

    void postJsonSerialisesBody()
    {
        m_server->on("POST", "/api/app/availability").reply(200, R"({"text":"Mon 10:00"})");
        const QJsonObject body{{u"durationMin"_s, 30}, {u"email"_s, u"a+b@x.example"_s}};
        const auto reply = QCoro::waitFor(m_api->postJSON(u"api/app/availability"_s, body));
        QVERIFY(reply);
        QCOMPARE(reply->value(u"text"_s).toString(), u"Mon 10:00"_s);
        const RecordedRequest &r = m_server->requests().at(0);
        QCOMPARE(QJsonDocument::fromJson(r.body).object(), body);
        QVERIFY(!r.body.contains('\n')); // compact
        QCOMPARE(r.header("Content-Type"), QByteArray("application/json"));
    }

    void plainGetSendsNoToken()
    {
        m_server->on("GET", "/download/version.json").reply(200, R"({"version":"1.0"})");
        const HttpReply reply = QCoro::waitFor(m_api->plainGet(m_api->url(u"download/version.json"_s)));
        QVERIFY(reply.delivered);
        QCOMPARE(reply.status, 200);
        QVERIFY(!m_server->requests().at(0).hasHeader("Authorization"));
    }

    void overlappingRequestsFinishInArrivalOrder()
    {
        m_server->on("GET", "/api/today").after(300ms).reply(200, fixture(u"feed_sample.json"_s));
        m_server->on("GET", "/api/today").reply(200, R"({"meetings":[]})");
        QList<int> finished;
        auto slow = [&]() -> QCoro::Task<> {
            const auto r = co_await m_api->fetch(u"date=slow"_s);
            finished.append(r.meetings.size());
        };
        auto fast = [&]() -> QCoro::Task<> {
            const auto r = co_await m_api->fetch(u"date=fast"_s);
            finished.append(r.meetings.size());
        };
        auto a = slow();
        QVERIFY(m_server->waitForRequests(1));
        auto b = fast();
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished, (QList<int>{0, 2}));
    }
};

QTEST_GUILESS_MAIN(TestVeskApi)
#include "tst_veskapi.moc"
