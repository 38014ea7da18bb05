#pragma once

#include "platform/qnamhttp.h"
#include "service/tokenstore.h"
#include "state/store.h"

#include "support/fakeplatform.h"
#include "support/scriptedserver.h"
#include "support/testenv.h"

#include <QJsonDocument>
#include <QTest>

#include <memory>

/// A Store on the real HTTP stack against a scripted server, with private XDG folders and recording
/// desktop doubles. The start-up feed load and update check are answered 404 unless scripted.
struct ActionsHarness
{
    explicit ActionsHarness(bool withToken = true, Clipboard *realClipboard = nullptr)
    {
        TokenStore::save(withToken ? std::optional<QString>(QStringLiteral("vesk_test")) : std::nullopt);
        settings.values.insert(QStringLiteral("didSetLoginDefault"), true);
        clipboardInUse = realClipboard ? realClipboard : &clipboard;
    }

    /// Creates the Store; call after scripting the start-up answers the test cares about.
    Store &start()
    {
        store = std::make_unique<Store>(Services{http, clock, settings, loginItem, urlOpener, *clipboardInUse,
                                                 sounds, server.url(), server.url()});
        return *store;
    }

    ~ActionsHarness()
    {
        http.abortAll();
        store.reset();
    }

    TempXdg xdg;
    ScriptedServer server;
    QnamHttp http;
    FakeClock clock;
    FakeSettings settings;
    FakeLoginItem loginItem;
    FakeUrlOpener urlOpener;
    FakeClipboard clipboard;
    FakeSounds sounds;
    Clipboard *clipboardInUse = nullptr;
    std::unique_ptr<Store> store;
};

inline QByteArray jsonBytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

inline QJsonObject jsonOf(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}
