#include "platform/snitypes.h"
#include "platform/statusnotifieritem.h"
#include "shell/trayicon.h"

#include "fakewatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

} // namespace

class TestSni : public QObject
{
    Q_OBJECT

private:
    static SniPixmaps solidPixmaps()
    {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(QColor(0x7c, 0x3a, 0xed));
        QImage wide(32, 24, QImage::Format_ARGB32); // not square: hosts get a square
        wide.fill(QColor(0x7c, 0x3a, 0xed));
        return {toSniPixmap(image), toSniPixmap(wide)};
    }

    void listenToLabel(FakeWatcher &watcher, const QString &service)
    {
        const QString path = QStringLiteral("/StatusNotifierItem");
        QVERIFY(watcher.listen(service, path, ItemInterface, u"XAyatanaNewLabel"_qs, SLOT(onLabel(QString, QString))));
        QVERIFY(watcher.listen(service, path, ItemInterface, u"NewTitle"_qs, SLOT(onTitle())));
        QVERIFY(watcher.listen(service, path, ItemInterface, u"NewToolTip"_qs, SLOT(onToolTip())));
        QVERIFY(watcher.listen(service, path, u"org.freedesktop.DBus.Properties"_qs, u"PropertiesChanged"_qs,
                               SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("needs a session bus (run inside dbus-run-session)");
    }

    void registersAndExportsItsProperties()
    {
        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        StatusNotifierItem item;
        item.setTitle(u"in 5m"_qs);
        item.setIcon(QString(), solidPixmaps());
        QSignalSpy registered(&item, &StatusNotifierItem::registered);
        QVERIFY(item.start());
        QTRY_COMPARE(watcher.registrations, QStringList{item.serviceName()});
        QTRY_COMPARE(registered.count(), 1);

        const QVariantMap properties = watcher.itemProperties(item.serviceName());
        QCOMPARE(properties.value(u"Id"_qs).toString(), u"vesk-bar"_qs);
        QCOMPARE(properties.value(u"Menu"_qs).value<QDBusObjectPath>().path(), u"/MenuBar"_qs);
        QCOMPARE(properties.value(u"Category"_qs).toString(), u"ApplicationStatus"_qs);
        QCOMPARE(properties.value(u"Status"_qs).toString(), u"Active"_qs);
        QCOMPARE(properties.value(u"ItemIsMenu"_qs).toBool(), false);
        QCOMPARE(properties.value(u"XAyatanaLabel"_qs).toString(), u"in 5m"_qs);
        QCOMPARE(properties.value(u"Title"_qs).toString(), u"Vesk \u00b7 in 5m"_qs);
        const SniToolTip toolTip = qdbus_cast<SniToolTip>(properties.value(u"ToolTip"_qs));
        QCOMPARE(toolTip.title, u"Vesk"_qs);
        QCOMPARE(toolTip.text, u"in 5m"_qs);
        const SniPixmaps pixmaps = qdbus_cast<SniPixmaps>(properties.value(u"IconPixmap"_qs));
        QCOMPARE(pixmaps.size(), 2);
        QCOMPARE(pixmaps.at(0).width, 16);
        QCOMPARE(pixmaps.at(0).argb.size(), 16 * 16 * 4);
        QCOMPARE(pixmaps.at(0).argb.first(4), QByteArray("\xff\x7c\x3a\xed")); // A, R, G, B
        QCOMPARE(pixmaps.at(1).width, 32);
        QCOMPARE(pixmaps.at(1).height, 32);
        QCOMPARE(pixmaps.at(1).argb.first(4), QByteArray(4, '\0')); // the padding row is clear
        QCOMPARE(pixmaps.at(1).argb.mid(4 * 32 * 4, 4), QByteArray("\xff\x7c\x3a\xed"));
    }

    void labelFollowsTheTitleOnlyWhenItChanges()
    {
        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        StatusNotifierItem item;
        QVERIFY(item.start());
        QTRY_VERIFY(item.isRegistered());
        listenToLabel(watcher, item.serviceName());

        item.setTitle(u"in 4m"_qs);
        QTRY_COMPARE(watcher.labels, QStringList{u"in 4m"_qs});
        item.setTitle(u"in 4m"_qs); // the same text: hosts hear nothing
        item.setTitle(u"now"_qs);
        QTRY_COMPARE(watcher.labels, (QStringList{u"in 4m"_qs, u"now"_qs}));
        QTRY_COMPARE(watcher.propertyChanges, 2);
        QCOMPARE(watcher.titleSignals, 2);
        QCOMPARE(watcher.toolTipSignals, 2);
        QVariantMap properties = watcher.itemProperties(item.serviceName());
        QCOMPARE(properties.value(u"XAyatanaLabel"_qs).toString(), u"now"_qs);
        QCOMPARE(qdbus_cast<SniToolTip>(properties.value(u"ToolTip"_qs)).text, u"now"_qs);

        // No title: the icon alone, and the plain name where hosts show a title.
        item.setTitle(QString());
        QTRY_COMPARE(watcher.labels.size(), 3);
        properties = watcher.itemProperties(item.serviceName());
        QCOMPARE(properties.value(u"XAyatanaLabel"_qs).toString(), QString());
        QCOMPARE(properties.value(u"Title"_qs).toString(), u"Vesk"_qs);
    }

    void clicksAndMenu()
    {
        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        StatusNotifierItem item;
        QVERIFY(item.start());
        QTRY_VERIFY(item.isRegistered());
        QSignalSpy activated(&item, &StatusNotifierItem::activated);
        QSignalSpy open(&item, &StatusNotifierItem::openRequested);
        QSignalSpy quit(&item, &StatusNotifierItem::quitRequested);
        const QString service = item.serviceName();

        watcher.call(service, u"/StatusNotifierItem"_qs, ItemInterface, u"Activate"_qs, {100, 5});
        QTRY_COMPARE(activated.count(), 1);
        QCOMPARE(activated.at(0).at(0).toPoint(), QPoint(100, 5));

        const QDBusMessage layoutReply = watcher.call(service, u"/MenuBar"_qs, u"com.canonical.dbusmenu"_qs,
                                                      u"GetLayout"_qs, {0, -1, QStringList()});
        QCOMPARE(layoutReply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(layoutReply.signature(), u"u(ia{sv}av)"_qs);
        const DBusMenuLayout layout = qdbus_cast<DBusMenuLayout>(layoutReply.arguments().at(1));
        QCOMPARE(layout.children.size(), 3);
        QCOMPARE(layout.children.at(0).properties.value(u"label"_qs).toString(), u"Open Vesk"_qs);
        QCOMPARE(layout.children.at(1).properties.value(u"type"_qs).toString(), u"separator"_qs);
        QCOMPARE(layout.children.at(2).properties.value(u"label"_qs).toString(), u"Quit Vesk"_qs);

        const QVariant noData = QVariant::fromValue(QDBusVariant(0));
        watcher.call(service, u"/MenuBar"_qs, u"com.canonical.dbusmenu"_qs, u"Event"_qs,
                     {1, u"hovered"_qs, noData, 0u});
        watcher.call(service, u"/MenuBar"_qs, u"com.canonical.dbusmenu"_qs, u"Event"_qs,
                     {1, u"clicked"_qs, noData, 0u});
        QTRY_COMPARE(open.count(), 1);
        QCOMPARE(quit.count(), 0);
        watcher.call(service, u"/MenuBar"_qs, u"com.canonical.dbusmenu"_qs, u"Event"_qs,
                     {3, u"clicked"_qs, noData, 0u});
        QTRY_COMPARE(quit.count(), 1);
        QCOMPARE(open.count(), 1);
    }

    void registersAgainWhenTheWatcherComesBack()
    {
        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        StatusNotifierItem item;
        QSignalSpy registered(&item, &StatusNotifierItem::registered);
        QSignalSpy unregistered(&item, &StatusNotifierItem::unregistered);
        QVERIFY(item.start());
        QTRY_COMPARE(registered.count(), 1);

        QVERIFY(watcher.vanish());
        QTRY_COMPARE(unregistered.count(), 1);
        QVERIFY(!item.isRegistered());
        QVERIFY(watcher.appear());
        QTRY_COMPARE(watcher.registrations.size(), 2);
        QTRY_COMPARE(registered.count(), 2);
        QCOMPARE(watcher.registrations.at(1), item.serviceName());
    }

    void trayFollowsTheWatcher()
    {
        // No watcher and (offscreen) no XEmbed tray: nothing to show the item in.
        QVERIFY(!StatusNotifierItem::watcherPresent());
        TrayIcon tray;
        QSignalSpy shown(&tray, &TrayIcon::shown);
        tray.start();
        QCOMPARE(tray.kind(), TrayIcon::Kind::None);
        QCOMPARE(shown.count(), 0);

        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        QTRY_COMPARE(tray.kind(), TrayIcon::Kind::StatusNotifier);
        QCOMPARE(shown.count(), 1);
        QVERIFY(watcher.vanish());
        QTRY_COMPARE(tray.kind(), TrayIcon::Kind::None);
    }
};

QTEST_MAIN(TestSni)
#include "moc_fakewatcher.cpp"
#include "tst_sni.moc"
