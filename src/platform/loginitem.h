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
    /// When the login item is ours but starts another copy of the program, and this process is the
    /// installed program, points the item at this process's program. True when it did.
    virtual bool takeOver() = 0;
};
