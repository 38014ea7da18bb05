#include "platform/urlopener.h"
#include "service/endpoints.h"
#include "state/store.h"

QUrl Store::serviceUrl(const QString &path) const
{
    return path.isEmpty() ? m_services.apiBase : Endpoints::append(m_services.apiBase, path);
}

void Store::openUrl(const QUrl &url)
{
    if (url.isValid())
        m_services.urlOpener.open(url);
}
