#pragma once

#include "fuzzsupport.h"
#include "service/tokenstore.h"
#include "state/store.h"
#include "support/fakeplatform.h"

#include <QUrl>

#include <memory>

namespace fuzz {

/// A fresh Store per input on an Http that answers every request with the input's bytes, and a
/// stored token so the authorised operations run. The operations are driven through the Store's
/// public calls: each queues its task, and settle() runs the event loop until that task (which
/// never waits, the Http answering at once) has finished. Going away after each input is part of
/// the test: the Store must leave nothing waiting (LeakSanitizer checks each input).
struct StoreFixture
{
    explicit StoreFixture(const QByteArray &replyBody)
    {
        http.reply.body = replyBody;
        settings.values.insert(QStringLiteral("didSetLoginDefault"), true);
        // The product's timings: the flash stays long enough to be read after the operation.
        store =
            std::make_unique<Store>(Services{http, clock, settings, loginItem, urlOpener, clipboard, sounds,
                                             tokens, QUrl(QStringLiteral("https://api.vesk.example")),
                                             QUrl(QStringLiteral("https://app.vesk.example"))});
        // The start-up loads run first, so every later request belongs to the operation under test.
        settle();
    }

    ~StoreFixture()
    {
        settle();
        store.reset();
        QCoreApplication::processEvents();
    }

    /// Runs the queued tasks and whatever they queue in turn (a reload after a created event).
    static void settle()
    {
        for (int turn = 0; turn < 4; ++turn)
            QCoreApplication::processEvents();
    }

    static void initialize()
    {
        startApplication();
        TokenStore tokens;
        FUZZ_CHECK(tokens.save(QStringLiteral("vesk_fuzz")));
    }

    ReplyHttp http;
    FakeClock clock;
    FakeSettings settings;
    FakeLoginItem loginItem;
    FakeUrlOpener urlOpener;
    FakeClipboard clipboard;
    FakeSounds sounds;
    TokenStore tokens;
    std::unique_ptr<Store> store;
};

} // namespace fuzz
