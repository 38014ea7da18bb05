#pragma once

#include "platform/qnamhttp.h"
#include "service/tokenstore.h"
#include "state/store.h"
#include "support/fakeplatform.h"
#include "support/scriptedserver.h"
#include "support/testenv.h"

#include <QCoreApplication>

#include <memory>

/// A Store on the real HTTP stack against a scripted server, with private XDG folders, a clock the
/// test moves and recording desktop doubles. The first-launch login step counts as done, so tests
/// start from a settled account unless they clear the key. Unscripted routes answer 404.
struct StoreWorld
{
    StoreWorld() { settings.values.insert(QStringLiteral("didSetLoginDefault"), true); }
    ~StoreWorld() { stop(); }
    StoreWorld(const StoreWorld &) = delete;
    StoreWorld &operator=(const StoreWorld &) = delete;

    /// Creates the Store; scripts made before the call answer its start-up requests.
    Store &makeStore(Clipboard &clipboardToUse,
                     const QUrl &webUrl = QUrl(QStringLiteral("https://app.vesk.example")))
    {
        store = std::make_unique<Store>(Services{http, clock, settings, loginItem, urlOpener, clipboardToUse,
                                                 sounds, tokens, server.url(), webUrl},
                                        options);
        return *store;
    }

    /// Ends every request in flight and lets the waiting operations finish before the Store goes.
    void stop()
    {
        if (!store)
            return;
        http.abortAll();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        store.reset();
    }

    TempXdg xdg;
    TokenStore tokens;
    ScriptedServer server;
    QnamHttp http;
    FakeClock clock;
    FakeSettings settings;
    FakeLoginItem loginItem;
    FakeUrlOpener urlOpener;
    FakeClipboard clipboard;
    FakeSounds sounds;
    StoreOptions options;
    std::unique_ptr<Store> store;
};
