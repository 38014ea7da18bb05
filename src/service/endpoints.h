#pragma once

#include <QString>
#include <QUrl>

/// Where the service lives. The build constants can be overridden for development and tests with
/// the environment variables VESK_BASE_URL and VESK_WEB_URL.
namespace Endpoints {

/// The service base URL every request path is appended to.
[[nodiscard]] QUrl apiBase();
/// The service's web address, used for the sign-in page.
[[nodiscard]] QUrl webUrl();
/// `base` with `path` appended as path segments; characters a path may not hold are percent-encoded.
/// Invalid (empty) when a segment is "." or "..", which would take the request elsewhere.
[[nodiscard]] QUrl append(const QUrl &base, const QString &path);

inline constexpr QStringView kToday = u"api/today";
inline constexpr QStringView kMeetings = u"api/app/meetings/";
inline constexpr QStringView kQuickAdd = u"api/app/quick-add";
inline constexpr QStringView kQuickAddCreate = u"api/app/quick-add/create";
inline constexpr QStringView kAvailability = u"api/app/availability";
inline constexpr QStringView kPeople = u"api/app/people";
inline constexpr QStringView kVersionFile = u"download/version.json";

} // namespace Endpoints
