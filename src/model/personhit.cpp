#include "model/personhit.h"

#include "model/jsonreader.h"

#include <QHashFunctions>

using namespace Qt::Literals::StringLiterals;

PersonHit PersonHit::decode(JsonReader &reader, const QJsonObject &object)
{
    PersonHit hit;
    hit.name = reader.optionalText(object, "name"_L1);
    hit.email = reader.text(object, "email"_L1);
    hit.company = reader.text(object, "company"_L1);
    return hit;
}

QJsonObject PersonHit::toJson() const
{
    QJsonObject object{{u"email"_s, email}, {u"company"_s, company}};
    if (name)
        object.insert(u"name"_s, *name);
    return object;
}

size_t qHash(const PersonHit &hit, size_t seed) noexcept
{
    return qHashMulti(seed, hit.name.has_value(), hit.name.value_or(QString()), hit.email, hit.company);
}
