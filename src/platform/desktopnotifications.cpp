#include "platform/desktopnotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcNotifications, "vesk.notifications")

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage methodCall(const QString &method)
{
    return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

} // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onClosed(uint, uint)));
}

void DesktopNotifications::show(const QString &key, const QString &summary, const QString &body,
                                const QList<std::pair<QString, QString>> &buttons)
{
    if (!m_bus.isConnected()) {
        serviceFailed(QStringLiteral("no session bus"));
        return;
    }
    auto *watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(methodCall(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [=, this] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (reply.isError()) {
            serviceFailed(reply.error().message());
            return;
        }
        notify(key, summary, body, buttons, reply.value());
    });
}

void DesktopNotifications::notify(const QString &key, const QString &summary, const QString &body,
                                  const QList<std::pair<QString, QString>> &buttons,
                                  const QStringList &capabilities)
{
    QStringList actions;
    if (capabilities.contains(u"actions")) {
        actions << DefaultAction << QStringLiteral("Open");
        for (const auto &[action, label] : buttons)
            actions << action << label;
    }
    const QString text = capabilities.contains(u"body-markup") ? body.toHtmlEscaped() : body;
    const uint replaces = m_open.key(key, 0);
    QDBusMessage call = methodCall(QStringLiteral("Notify"));
    call << QStringLiteral("Vesk Bar") << replaces << QStringLiteral("vesk-bar") << summary << text << actions
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("vesk-bar")},
                        {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}}
         << 0; // stays until it is acted on or withdrawn
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, key, replaces] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError()) {
            serviceFailed(reply.error().message());
            return;
        }
        m_open.remove(replaces);
        m_open.insert(reply.value(), key);
    });
}

void DesktopNotifications::withdraw(const QString &key)
{
    const uint id = m_open.key(key, 0);
    if (id == 0)
        return;
    m_open.remove(id);
    QDBusMessage call = methodCall(QStringLiteral("CloseNotification"));
    call << id;
    m_bus.asyncCall(call);
}

bool DesktopNotifications::isOpen(const QString &key) const
{
    return m_open.key(key, 0) != 0;
}

void DesktopNotifications::onActionInvoked(uint id, const QString &action)
{
    const auto it = m_open.constFind(id);
    if (it == m_open.cend())
        return; // another application's notification
    const QString key = *it;
    // Acting on a notification ends it; some services close it themselves, some do not.
    m_open.erase(it);
    Q_EMIT actionInvoked(key, action);
}

void DesktopNotifications::onClosed(uint id, uint)
{
    m_open.remove(id);
}

void DesktopNotifications::serviceFailed(const QString &message)
{
    if (m_failureLogged)
        return;
    m_failureLogged = true;
    qCInfo(lcNotifications, "no desktop notifications: %s", qPrintable(message));
}
