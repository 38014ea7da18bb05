// The quick-add reply handling on any reply body, through the Store's own calls: the draft
// request, and for a draft with a time the create request answered with the same bytes. Each
// request is sent once and ends (not busy) with exactly one outcome, and a shown draft survives a
// round trip through its own JSON form.
#include "fuzzstore.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::StoreFixture::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::StoreFixture world(fuzz::bytes(data, size));
    Store &store = *world.store;

    store.setQaText(QStringLiteral("Coffee with Nils tomorrow at 3"));
    const int beforeDraft = world.http.sent;
    store.quickDraft();
    world.settle();
    FUZZ_CHECK(world.http.sent == beforeDraft + 1);
    FUZZ_CHECK(!store.qaBusy());
    FUZZ_CHECK(store.hasQaDraft() != !store.qaError().isEmpty());
    FUZZ_CHECK(store.qaDone().isEmpty());
    if (!store.hasQaDraft())
        return 0;

    const QADraft draft = *store.qaDraft();
    const std::optional<QADraft> again = QADraft::fromJson(draft.toJson());
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(*again == draft);

    const int beforeCreate = world.http.sent;
    store.quickCreate();
    world.settle();
    FUZZ_CHECK(!store.qaBusy());
    if (!draft.start) {
        // Nothing to create: nothing is sent and the draft stays as it was.
        FUZZ_CHECK(world.http.sent == beforeCreate);
        FUZZ_CHECK(store.qaDraft() == draft);
        FUZZ_CHECK(store.qaDone().isEmpty());
    } else if (store.qaDone().isEmpty()) {
        FUZZ_CHECK(world.http.sent == beforeCreate + 1);
        FUZZ_CHECK(!store.qaError().isEmpty());
        FUZZ_CHECK(store.qaDraft() == draft);
        FUZZ_CHECK(world.sounds.played.isEmpty());
    } else {
        // The create request, then the reload of the feed.
        FUZZ_CHECK(world.http.sent >= beforeCreate + 1);
        FUZZ_CHECK(store.qaError().isEmpty());
        FUZZ_CHECK(!store.hasQaDraft());
        FUZZ_CHECK(store.qaText().isEmpty());
        FUZZ_CHECK(store.flash() == QStringLiteral("added \u2713"));
        FUZZ_CHECK(world.sounds.played == QList<Sounds::Sound>{Sounds::Sound::Created});
    }
    return 0;
}
