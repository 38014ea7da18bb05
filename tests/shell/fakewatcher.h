#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QVariantMap>

/// A stand-in for the desktop's watcher and host, on a bus connection of its own.
class FakeWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")

public:
    FakeWatcher()
        : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                     u"fake-watcher-%1"_qs.arg(++s_count)))
    {
        m_connection.registerObject(u"/StatusNotifierWatcher"_qs, this, QDBusConnection::ExportAllSlots);
    }
    ~FakeWatcher() override
    {
        m_connection.unregisterObject(u"/StatusNotifierWatcher"_qs);
        vanish();
        QDBusConnection::disconnectFromBus(m_connection.name());
    }
    bool appear() { return m_connection.registerService(u"org.kde.StatusNotifierWatcher"_qs); }
    bool vanish() { return m_connection.unregisterService(u"org.kde.StatusNotifierWatcher"_qs); }

    /// Calls a method of the item without blocking this thread, which also serves the item.
    QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = m_connection.asyncCall(message);
        QElapsedTimer waited;
        waited.start();
        while (!pending.isFinished() && waited.elapsed() < 5000)
            QTest::qWait(5);
        return pending.reply();
    }
    QVariantMap itemProperties(const QString &service)
    {
        const QDBusMessage reply =
            call(service, u"/StatusNotifierItem"_qs, u"org.freedesktop.DBus.Properties"_qs, u"GetAll"_qs,
                 {u"org.kde.StatusNotifierItem"_qs});
        return reply.type() == QDBusMessage::ReplyMessage ? qdbus_cast<QVariantMap>(reply.arguments().at(0))
                                                          : QVariantMap();
    }
    bool listen(const QString &service, const QString &path, const QString &interface, const QString &name,
                const char *slot)
    {
        return m_connection.connect(service, path, interface, name, this, slot);
    }

    QStringList registrations;
    QStringList labels;
    int titleSignals = 0;
    int toolTipSignals = 0;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString &service) { registrations << service; }
    void onLabel(const QString &label, const QString &) { labels << label; }
    void onTitle() { ++titleSignals; }
    void onToolTip() { ++toolTipSignals; }

private:
    static inline int s_count = 0;
    QDBusConnection m_connection;
};
