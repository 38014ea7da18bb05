#include "platform/loginitem.h"
#include "platform/settings.h"
#include "platform/urlopener.h"
#include "service/tokenstore.h"
#include "state/store.h"

#include <QUuid>

namespace {

const QString kPendingConnectState = QStringLiteral("pendingConnectState");
const QString kDidSetLoginDefault = QStringLiteral("didSetLoginDefault");

} // namespace

void Store::setToken(const QString &token)
{
    const QString trimmed = token.trimmed();
    m_services.tokens.save(trimmed.isEmpty() ? std::nullopt : std::optional<QString>(trimmed));
    setHasToken(m_services.tokens.load().has_value());
    refresh();
}

void Store::signOut()
{
    m_services.tokens.save(std::nullopt);
    setHasToken(false);
    setMeetings({});
}

QString Store::makeConnectState()
{
    const QString first = QUuid::createUuid().toString(QUuid::WithoutBraces).remove(u'-').toUpper();
    const QString second = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().left(8);
    return first + second;
}

void Store::signInWithBrowser()
{
    const QString state = makeConnectState();
    m_services.settings.setValue(kPendingConnectState, state);
    QUrl target(m_services.webUrl.toString(QUrl::StripTrailingSlash) + QStringLiteral("/mac/connect?state=") +
                state);
    m_services.urlOpener.open(target);
}

void Store::toggleLogin()
{
    if (m_openAtLogin)
        m_services.loginItem.unregisterItem();
    else
        m_services.loginItem.registerItem();
    setOpenAtLogin(m_services.loginItem.status() == LoginItem::Status::Enabled);
}

void Store::runFirstLaunchLoginStep()
{
    if (m_services.settings.value(kDidSetLoginDefault).toBool())
        return;
    m_services.loginItem.registerItem();
    m_services.settings.setValue(kDidSetLoginDefault, true);
    setOpenAtLogin(m_services.loginItem.status() == LoginItem::Status::Enabled);
}
