// The people search reply on any body, through the Store's search: one request per search, the
// hits shown are exactly what the reply lists, and handing them back in their own JSON form gives
// the same hits.
#include "fuzzstore.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QList<PersonHit> searchWith(const QByteArray &reply)
{
    fuzz::StoreFixture world(reply);
    const int before = world.http.sent;
    world.store->searchPeople(QStringLiteral("ada"));
    world.settle();
    FUZZ_CHECK(world.http.sent == before + 1);
    return world.store->people();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::StoreFixture::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<PersonHit> hits = searchWith(fuzz::bytes(data, size));
    if (hits.isEmpty())
        return 0;

    QJsonArray list;
    for (const PersonHit &hit : hits)
        list.append(hit.toJson());
    FUZZ_CHECK(searchWith(QJsonDocument(QJsonObject{{QStringLiteral("people"), list}}).toJson()) == hits);
    return 0;
}
