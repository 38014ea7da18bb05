#pragma once

#include "model/feed.h"

#include <QByteArray>
#include <QString>

#include <optional>

/// Why a feed did not decode: where (e.g. "meetings[2].startsAt") and what was found there.
struct DecodeError
{
    QString path;
    QString description;
};

struct FeedDecodeResult
{
    std::optional<Feed> feed;
    DecodeError error; ///< meaningful only when feed is empty
};

/// The one feed decoder: strict, all or nothing, on the same JSON reader as every other reply.
/// Unknown keys are ignored; `joinUrl` and `action` may be missing or null; every other key must be
/// present with the right JSON type.
[[nodiscard]] FeedDecodeResult decodeFeed(const QByteArray &body);
