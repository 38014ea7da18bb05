#include "service/veskapi.h"

#include "model/feeddecoder.h"
#include "service/endpoints.h"
#include "service/tokenstore.h"

#include <QJsonDocument>

VeskApi::VeskApi(Http &http, QUrl base, TokenStore &tokens)
    : m_http(http)
    , m_base(std::move(base))
    , m_tokens(tokens)
{}

QUrl VeskApi::url(const QString &path) const
{
    return Endpoints::append(m_base, path);
}

std::optional<QJsonObject> VeskApi::jsonObject(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

QCoro::Task<VeskApi::AuthorizedReply> VeskApi::authorized(QByteArray method, QUrl url,
                                                          std::optional<QByteArray> jsonBody,
                                                          std::chrono::milliseconds timeout)
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
    request.headers.append(
        {QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + token->toUtf8()});
    if (jsonBody) {
        request.headers.append({QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/json")});
        request.body = *jsonBody;
    }
    co_return co_await m_http.send(std::move(request));
}

QCoro::Task<VeskApi::FeedResult> VeskApi::fetch(std::optional<QString> query)
{
    const std::optional<QString> token = m_tokens.load();
    if (!token)
        co_return FeedResult{FeedOutcome::NoToken, {}};

    QUrl target = url(Endpoints::kToday.toString());
    if (query)
        target.setQuery(*query);
    HttpRequest request;
    request.url = target;
    request.timeout = m_timeouts.feed;
    request.bypassCache = true;
    request.headers.append(
        {QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + token->toUtf8()});

    const HttpReply reply = co_await m_http.send(std::move(request));
    if (!reply.delivered)
        co_return FeedResult{FeedOutcome::Unreachable, {}};
    if (reply.status == 401)
        co_return FeedResult{FeedOutcome::TokenRejected, {}};
    FeedDecodeResult decoded = decodeFeed(reply.body);
    if (!decoded.feed || decoded.feed->meetings.size() > kMaxMeetingsPerDay)
        co_return FeedResult{FeedOutcome::Unreachable, {}};
    co_return FeedResult{FeedOutcome::Loaded, std::move(decoded.feed->meetings)};
}

QCoro::Task<std::optional<QJsonObject>> VeskApi::post(QString id, QString action)
{
    const QString path = Endpoints::kMeetings.toString() + id + u'/' + action;
    const AuthorizedReply reply =
        co_await authorized(QByteArrayLiteral("POST"), url(path), QByteArrayLiteral("{}"), m_timeouts.post);
    if (!reply || !reply->delivered)
        co_return std::nullopt;
    co_return jsonObject(reply->body);
}

QCoro::Task<std::optional<QJsonObject>> VeskApi::postJSON(QString path, QJsonObject body)
{
    const QByteArray bytes = QJsonDocument(body).toJson(QJsonDocument::Compact);
    const AuthorizedReply reply =
        co_await authorized(QByteArrayLiteral("POST"), url(path), bytes, m_timeouts.postJson);
    if (!reply || !reply->delivered)
        co_return std::nullopt;
    co_return jsonObject(reply->body);
}

QCoro::Task<HttpReply> VeskApi::plainGet(QUrl url)
{
    HttpRequest request;
    request.url = std::move(url);
    co_return co_await m_http.send(std::move(request));
}
