#include "platform/urlopener.h"
#include "service/endpoints.h"
#include "state/store.h"

#include <QHostAddress>

QUrl Store::serviceUrl(const QString &path) const
{
    return path.isEmpty() ? m_services.apiBase : Endpoints::append(m_services.apiBase, path);
}

bool Store::isOpenable(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme();
    if (scheme == u"https")
        return !url.host().isEmpty();
    if (scheme == u"mailto")
        return true;
    // Plain HTTP only towards a service on this computer (a development or test service).
    if (scheme == u"http") {
        const QString host = url.host();
        return host == u"localhost" || QHostAddress(host).isLoopback();
    }
    return false;
}

void Store::openUrl(const QUrl &url)
{
    if (isOpenable(url))
        m_services.urlOpener.open(url);
}
