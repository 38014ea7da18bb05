#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

/// Desktop notifications through the freedesktop notification service
/// (org.freedesktop.Notifications on the session bus). Each notification is known by a key of the
/// caller's choosing. Before every notification the service's capabilities are read: without
/// "actions" the notification goes out without buttons, without "body-markup" the body is sent as
/// plain text. When no service answers, nothing is shown and the failure is logged once.
class DesktopNotifications : public QObject
{
    Q_OBJECT

public:
    /// The action a click on the notification itself invokes.
    static inline const QString DefaultAction = QStringLiteral("default");

    explicit DesktopNotifications(QDBusConnection bus, QObject *parent = nullptr);

    /// Shows a notification; `buttons` are action key and label pairs, offered only when the
    /// service supports actions (the default action goes with them). Replaces an open notification
    /// of the same key.
    void show(const QString &key, const QString &summary, const QString &body,
              const QList<std::pair<QString, QString>> &buttons);
    /// Closes the open notification of `key`, if any.
    void withdraw(const QString &key);
    /// Whether a notification of `key` is shown and not yet closed.
    bool isOpen(const QString &key) const;

Q_SIGNALS:
    /// The user chose an action (`DefaultAction` for a click on the notification).
    void actionInvoked(const QString &key, const QString &action);

private Q_SLOTS:
    void onActionInvoked(uint id, const QString &action);
    void onClosed(uint id, uint reason);

private:
    void notify(const QString &key, const QString &summary, const QString &body,
                const QList<std::pair<QString, QString>> &buttons, const QStringList &capabilities);
    void serviceFailed(const QString &message);

    QDBusConnection m_bus;
    QHash<uint, QString> m_open; ///< service id -> key
    bool m_failureLogged = false;
};
