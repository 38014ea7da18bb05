#include "service/veskapi.h"

#include "model/feeddecoder.h"
#include "model/jsonreader.h"
#include "service/endpoints.h"
#include "service/tokenstore.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

QJsonObject createBody(const QADraft &draft)
{
    QJsonArray emails;
    for (const QAPerson &person : draft.people) {
        if (person.email)
            emails.append(*person.email);
    }
    return QJsonObject{
        {u"title"_s, draft.title},
        {u"start"_s, draft.start.value_or(QString())},
        {u"durationMin"_s, draft.durationMin},
        {u"emails"_s, emails},
        {u"conference"_s, draft.conference},
        {u"location"_s, draft.location.value_or(QString())},
    };
}

} // namespace

VeskApi::VeskApi(Http &http, QUrl base, TokenStore &tokens, Timeouts timeouts)
    : m_http(http)
    , m_base(std::move(base))
    , m_tokens(tokens)
    , m_timeouts(timeouts)
{}

QUrl VeskApi::url(const QString &path) const
{
    return Endpoints::append(m_base, path);
}

bool VeskApi::hasToken() const
{
    return m_tokens.load().has_value();
}

std::optional<QString> VeskApi::errorText(const QJsonObject &reply)
{
    const QJsonValue error = reply.value(QLatin1StringView("error"));
    if (!error.isString() || error.toString().isEmpty())
        return std::nullopt;
    return error.toString();
}

std::optional<QJsonObject> VeskApi::jsonObject(const QByteArray &body)
{
    JsonReader reader;
    QJsonObject object = reader.document(body);
    if (reader.failed())
        return std::nullopt;
    return object;
}

QCoro::Task<std::optional<HttpReply>> VeskApi::authorized(QByteArray method, QUrl url,
                                                          std::optional<QByteArray> jsonBody,
                                                          std::chrono::milliseconds timeout, bool bypassCache)
{
    const std::optional<QString> token = m_tokens.load();
    if (!token)
        co_return std::nullopt;
    if (!url.isValid())
        co_return HttpReply{}; // a URL the layer refuses counts as a failed transfer

    HttpRequest request;
    request.method = std::move(method);
    request.url = std::move(url);
    request.timeout = timeout;
    request.headers.append({"Authorization"_ba, "Bearer "_ba + token->toUtf8()});
    // Only a request with a body says what it is.
    if (jsonBody) {
        request.headers.append({"Content-Type"_ba, "application/json"_ba});
        request.body = *jsonBody;
    }
    request.bypassCache = bypassCache;
    co_return co_await m_http.send(std::move(request));
}

QCoro::Task<VeskApi::FeedResult> VeskApi::fetch(std::optional<QDate> day)
{
    QUrl target = url(Endpoints::kToday.toString());
    if (day)
        target.setQuery(u"date="_s + day->toString(u"yyyy-MM-dd"_s));
    const std::optional<HttpReply> reply =
        co_await authorized("GET"_ba, target, std::nullopt, m_timeouts.feed, true);
    if (!reply)
        co_return FeedResult{FeedOutcome::NoToken, {}};
    if (!reply->delivered)
        co_return FeedResult{FeedOutcome::Unreachable, {}};
    if (reply->status == 401)
        co_return FeedResult{FeedOutcome::TokenRejected, {}};
    FeedDecodeResult decoded = decodeFeed(reply->body);
    if (!decoded.feed || decoded.feed->meetings.size() > kMaxMeetingsPerDay)
        co_return FeedResult{FeedOutcome::Unreachable, {}};
    co_return FeedResult{FeedOutcome::Loaded, std::move(decoded.feed->meetings)};
}

QCoro::Task<VeskApi::JsonReply> VeskApi::postJSON(QString path, QJsonObject body,
                                                  std::chrono::milliseconds timeout)
{
    const QByteArray bytes = QJsonDocument(body).toJson(QJsonDocument::Compact);
    const std::optional<HttpReply> reply = co_await authorized("POST"_ba, url(path), bytes, timeout);
    if (!reply || !reply->delivered)
        co_return JsonReply{};
    co_return JsonReply{true, jsonObject(reply->body)};
}

QCoro::Task<std::optional<QJsonObject>> VeskApi::post(QString id, QString action)
{
    const QString path = Endpoints::kMeetings.toString() + id + u'/' + action;
    const std::optional<HttpReply> reply =
        co_await authorized("POST"_ba, url(path), "{}"_ba, m_timeouts.post);
    if (!reply || !reply->delivered)
        co_return std::nullopt;
    co_return jsonObject(reply->body);
}

QCoro::Task<std::optional<QJsonObject>> VeskApi::availability(int durationMin, QString name, QString email)
{
    QJsonObject body{{u"durationMin"_s, durationMin}};
    if (!email.isEmpty())
        body.insert(u"email"_s, email);
    if (!name.isEmpty())
        body.insert(u"name"_s, name);
    const JsonReply reply =
        co_await postJSON(Endpoints::kAvailability.toString(), std::move(body), m_timeouts.postJson);
    co_return reply.object;
}

QCoro::Task<VeskApi::JsonReply> VeskApi::quickAdd(QString text)
{
    QJsonObject body;
    body.insert(u"text"_s, text);
    co_return co_await postJSON(Endpoints::kQuickAdd.toString(), std::move(body), m_timeouts.quickAdd);
}

QCoro::Task<std::optional<QJsonObject>> VeskApi::createEvent(QADraft draft)
{
    const JsonReply reply =
        co_await postJSON(Endpoints::kQuickAddCreate.toString(), createBody(draft), m_timeouts.postJson);
    co_return reply.object;
}

QCoro::Task<std::optional<QList<PersonHit>>> VeskApi::searchPeople(QString text)
{
    QUrl target = url(Endpoints::kPeople.toString());
    target.setQuery(QString::fromLatin1("q="_ba + QUrl::toPercentEncoding(text)), QUrl::StrictMode);
    const std::optional<HttpReply> reply =
        co_await authorized("GET"_ba, target, std::nullopt, m_timeouts.people);
    if (!reply || !reply->delivered)
        co_return std::nullopt;
    JsonReader r;
    const QJsonObject object = r.document(reply->body);
    QList<PersonHit> hits = r.objectArray<PersonHit>(object, "people"_L1, &PersonHit::decode);
    co_return r.failed() ? QList<PersonHit>() : hits;
}

QCoro::Task<std::optional<QString>> VeskApi::latestVersion()
{
    HttpRequest request;
    request.url = url(Endpoints::kVersionFile.toString());
    const HttpReply reply = co_await m_http.send(std::move(request));
    if (!reply.delivered || reply.status != 200)
        co_return std::nullopt;
    const std::optional<QJsonObject> manifest = jsonObject(reply.body);
    const QJsonValue version = manifest ? manifest->value("version"_L1) : QJsonValue();
    if (!version.isString())
        co_return std::nullopt;
    co_return version.toString();
}
