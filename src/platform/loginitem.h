#pragma once

/// Whether the application starts at the user's login (an XDG autostart entry on Linux).
class LoginItem
{
public:
    enum class Status
    {
        NotRegistered,
        Enabled,
        RequiresApproval,
        NotFound
    };

    virtual ~LoginItem() = default;
    /// Registers the login item; false when that failed.
    virtual bool registerItem() = 0;
    /// Removes the login item; false when that failed.
    virtual bool unregisterItem() = 0;
    virtual Status status() const = 0;
};
