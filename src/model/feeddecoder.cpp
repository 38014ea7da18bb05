#include "model/feeddecoder.h"

#include "model/jsonreader.h"

#include <QJsonDocument>
#include <QJsonParseError>

using namespace Qt::Literals::StringLiterals;

namespace {

Person decodePerson(JsonReader &r, const QJsonObject &o)
{
    Person p;
    p.name = r.text(o, "name"_L1);
    p.email = r.text(o, "email"_L1);
    p.rsvp = r.text(o, "rsvp"_L1);
    return p;
}

Meeting decodeMeeting(JsonReader &r, const QJsonObject &o)
{
    Meeting m;
    m.id = r.text(o, "id"_L1);
    m.title = r.text(o, "title"_L1);
    m.startsAt = r.date(o, "startsAt"_L1);
    m.endsAt = r.date(o, "endsAt"_L1);
    m.room = r.text(o, "room"_L1);
    m.joinUrl = r.optionalText(o, "joinUrl"_L1);
    m.status = r.text(o, "status"_L1);
    m.riskLevel = r.text(o, "riskLevel"_L1);
    m.riskScore = r.integer(o, "riskScore"_L1);
    m.action = r.optionalText(o, "action"_L1);
    m.watched = r.boolean(o, "watched"_L1);
    const QJsonArray people = r.array(o, "people"_L1);
    m.people.reserve(people.size());
    for (qsizetype i = 0; i < people.size() && !r.failed(); ++i) {
        const QJsonObject person = r.object(people.at(i), QString());
        if (!r.failed())
            m.people.append(decodePerson(r, person));
        r.nest(u"people[%1]"_s.arg(i));
    }
    return m;
}

} // namespace

FeedDecodeResult decodeFeed(const QByteArray &body)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt, {QString(), u"The data isn't valid JSON: "_s + parseError.errorString()}};
    if (!document.isObject())
        return {std::nullopt, {QString(), u"Expected object at the top level."_s}};

    JsonReader r;
    const QJsonArray list = r.array(document.object(), "meetings"_L1);
    Feed feed;
    feed.meetings.reserve(list.size());
    for (qsizetype i = 0; i < list.size() && !r.failed(); ++i) {
        const QJsonObject meeting = r.object(list.at(i), QString());
        if (!r.failed())
            feed.meetings.append(decodeMeeting(r, meeting));
        r.nest(u"meetings[%1]"_s.arg(i));
    }
    if (r.failed())
        return {std::nullopt, {r.errorPath(), r.errorDescription()}};
    return {std::move(feed), {}};
}
