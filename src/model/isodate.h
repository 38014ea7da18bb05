#pragma once

#include <QDateTime>
#include <QStringView>

#include <optional>

/// Parses an internet date-time "yyyy-MM-ddTHH:mm:ss[.fff…](Z|±hh:mm)": the form with a fraction of
/// a second first, then the form without. Anything else yields nothing.
[[nodiscard]] std::optional<QDateTime> parseInternetDateTime(QStringView text);

/// Formats an instant as an internet date-time in UTC, with milliseconds when it has any.
[[nodiscard]] QString formatInternetDateTime(const QDateTime &instant);
