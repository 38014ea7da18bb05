#pragma once

#include "demo/calendar.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrlQuery>

#include <functional>

/// One request as the demo service sees it.
struct DemoRequest
{
    QByteArray method; ///< "GET" or "POST"
    QString path;      ///< decoded, with the leading "/"
    QUrlQuery query;
    QByteArray authorization; ///< the "Authorization" header, or empty
    QByteArray body;
};

struct DemoReply
{
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
};

/// Every exchange of the Vesk service, answered from a `DemoCalendar`: the day feed, meeting
/// outcomes and drafts, quick add, open times, people search, the release file and the web pages
/// the app opens. Every path under "api/" needs the demo token as a bearer token.
class DemoService
{
public:
    using Clock = std::function<QDateTime()>;

    static constexpr const char *kToken = "vesk_demo_7f3c2a9e41d8";

    /// `baseUrl` is where the service is reached (used in its pages); `clock` gives the local time.
    DemoService(QString baseUrl, Clock clock, QString releaseVersion);

    DemoReply handle(const DemoRequest &request);
    DemoCalendar &calendar() { return m_calendar; }
    void setBaseUrl(const QString &baseUrl);

private:
    DemoReply api(const DemoRequest &request);
    DemoReply page(const DemoRequest &request);

    DemoReply today(const QUrlQuery &query);
    DemoReply meetingAction(const QString &id, const QString &action);
    DemoReply quickAdd(const QJsonObject &body);
    DemoReply quickAddCreate(const QJsonObject &body);
    DemoReply availability(const QJsonObject &body);
    DemoReply people(const QUrlQuery &query);

    QList<QDateTime> freeTimes(int durationMin, int count);

    QString m_baseUrl;
    Clock m_clock;
    QString m_releaseVersion;
    DemoCalendar m_calendar;
};
