#pragma once

#include "fuzzsupport.h"
#include "service/tokenstore.h"
#include "state/store.h"
#include "support/fakeplatform.h"

#include <QUrl>

#include <memory>

namespace fuzz {

/// A fresh Store per input on an Http that answers every request with the input's bytes, and a
/// stored token so the authorised operations run. Going away after each input is part of the
/// test: the Store must leave nothing waiting (LeakSanitizer checks each input).
struct StoreFixture
{
    explicit StoreFixture(const QByteArray &replyBody)
    {
        http.reply.body = replyBody;
        settings.values.insert(QStringLiteral("didSetLoginDefault"), true);
        store =
            std::make_unique<Store>(Services{http, clock, settings, loginItem, urlOpener, clipboard, sounds,
                                             tokens, QUrl(QStringLiteral("https://api.vesk.example")),
                                             QUrl(QStringLiteral("https://app.vesk.example"))});
        store->setFlashDuration(std::chrono::milliseconds(0));
    }

    ~StoreFixture()
    {
        // The start-up loads and whatever the operation started run on these turns.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        store.reset();
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
