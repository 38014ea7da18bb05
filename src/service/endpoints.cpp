#include "service/endpoints.h"

#include <QStringList>

namespace {

QUrl fromEnvironment(const char *name, const char *fallback)
{
    const QString value = qEnvironmentVariable(name);
    return QUrl(value.isEmpty() ? QString::fromUtf8(fallback) : value);
}

} // namespace

QUrl Endpoints::apiBase()
{
    return fromEnvironment("VESK_BASE_URL", VESK_API_BASE_DEFAULT);
}

QUrl Endpoints::webUrl()
{
    return fromEnvironment("VESK_WEB_URL", VESK_WEB_URL_DEFAULT);
}

QUrl Endpoints::append(const QUrl &base, const QString &path)
{
    // A segment of one or two dots would be folded away on the way out ("meetings/../draft" is
    // "draft"), and no encoding survives: the URL layer decodes "%2E" back into a dot. Such a path
    // is refused, so a request meant for one meeting never reaches another address.
    const QStringList segments = path.split(u'/');
    for (const QString &segment : segments) {
        if (segment == QStringLiteral(".") || segment == QStringLiteral(".."))
            return QUrl();
    }
    QUrl url = base;
    QString joined = base.path(QUrl::FullyDecoded);
    if (!joined.endsWith(u'/'))
        joined += u'/';
    joined += path;
    url.setPath(joined, QUrl::DecodedMode);
    return url;
}
