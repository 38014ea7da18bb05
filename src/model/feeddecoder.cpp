#include "model/feeddecoder.h"

#include "model/isodate.h"
#include "model/jsonreader.h"

using namespace Qt::Literals::StringLiterals;

namespace {

Person decodePerson(JsonReader &r, const QJsonObject &o)
{
    Person person;
    person.name = r.text(o, "name"_L1);
    person.email = r.text(o, "email"_L1);
    person.rsvp = r.text(o, "rsvp"_L1);
    return person;
}

QDateTime decodeInstant(JsonReader &r, const QJsonObject &o, QLatin1StringView key)
{
    const QString raw = r.text(o, key);
    if (r.failed())
        return {};
    const std::optional<QDateTime> instant = parseInternetDateTime(raw);
    if (!instant)
        r.fail(QString(key), raw); // the offending text itself is the description
    return instant.value_or(QDateTime());
}

Meeting decodeMeeting(JsonReader &r, const QJsonObject &o)
{
    Meeting m;
    m.id = r.text(o, "id"_L1);
    m.title = r.text(o, "title"_L1);
    m.startsAt = decodeInstant(r, o, "startsAt"_L1);
    m.endsAt = decodeInstant(r, o, "endsAt"_L1);
    m.room = r.text(o, "room"_L1);
    m.joinUrl = r.optionalText(o, "joinUrl"_L1);
    m.status = r.text(o, "status"_L1);
    m.riskLevel = r.text(o, "riskLevel"_L1);
    m.riskScore = r.integer(o, "riskScore"_L1);
    m.action = r.optionalText(o, "action"_L1);
    m.watched = r.boolean(o, "watched"_L1);
    m.people = r.objectArray<Person>(o, "people"_L1, &decodePerson);
    return m;
}

} // namespace

FeedDecodeResult decodeFeed(const QByteArray &body)
{
    JsonReader r;
    const QJsonObject top = r.document(body);
    Feed feed;
    feed.meetings = r.objectArray<Meeting>(top, "meetings"_L1, &decodeMeeting);
    if (r.failed())
        return {std::nullopt, {r.errorPath(), r.errorDescription()}};
    return {std::move(feed), {}};
}
