#pragma once

#include "platform/qnamhttp.h"
#include "service/tokenstore.h"
#include "state/store.h"
#include "support/storeworld.h"

#include <QJsonDocument>
#include <QTest>

#include <memory>

/// The Store world with a token stored (or not) and, when given, a real clipboard in place of the
/// recording double.
struct ActionsHarness : StoreWorld
{
    explicit ActionsHarness(bool withToken = true, Clipboard *realClipboard = nullptr)
        : clipboardInUse(realClipboard ? realClipboard : &clipboard)
    {
        tokens.save(withToken ? std::optional<QString>(QStringLiteral("vesk_test")) : std::nullopt);
    }

    /// Creates the Store; call after scripting the start-up answers the test cares about.
    Store &start() { return makeStore(*clipboardInUse, server.url()); }

    Clipboard *clipboardInUse = nullptr;
};

inline QByteArray jsonBytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

inline QJsonObject jsonOf(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}
