#include "demo/demoservice.h"

#include "demo/contacts.h"
#include "demo/opentimes.h"
#include "demo/sentenceparser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>

namespace {

DemoReply json(const QJsonObject &object, int status = 200)
{
    return {status, "application/json", QJsonDocument(object).toJson(QJsonDocument::Compact)};
}

DemoReply error(const QString &message, int status = 400)
{
    return json({{QStringLiteral("error"), message}}, status);
}

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

DemoReply html(const QString &title, const QString &content, int status = 200)
{
    const QString page =
        u"<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + esc(title) +
        u" · Vesk "
        u"demo</title><style>body{font-family:sans-serif;background:#16161d;color:#ececf1;max-width:42em;"
        u"margin:3em auto;padding:0 1em}a{color:#a78bfa}table{border-collapse:collapse;width:100%}"
        u"td,th{padding:.4em;border-bottom:1px solid #33333d;text-align:left}"
        u".button{display:inline-block;background:#7c5cff;color:#fff;padding:.7em 1.4em;border-radius:8px;"
        u"text-decoration:none;font-weight:bold}code{background:#26262f;padding:.2em .4em;border-radius:4px}"
        u"</style></head><body><h1>" +
        esc(title) + u"</h1>" + content + u"</body></html>";
    return {status, "text/html; charset=utf-8", page.toUtf8()};
}

std::optional<int> intValue(const QJsonValue &value)
{
    if (!value.isDouble() || value.toDouble() != double(qint64(value.toDouble())))
        return std::nullopt;
    return int(value.toDouble());
}

QString firstNames(const QList<Attendee> &people)
{
    QStringList names;
    for (const Attendee &a : people)
        names << a.name.section(u' ', 0, 0);
    if (names.size() > 1)
        return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
               names.last();
    return names.value(0, QStringLiteral("there"));
}

} // namespace

DemoService::DemoService(QString baseUrl, Clock clock, QString releaseVersion)
    : m_baseUrl(std::move(baseUrl))
    , m_clock(std::move(clock))
    , m_releaseVersion(std::move(releaseVersion))
    , m_calendar(m_clock())
{
    setBaseUrl(m_baseUrl);
}

void DemoService::setBaseUrl(const QString &baseUrl)
{
    m_baseUrl = baseUrl;
    if (m_baseUrl.endsWith(u'/'))
        m_baseUrl.chop(1);
}

DemoReply DemoService::handle(const DemoRequest &request)
{
    if (request.path.startsWith(u"/api/")) {
        if (request.authorization != QByteArray("Bearer ") + kToken)
            return error(QStringLiteral("Token rejected."), 401);
        return api(request);
    }
    if (request.method != "GET")
        return error(QStringLiteral("Not found."), 404);
    if (request.path == u"/download/version.json")
        return json({{QStringLiteral("version"), m_releaseVersion},
                     {QStringLiteral("url"), QString(m_baseUrl + QStringLiteral("/download"))}});
    return page(request);
}

DemoReply DemoService::api(const DemoRequest &request)
{
    const QString &path = request.path;
    if (request.method == "GET" && path == u"/api/today")
        return today(request.query);
    if (request.method == "GET" && path == u"/api/app/people")
        return people(request.query);
    if (request.method != "POST")
        return error(QStringLiteral("Not found."), 404);

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
    if (!document.isObject())
        return error(QStringLiteral("The request body is not a JSON object."));
    const QJsonObject body = document.object();

    static const QRegularExpression meetingPath(QStringLiteral("^/api/app/meetings/([^/]+)/([^/]+)$"));
    if (const QRegularExpressionMatch m = meetingPath.match(path); m.hasMatch())
        return meetingAction(m.captured(1), m.captured(2));
    if (path == u"/api/app/quick-add")
        return quickAdd(body);
    if (path == u"/api/app/quick-add/create")
        return quickAddCreate(body);
    if (path == u"/api/app/availability")
        return availability(body);
    return error(QStringLiteral("Not found."), 404);
}

DemoReply DemoService::today(const QUrlQuery &query)
{
    const QDateTime now = m_clock();
    QList<DemoMeeting> meetings;
    if (query.hasQueryItem(QStringLiteral("date"))) {
        const QDate date =
            QDate::fromString(query.queryItemValue(QStringLiteral("date")), QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid())
            return error(QStringLiteral("The date must be written yyyy-MM-dd."));
        meetings = m_calendar.day(date);
    } else {
        meetings = m_calendar.feedFor(now);
    }
    QJsonArray list;
    for (const DemoMeeting &m : std::as_const(meetings))
        list.append(m.toJson());
    return json({{QStringLiteral("meetings"), list}});
}

DemoReply DemoService::meetingAction(const QString &id, const QString &action)
{
    DemoMeeting *meeting = m_calendar.find(id);
    if (!meeting)
        return error(QStringLiteral("That meeting is not in your calendar."), 404);

    if (action == u"vesk" || action == u"no_show") {
        meeting->status = action;
        meeting->riskLevel = QStringLiteral("low");
        meeting->riskScore = action == u"vesk" ? 0 : 100;
        meeting->action = action == u"vesk" ? QStringLiteral("Send the follow-up")
                                            : QStringLiteral("Rebook: offer new times");
        return json({{QStringLiteral("ok"), true}, {QStringLiteral("status"), action}});
    }

    const QString greeting = QStringLiteral("Hi ") + firstNames(meeting->people) + QStringLiteral(",\n\n");
    if (action == u"draft") {
        QString body = greeting + QStringLiteral("Thanks for your time today on “%1”.").arg(meeting->title);
        if (!meeting->notes.isEmpty())
            body += QStringLiteral(" To recap what we discussed:\n\n• ") +
                    meeting->notes.join(QStringLiteral("\n• "));
        body +=
            QStringLiteral("\n\nI'll send over the next steps by the end of the week. Do shout if anything "
                           "is missing.\n\nBest regards");
        return json({{QStringLiteral("subject"), QString(QStringLiteral("Following up: ") + meeting->title)},
                     {QStringLiteral("body"), body},
                     {QStringLiteral("basis"), QJsonArray::fromStringList(meeting->notes)}});
    }
    if (action == u"propose") {
        const int minutes = int(meeting->startsAt.secsTo(meeting->endsAt) / 60);
        const QList<QDateTime> times = freeTimes(minutes, 3);
        if (times.isEmpty())
            return error(QStringLiteral("No open times in the next two weeks."));
        const QLocale english(QLocale::English);
        QString body =
            greeting +
            QStringLiteral("Could we find a new time for “%1”? These work for me:\n").arg(meeting->title);
        for (const QDateTime &t : times)
            body += QStringLiteral("\n• ") + english.toString(t, QStringLiteral("dddd d MMMM, HH:mm"));
        body += QStringLiteral(
            "\n\nJust reply with the one that suits you and I'll send the invite.\n\nBest regards");
        return json({{QStringLiteral("subject"), QString(QStringLiteral("New time for ") + meeting->title)},
                     {QStringLiteral("body"), body},
                     {QStringLiteral("basis"), QJsonArray()}});
    }
    return error(QStringLiteral("Unknown action “%1”.").arg(action), 404);
}

DemoReply DemoService::quickAdd(const QJsonObject &body)
{
    const QDateTime now = m_clock();
    const std::optional<Sentence> sentence =
        parseSentence(body.value(QStringLiteral("text")).toString(), now);
    if (!sentence)
        return error(
            QStringLiteral("I couldn't find an event in that. Try “Coffee with Nils tomorrow at 3”."), 422);

    QJsonArray people;
    for (const QString &query : sentence->people) {
        const QList<Contact> matches = Contacts::resolve(query);
        QJsonArray candidates;
        for (const Contact &c : matches)
            candidates.append(QJsonObject{{QStringLiteral("name"), c.name},
                                          {QStringLiteral("email"), c.email},
                                          {QStringLiteral("company"), c.company}});
        QJsonObject entry{{QStringLiteral("query"), query}, {QStringLiteral("candidates"), candidates}};
        if (matches.size() == 1) {
            entry.insert(QStringLiteral("name"), matches.first().name);
            entry.insert(QStringLiteral("email"), matches.first().email);
        } else if (query.contains(u'@')) {
            entry.insert(QStringLiteral("email"), query);
        }
        people.append(entry);
    }

    QJsonObject draft{{QStringLiteral("intent"), sentence->intent},
                      {QStringLiteral("title"), sentence->title},
                      {QStringLiteral("durationMin"), sentence->durationMin},
                      {QStringLiteral("people"), people},
                      {QStringLiteral("conference"), sentence->conference},
                      {QStringLiteral("conflicts"), QJsonArray()},
                      {QStringLiteral("hasZoom"), true}};
    if (sentence->location)
        draft.insert(QStringLiteral("location"), *sentence->location);
    if (sentence->start) {
        const QDateTime start = *sentence->start;
        const QDateTime end = start.addSecs(qint64(sentence->durationMin) * 60);
        draft.insert(QStringLiteral("start"),
                     start.toOffsetFromUtc(start.offsetFromUtc()).toString(Qt::ISODate));
        draft.insert(QStringLiteral("end"), end.toOffsetFromUtc(end.offsetFromUtc()).toString(Qt::ISODate));
        draft.insert(QStringLiteral("when"), describeWhen(start, now));
        QJsonArray conflicts;
        for (const DemoMeeting &m : m_calendar.day(start.date())) {
            if (m.startsAt < end && start < m.endsAt)
                conflicts.append(QString(m.title + QStringLiteral(", ") +
                                         m.startsAt.toString(QStringLiteral("HH:mm")) + u"–" +
                                         m.endsAt.toString(QStringLiteral("HH:mm"))));
        }
        draft.insert(QStringLiteral("conflicts"), conflicts);
    }
    return json(draft);
}

DemoReply DemoService::quickAddCreate(const QJsonObject &body)
{
    const QString title = body.value(QStringLiteral("title")).toString().trimmed();
    const QDateTime start =
        QDateTime::fromString(body.value(QStringLiteral("start")).toString(), Qt::ISODate);
    const std::optional<int> duration = intValue(body.value(QStringLiteral("durationMin")));
    if (title.isEmpty())
        return error(QStringLiteral("The event needs a title."));
    if (!start.isValid())
        return error(QStringLiteral("The event needs a start time."));
    if (!duration || *duration < 5 || *duration > 12 * 60)
        return error(QStringLiteral("The length must be between 5 minutes and 12 hours."));

    DemoMeeting meeting;
    meeting.title = title;
    meeting.startsAt = start.toTimeZone(m_clock().timeZone());
    meeting.endsAt = meeting.startsAt.addSecs(qint64(*duration) * 60);
    const QString conference = body.value(QStringLiteral("conference")).toString();
    meeting.room = conference == u"zoom" || conference == u"meet" ? conference : QStringLiteral("none");
    meeting.status = QStringLiteral("unconfirmed");
    meeting.riskLevel = QStringLiteral("low");
    meeting.riskScore = 20;
    meeting.action = QStringLiteral("Invites sent; waiting for replies");
    const QString location = body.value(QStringLiteral("location")).toString();
    if (!location.isEmpty())
        meeting.notes << QStringLiteral("At ") + location;
    for (const QJsonValue &value : body.value(QStringLiteral("emails")).toArray()) {
        const QString email = value.toString().trimmed();
        if (email.isEmpty())
            continue;
        const Contact *known = Contacts::byEmail(email);
        meeting.people.append(
            {known ? known->name : email.section(u'@', 0, 0), email, QStringLiteral("needsAction")});
    }
    const DemoMeeting &added = m_calendar.add(meeting);
    return json({{QStringLiteral("ok"), true}, {QStringLiteral("id"), added.id}});
}

QList<QDateTime> DemoService::freeTimes(int durationMin, int count)
{
    const QDateTime now = m_clock();
    WorkingHours hours;
    return openTimes(m_calendar.busy(now.date(), now.date().addDays(hours.daysAhead)), now, durationMin,
                     count, hours);
}

DemoReply DemoService::availability(const QJsonObject &body)
{
    const std::optional<int> duration = intValue(body.value(QStringLiteral("durationMin")));
    if (!duration || *duration < 5 || *duration > 8 * 60)
        return error(QStringLiteral("Pick a length between 5 minutes and 8 hours."));
    const QList<QDateTime> times = freeTimes(*duration, 6);
    if (times.isEmpty())
        return error(QStringLiteral("No open times in the next two weeks."));
    const TimesBlock block = formatOpenTimes(times, *duration, body.value(QStringLiteral("name")).toString(),
                                             body.value(QStringLiteral("email")).toString());
    return json({{QStringLiteral("text"), block.text}, {QStringLiteral("html"), block.html}});
}

DemoReply DemoService::people(const QUrlQuery &query)
{
    QJsonArray hits;
    for (const Contact &c : Contacts::search(query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded)))
        hits.append(QJsonObject{{QStringLiteral("name"), c.name},
                                {QStringLiteral("email"), c.email},
                                {QStringLiteral("company"), c.company}});
    return json({{QStringLiteral("people"), hits}});
}

DemoReply DemoService::page(const DemoRequest &request)
{
    const QString token = QString::fromLatin1(kToken);
    if (request.path == u"/mac/connect") {
        const QString state = request.query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
        static const QRegularExpression valid(QStringLiteral("^[0-9A-Za-z]{1,128}$"));
        if (!valid.match(state).hasMatch())
            return html(
                QStringLiteral("Sign-in link incomplete"),
                QStringLiteral("<p>This page must be opened from Vesk Bar's “Sign in with Vesk” button.</p>"),
                400);
        const QString link =
            QStringLiteral("vesk://connect?token=") + token + QStringLiteral("&state=") + state;
        return html(QStringLiteral("Connect Vesk Bar"),
                    QStringLiteral(
                        "<p>You are signed in to the demo account <b>demo@vesk.example</b>.</p>"
                        "<p>Connect this computer's Vesk Bar to it:</p>"
                        "<p><a id=\"connect\" class=\"button\" href=\"%1\">Open Vesk Bar</a></p>"
                        "<p>Nothing happens? Copy the token <code>%2</code> and paste it into the panel.</p>")
                        .arg(esc(link), esc(token)));
    }
    if (request.path == u"/settings")
        return html(
            QStringLiteral("Connections"),
            QStringLiteral("<p>Personal token of the demo account, for Vesk Bar:</p><p><code>%1</code></p>"
                           "<p>Paste it into Vesk Bar's panel under “Or paste a token”.</p>")
                .arg(esc(token)));
    if (request.path == u"/download")
        return html(
            QStringLiteral("Download Vesk Bar"),
            QStringLiteral("<p>Vesk Bar %1 is the newest release.</p><p>Build it from the source with "
                           "<code>make install-user</code>.</p>")
                .arg(esc(m_releaseVersion)));
    if (request.path == u"/" || request.path.isEmpty()) {
        const QDateTime now = m_clock();
        QString rows;
        for (const DemoMeeting &m : m_calendar.day(now.date())) {
            QStringList names;
            for (const Attendee &a : m.people)
                names << a.name;
            rows += QStringLiteral("<tr><td>%1–%2</td><td>%3</td><td>%4</td><td>%5</td></tr>")
                        .arg(m.startsAt.toString(QStringLiteral("HH:mm")),
                             m.endsAt.toString(QStringLiteral("HH:mm")), esc(m.title),
                             esc(names.join(QStringLiteral(", "))), esc(m.status));
        }
        const QString day = QLocale(QLocale::English).toString(now.date(), QStringLiteral("dddd d MMMM"));
        return html(
            QStringLiteral("Planner"),
            QStringLiteral("<p>%1</p><table><tr><th>Time</th><th>Meeting</th><th>People</th><th>Status</th>"
                           "</tr>%2</table>")
                .arg(esc(day), rows));
    }
    return html(QStringLiteral("Not found"), QStringLiteral("<p>There is no such page in the demo.</p>"),
                404);
}
