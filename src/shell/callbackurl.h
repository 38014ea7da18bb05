#pragma once

#include <QString>

#include <optional>

/// The token and state a sign-in callback URL carries (vesk://connect?token=…&state=…), read from
/// the raw text as the browser handed it over. Scheme and host are compared exactly as written:
/// QUrl would lower-case both, so it is not used for them.
struct CallbackUrl
{
    std::optional<QString> token; ///< the first "token" item's decoded value; none when absent
    std::optional<QString> state; ///< the first "state" item's decoded value; none when absent

    /// The items of `raw` when its scheme is exactly "vesk" and its host exactly "connect";
    /// nothing otherwise. A query that cannot be read (bad percent-encoding, text that is not
    /// UTF-8, characters a URL may not hold) yields no items.
    static std::optional<CallbackUrl> parse(const QString &raw);

    /// The longest callback text looked at; longer texts are ignored.
    static constexpr qsizetype MaxLength = 8192;
};
