#include "model/person.h"

#include <QHashFunctions>

QJsonObject Person::toJson() const
{
    return QJsonObject{
        {QStringLiteral("name"), name}, {QStringLiteral("email"), email}, {QStringLiteral("rsvp"), rsvp}};
}

size_t qHash(const Person &person, size_t seed) noexcept
{
    return qHashMulti(seed, person.name, person.email, person.rsvp);
}
