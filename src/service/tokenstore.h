#pragma once

#include <QString>

#include <optional>

/// The user's service token: one private file, read through this object's cache. The composition
/// root owns one and hands it to everything that needs the token. Main thread only.
class TokenStore
{
public:
    /// A token file larger than this holds no token: tokens are far shorter.
    static constexpr qint64 kMaxFileBytes = 512;

    /// The token file's path ($XDG_DATA_HOME/Vesk/token). Makes sure the folder exists (created
    /// 0700 when missing; an existing folder is left as it is). Empty when there is no data folder.
    static QString file();

    /// Whether `token` may be sent: not empty, and no control character anywhere in it (a CR, LF or
    /// NUL would end up inside the request header). Every way a token comes in applies this rule.
    static bool isUsable(const QString &token);

    /// The current token, trimmed; nothing when there is no file, the file is not a regular file of
    /// at most kMaxFileBytes, is not UTF-8, holds only white space or fails isUsable().
    std::optional<QString> load();

    /// Stores `token` exactly as given, or removes the stored token when it is absent or empty. A
    /// token that fails isUsable() is not written, and the stored one stays. The file is created
    /// private (0600) before any byte is written, and replaced atomically, so a failed write keeps
    /// the previous token. Returns whether the disk now holds what was asked for.
    bool save(const std::optional<QString> &token);

private:
    // Not loaded (empty), loaded without a token (holds nullopt), or loaded with a token.
    std::optional<std::optional<QString>> m_cache;
};
