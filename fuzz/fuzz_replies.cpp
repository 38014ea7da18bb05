// The mail draft ("draft", "propose") and open-times (availability) reply handling on any body,
// through the Store's own calls. Each request is sent once and ends (the meeting no longer busy,
// the bar not busy) with exactly one outcome, and copied times reach the clipboard exactly as shown
// in the preview.
#include "fuzzstore.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::StoreFixture::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::StoreFixture world(fuzz::bytes(data, size));
    Store &store = *world.store;

    for (const QString &action : {QStringLiteral("draft"), QStringLiteral("propose")}) {
        Meeting meeting;
        meeting.id = QStringLiteral("m-") + action;
        meeting.title = QStringLiteral("Intro call");
        const int before = world.http.sent;
        store.compose(meeting, action);
        world.settle();
        FUZZ_CHECK(world.http.sent == before + 1);
        FUZZ_CHECK(!store.busy().contains(meeting.id));
        const std::optional<Composed> composed = store.composedFor(meeting.id);
        FUZZ_CHECK(composed.has_value() != store.actionErrorFor(meeting.id).has_value());
        if (composed)
            FUZZ_CHECK(!composed->note.isEmpty());
        else
            FUZZ_CHECK(!store.actionErrorFor(meeting.id)->isEmpty());
    }

    const int before = world.http.sent;
    store.copyAvailability(QStringLiteral("Ada"), QStringLiteral("ada@acme.example"), 30);
    world.settle();
    FUZZ_CHECK(world.http.sent == before + 1);
    FUZZ_CHECK(!store.availBusy());
    if (store.availError().isEmpty()) {
        FUZZ_CHECK(world.clipboard.writes.size() == 1);
        FUZZ_CHECK(world.clipboard.writes.constFirst().text == store.availPreview());
        FUZZ_CHECK(store.flash() == QStringLiteral("copied \u2713"));
        FUZZ_CHECK(world.sounds.played == QList<Sounds::Sound>{Sounds::Sound::Copied});
    } else {
        FUZZ_CHECK(world.clipboard.writes.isEmpty());
        FUZZ_CHECK(world.sounds.played.isEmpty());
    }
    return 0;
}
