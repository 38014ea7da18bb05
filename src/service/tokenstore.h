#pragma once

#include <QString>

#include <optional>

/// The user's service token: one private file, read through a process-wide cache.
/// Main thread only.
class TokenStore
{
public:
    TokenStore() = delete;

    /// The token file's path ($XDG_DATA_HOME/Vesk/token). Makes sure the folder exists (created
    /// 0700 when missing; an existing folder is left as it is). Empty when there is no data folder.
    static QString file();

    /// The current token, trimmed; nothing when no file, an unreadable file or only white space.
    static std::optional<QString> load();

    /// Stores `token` exactly as given, or removes the stored token when it is absent or empty.
    /// The file is created private (0600) before any byte is written, and replaced atomically, so a
    /// failed write keeps the previous token. Returns whether the disk now holds what was asked for.
    static bool save(const std::optional<QString> &token);
};
