// The people search reply on any body: the hits shown are exactly what the reply lists, and
// handing them back in their own JSON form gives the same hits.
#include "fuzzstore.h"

#include <QJsonArray>
#include <QJsonDocument>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::StoreFixture::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<PersonHit> hits;
    {
        fuzz::StoreFixture world(fuzz::bytes(data, size));
        FUZZ_CHECK(world.store->searchPeopleTask(QStringLiteral("ada")).isReady());
        hits = world.store->people();
    }
    if (hits.isEmpty())
        return 0;

    QJsonArray list;
    for (const PersonHit &hit : std::as_const(hits))
        list.append(hit.toJson());
    fuzz::StoreFixture world(QJsonDocument(QJsonObject{{QStringLiteral("people"), list}}).toJson());
    FUZZ_CHECK(world.store->searchPeopleTask(QStringLiteral("ada")).isReady());
    FUZZ_CHECK(world.store->people() == hits);
    return 0;
}
