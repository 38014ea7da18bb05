#include "service/endpoints.h"

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
    QUrl url = base;
    QString joined = base.path(QUrl::FullyDecoded);
    if (!joined.endsWith(u'/'))
        joined += u'/';
    joined += path;
    url.setPath(joined, QUrl::DecodedMode);
    return url;
}
