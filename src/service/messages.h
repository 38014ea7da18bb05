#pragma once

#include <QString>

/// The fixed user-facing messages of the service layer.
namespace Messages {

inline QString unreachable()
{
    return QStringLiteral("Couldn't reach Vesk.");
}

inline QString tokenRejected()
{
    return QStringLiteral("Token rejected. Create a new one in Vesk \u2192 Connections.");
}

} // namespace Messages
