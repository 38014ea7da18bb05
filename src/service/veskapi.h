#pragma once

#include "model/meeting.h"
#include "model/personhit.h"
#include "model/qadraft.h"
#include "platform/http.h"

#include <QCoro/QCoroTask>
#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

class TokenStore;

/// How long each kind of exchange may stay idle before it counts as failed.
struct VeskTimeouts
{
    std::chrono::milliseconds feed{60000};
    std::chrono::milliseconds post{90000};
    std::chrono::milliseconds postJson{60000};
    std::chrono::milliseconds quickAdd{45000};
    std::chrono::milliseconds people{60000};
};

/// Every exchange with the service, one call each. The calls own the request convention (base URL
/// + path, bearer token, JSON bodies, time-outs) and turn replies into results; callers never build
/// requests. Stateless apart from its settings.
class VeskApi
{
public:
    using Timeouts = VeskTimeouts;

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

    /// The answer to a JSON command whose caller tells a failed transfer from an unreadable reply.
    struct JsonReply
    {
        /// An HTTP answer arrived (false too when no token was stored and nothing was sent).
        bool delivered = false;
        /// The body's top-level object; nothing when the body is not JSON or holds no object.
        std::optional<QJsonObject> object;
    };

    /// More meetings in one day's feed than any real calendar holds: such a feed is refused like a
    /// broken one, before the panel builds a row for each.
    static constexpr qsizetype kMaxMeetingsPerDay = 500;

    /// `tokens` supplies the bearer token of every authorised request.
    VeskApi(Http &http, QUrl base, TokenStore &tokens, Timeouts timeouts = {});

    const QUrl &base() const { return m_base; }

    /// Whether a token is stored, so that authorised calls will send anything.
    [[nodiscard]] bool hasToken() const;

    /// GET api/today, for the service's current day or, given `day`, for that day
    /// ("date=yyyy-MM-dd"); always from the network.
    [[nodiscard]] QCoro::Task<FeedResult> fetch(std::optional<QDate> day);
    /// POST api/app/meetings/<id>/<action> with "{}"; the reply's JSON object, whatever the status.
    [[nodiscard]] QCoro::Task<std::optional<QJsonObject>> post(QString id, QString action);
    /// POST api/app/availability for `durationMin` minutes; the name and address go along only when
    /// not empty. The reply's JSON object, whatever the status.
    [[nodiscard]] QCoro::Task<std::optional<QJsonObject>> availability(int durationMin, QString name,
                                                                       QString email);
    /// POST api/app/quick-add with the sentence.
    [[nodiscard]] QCoro::Task<JsonReply> quickAdd(QString text);
    /// POST api/app/quick-add/create for a draft: its title, start, length, conference, location and
    /// the addresses of the people that have one.
    [[nodiscard]] QCoro::Task<std::optional<QJsonObject>> createEvent(QADraft draft);
    /// GET api/app/people?q=<text>: the hits in reply order, empty when the reply does not decode;
    /// nothing when nothing was sent or the transfer failed.
    [[nodiscard]] QCoro::Task<std::optional<QList<PersonHit>>> searchPeople(QString text);
    /// GET download/version.json without a token: the offered version text; nothing unless a 200
    /// reply holds an object with a text "version".
    [[nodiscard]] QCoro::Task<std::optional<QString>> latestVersion();

    /// The body as a JSON object, or nothing when it is not JSON or its top level is not an object.
    [[nodiscard]] static std::optional<QJsonObject> jsonObject(const QByteArray &body);
    /// The reply's "error" text; nothing when there is no such key, its value is not a text, or the
    /// text is empty (an empty message would leave a failed operation without any word to the user).
    [[nodiscard]] static std::optional<QString> errorText(const QJsonObject &reply);

private:
    /// Sends an authorised request; nothing when no token is stored (nothing is sent then).
    QCoro::Task<std::optional<HttpReply>> authorized(QByteArray method, QUrl url,
                                                     std::optional<QByteArray> jsonBody,
                                                     std::chrono::milliseconds timeout,
                                                     bool bypassCache = false);
    QCoro::Task<JsonReply> postJSON(QString path, QJsonObject body, std::chrono::milliseconds timeout);
    QUrl url(const QString &path) const;

    Http &m_http;
    QUrl m_base;
    TokenStore &m_tokens;
    Timeouts m_timeouts;
};
