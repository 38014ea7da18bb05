#pragma once

#include <QDateTime>
#include <QString>

/// An instant's local time of day in the user's short style: hours and minutes, never seconds,
/// whatever the locale (the C locale's short style would show seconds). The tray title and the
/// meeting rows both read it, so they follow the same locale: the application's default QLocale.
[[nodiscard]] QString shortTime(const QDateTime &instant);
