// The quick-add reply handling on any reply body: the draft request, and for a draft with a time
// the create request answered with the same bytes. Each request ends (not busy) with exactly one
// outcome, and a shown draft survives a round trip through its own JSON form.
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
    FUZZ_CHECK(store.quickDraftTask().isReady());
    FUZZ_CHECK(!store.qaBusy());
    FUZZ_CHECK(store.hasQaDraft() != !store.qaError().isEmpty());
    if (!store.hasQaDraft())
        return 0;

    const QADraft draft = *store.qaDraft();
    const std::optional<QADraft> again = QADraft::fromJson(draft.toJson());
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(*again == draft);

    FUZZ_CHECK(store.quickCreateTask().isReady());
    FUZZ_CHECK(!store.qaBusy());
    if (!draft.start) {
        FUZZ_CHECK(store.qaDraft() == draft);
        FUZZ_CHECK(store.qaDone().isEmpty());
    } else if (store.qaDone().isEmpty()) {
        FUZZ_CHECK(!store.qaError().isEmpty());
        FUZZ_CHECK(store.qaDraft() == draft);
    } else {
        FUZZ_CHECK(store.qaError().isEmpty());
        FUZZ_CHECK(!store.hasQaDraft());
        FUZZ_CHECK(store.flash() == QStringLiteral("added \u2713"));
    }
    return 0;
}
