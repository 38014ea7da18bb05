#pragma once

#include "model/meeting.h"
#include "platform/http.h"

#include <QCoro/QCoroTask>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

/// The request convention towards the service: base URL + path, bearer token, JSON bodies,
/// time-outs, and how replies turn into results. Stateless apart from its settings.
class TokenStore;

class VeskApi
{
public:
    struct Timeouts
    {
        std::chrono::milliseconds feed{60000};
        std::chrono::milliseconds post{90000};
        std::chrono::milliseconds postJson{60000};
        std::chrono::milliseconds quickAdd{45000};
        std::chrono::milliseconds people{60000};
    };

    enum class FeedOutcome
    {
        NoToken,
        Unreachable,
        TokenRejected,
        Loaded
    };

    struct FeedResult
    {
        FeedOutcome outcome = FeedOutcome::NoToken;
        QList<Meeting> meetings;
    };

    /// More meetings in one day's feed than any real calendar holds: such a feed is refused like a
    /// broken one, before the panel builds a row for each.
    static constexpr qsizetype kMaxMeetingsPerDay = 500;

    /// A reply to an authorised request; nothing when no token was stored and nothing was sent.
    using AuthorizedReply = std::optional<HttpReply>;

    /// `tokens` supplies the bearer token of every authorised request.
    VeskApi(Http &http, QUrl base, TokenStore &tokens);

    const QUrl &base() const { return m_base; }
    void setTimeouts(Timeouts timeouts) { m_timeouts = timeouts; }
    const Timeouts &timeouts() const { return m_timeouts; }

    /// GET api/today with `query` as the URL's query text, bypassing local caches.
    QCoro::Task<FeedResult> fetch(std::optional<QString> query);
    /// POST api/app/meetings/<id>/<action> with "{}"; the reply's JSON object, whatever the status.
    QCoro::Task<std::optional<QJsonObject>> post(QString id, QString action);
    /// POST <path> with `body` serialised; the reply's JSON object, whatever the status.
    QCoro::Task<std::optional<QJsonObject>> postJSON(QString path, QJsonObject body);

    /// An authorised request following the convention, for operations with replies of their own.
    QCoro::Task<AuthorizedReply> authorized(QByteArray method, QUrl url, std::optional<QByteArray> jsonBody,
                                            std::chrono::milliseconds timeout);
    /// A plain GET with the client's defaults and no token (the release file).
    QCoro::Task<HttpReply> plainGet(QUrl url);

    QUrl url(const QString &path) const;

    /// The body as a JSON object, or nothing when it is not JSON or its top level is not an object.
    static std::optional<QJsonObject> jsonObject(const QByteArray &body);

private:
    Http &m_http;
    QUrl m_base;
    TokenStore &m_tokens;
    Timeouts m_timeouts;
};
