#include "model/qadraft.h"

#include "model/jsonreader.h"

#include <QJsonArray>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

void insertOptional(QJsonObject &object, const QString &key, const std::optional<QString> &value)
{
    if (value)
        object.insert(key, *value);
}

} // namespace

QAPerson QAPerson::decode(JsonReader &reader, const QJsonObject &object)
{
    QAPerson person;
    person.query = reader.text(object, "query"_L1);
    person.name = reader.optionalText(object, "name"_L1);
    person.email = reader.optionalText(object, "email"_L1);
    person.candidates = reader.objectArray<PersonHit>(object, "candidates"_L1, &PersonHit::decode);
    return person;
}

QJsonObject QAPerson::toJson() const
{
    QJsonArray hits;
    for (const PersonHit &hit : candidates)
        hits.append(hit.toJson());
    QJsonObject object{{u"query"_s, query}, {u"candidates"_s, hits}};
    insertOptional(object, u"name"_s, name);
    insertOptional(object, u"email"_s, email);
    return object;
}

std::optional<QADraft> QADraft::fromJson(const QJsonObject &object)
{
    JsonReader r;
    QADraft draft;
    draft.intent = r.text(object, "intent"_L1);
    draft.title = r.text(object, "title"_L1);
    draft.start = r.optionalText(object, "start"_L1);
    draft.end = r.optionalText(object, "end"_L1);
    const qint64 duration = r.integer(object, "durationMin"_L1);
    if (!r.failed() &&
        (duration < std::numeric_limits<int>::min() || duration > std::numeric_limits<int>::max()))
        r.fail(u"durationMin"_s, u"Number %1 is out of range."_s.arg(duration));
    draft.durationMin = static_cast<int>(duration);
    draft.people = r.objectArray<QAPerson>(object, "people"_L1, &QAPerson::decode);
    draft.conference = r.text(object, "conference"_L1);
    draft.location = r.optionalText(object, "location"_L1);
    draft.conflicts = r.textArray(object, "conflicts"_L1);
    draft.hasZoom = r.boolean(object, "hasZoom"_L1);
    draft.when = r.optionalText(object, "when"_L1);
    if (r.failed())
        return std::nullopt;
    return draft;
}

QJsonObject QADraft::toJson() const
{
    QJsonArray persons;
    for (const QAPerson &person : people)
        persons.append(person.toJson());
    QJsonObject object{
        {u"intent"_s, intent},           {u"title"_s, title},
        {u"durationMin"_s, durationMin}, {u"people"_s, persons},
        {u"conference"_s, conference},   {u"conflicts"_s, QJsonArray::fromStringList(conflicts)},
        {u"hasZoom"_s, hasZoom},
    };
    insertOptional(object, u"start"_s, start);
    insertOptional(object, u"end"_s, end);
    insertOptional(object, u"location"_s, location);
    insertOptional(object, u"when"_s, when);
    return object;
}
