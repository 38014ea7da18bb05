#include "model/meeting.h"

#include "model/isodate.h"

#include <QHashFunctions>
#include <QJsonArray>

namespace {

size_t hashOptional(size_t seed, const std::optional<QString> &text)
{
    seed = qHashMulti(seed, text.has_value());
    return text ? qHashMulti(seed, *text) : seed;
}

} // namespace

QJsonObject Meeting::toJson() const
{
    QJsonArray attendees;
    for (const Person &person : people)
        attendees.append(person.toJson());
    QJsonObject object{
        {QStringLiteral("id"), id},
        {QStringLiteral("title"), title},
        {QStringLiteral("startsAt"), formatInternetDateTime(startsAt)},
        {QStringLiteral("endsAt"), formatInternetDateTime(endsAt)},
        {QStringLiteral("room"), room},
        {QStringLiteral("status"), status},
        {QStringLiteral("riskLevel"), riskLevel},
        {QStringLiteral("riskScore"), riskScore},
        {QStringLiteral("watched"), watched},
        {QStringLiteral("people"), attendees},
    };
    if (joinUrl)
        object.insert(QStringLiteral("joinUrl"), *joinUrl);
    if (action)
        object.insert(QStringLiteral("action"), *action);
    return object;
}

size_t qHash(const Meeting &m, size_t seed) noexcept
{
    seed =
        qHashMulti(seed, m.id, m.title, m.startsAt.toMSecsSinceEpoch(), m.endsAt.toMSecsSinceEpoch(), m.room);
    seed = hashOptional(seed, m.joinUrl);
    seed = qHashMulti(seed, m.status, m.riskLevel, m.riskScore);
    seed = hashOptional(seed, m.action);
    seed = qHashMulti(seed, m.watched, m.people.size());
    for (const Person &person : m.people)
        seed = qHashMulti(seed, person.name, person.email, person.rsvp);
    return seed;
}
