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
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                              u"fake-watcher-%1"_qs.arg(++s_count)))
    {
        m_bus.registerObject(u"/StatusNotifierWatcher"_qs, this, QDBusConnection::ExportAllSlots);
    }
    ~FakeWatcher() override
    {
        m_bus.unregisterObject(u"/StatusNotifierWatcher"_qs);
        vanish();
        QDBusConnection::disconnectFromBus(m_bus.name());
    }
    bool appear() { return m_bus.registerService(u"org.kde.StatusNotifierWatcher"_qs); }
    bool vanish() { return m_bus.unregisterService(u"org.kde.StatusNotifierWatcher"_qs); }

    /// Calls a method of the item without blocking this thread, which also serves the item.
    QDBusMessage call(const QString &service, const QString &method, const QVariantList &arguments = {},
                      const QString &interface = u"org.kde.StatusNotifierItem"_qs,
                      const QString &path = u"/StatusNotifierItem"_qs)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = m_bus.asyncCall(message);
        QElapsedTimer waited;
        waited.start();
        while (!pending.isFinished() && waited.elapsed() < 5000)
            QTest::qWait(5);
        return pending.reply();
    }
    QVariantMap itemProperties(const QString &service)
    {
        const QDBusMessage reply = call(service, u"GetAll"_qs, {u"org.kde.StatusNotifierItem"_qs},
                                        u"org.freedesktop.DBus.Properties"_qs);
        return reply.type() == QDBusMessage::ReplyMessage ? qdbus_cast<QVariantMap>(reply.arguments().at(0))
                                                          : QVariantMap();
    }
    /// Counts the item's announcements of a new label, title and tooltip, and of changed properties.
    bool listen(const QString &service)
    {
        const auto on = [&](const char *name, const char *slot,
                            QString interface = u"org.kde.StatusNotifierItem"_qs) {
            return m_bus.connect(service, u"/StatusNotifierItem"_qs, interface, QString::fromLatin1(name),
                                 this, slot);
        };
        return on("XAyatanaNewLabel", SLOT(onLabel(QString, QString))) && on("NewTitle", SLOT(onTitle())) &&
               on("NewToolTip", SLOT(onToolTip())) &&
               on("PropertiesChanged", SLOT(onProperties()), u"org.freedesktop.DBus.Properties"_qs);
    }

    QStringList registrations;
    QStringList labels;
    int titleSignals = 0;
    int toolTipSignals = 0;
    int propertySignals = 0;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString &service) { registrations << service; }
    void onLabel(const QString &label, const QString &) { labels << label; }
    void onTitle() { ++titleSignals; }
    void onToolTip() { ++toolTipSignals; }
    void onProperties() { ++propertySignals; }

private:
    static inline int s_count = 0;
    QDBusConnection m_bus;
};
