#include "fakewatcher.h"
#include "platform/snitypes.h"
#include "platform/statusnotifieritem.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSni : public QObject
{
    Q_OBJECT

private:
    // The tests run on a session bus of their own, so one of them can restart it.
    QTemporaryDir m_busDir;
    QProcess m_bus;

    bool startBus()
    {
        m_bus.start(u"dbus-daemon"_qs, {u"--session"_qs, u"--nofork"_qs, u"--print-address=1"_qs,
                                        u"--address=unix:path="_qs + m_busDir.path() + u"/bus"_qs});
        return m_bus.waitForStarted() && m_bus.waitForReadyRead(5000) && m_bus.readLine().startsWith("unix:");
    }

    void stopBus()
    {
        m_bus.terminate();
        m_bus.waitForFinished();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(startBus());
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(m_busDir.path()) + "/bus");
    }

    void cleanupTestCase() { stopBus(); }

    void registersFollowsTheTitleAndRegistersAgain()
    {
        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        StatusNotifierItem item;
        item.setTitle(u"in 5m"_qs);
        QImage wide(32, 24, QImage::Format_ARGB32); // not square: hosts get a square
        wide.fill(QColor(0x7c, 0x3a, 0xed));
        item.setIcon(QString(), {toSniPixmap(wide)});
        QSignalSpy registered(&item, &StatusNotifierItem::registered);
        QVERIFY(item.start());
        const QString service = item.serviceName();
        QTRY_COMPARE(registered.count(), 1);
        QCOMPARE(watcher.registrations, QStringList{service});

        QVariantMap properties = watcher.itemProperties(service);
        QCOMPARE(properties.value(u"Status"_qs).toString(), u"Active"_qs); // hosts hide a passive item
        QCOMPARE(properties.value(u"XAyatanaLabel"_qs).toString(), u"in 5m"_qs);
        QCOMPARE(properties.value(u"Title"_qs).toString(), u"Vesk \u00b7 in 5m"_qs);
        const SniPixmap pixmap = qdbus_cast<SniPixmaps>(properties.value(u"IconPixmap"_qs)).value(0);
        QCOMPARE(QSize(pixmap.width, pixmap.height), QSize(32, 32));
        QCOMPARE(pixmap.argb.first(4), QByteArray(4, '\0'));                      // the padding row is clear
        QCOMPARE(pixmap.argb.mid(4 * 32 * 4, 4), QByteArray("\xff\x7c\x3a\xed")); // A, R, G, B

        // The label, title and tooltip follow the title, and hosts hear of each change once.
        QVERIFY(watcher.listen(service));
        for (const QString &title : {u"in 4m"_qs, u"in 4m"_qs, u"now"_qs})
            item.setTitle(title);
        QTRY_COMPARE(watcher.labels, (QStringList{u"in 4m"_qs, u"now"_qs}));
        QTRY_COMPARE(watcher.propertySignals, 2); // sent last; GNOME's extension listens for these
        QCOMPARE(watcher.titleSignals, 2);
        QCOMPARE(watcher.toolTipSignals, 2);
        QCOMPARE(qdbus_cast<SniToolTip>(watcher.itemProperties(service).value(u"ToolTip"_qs)).text,
                 u"now"_qs);
        // No title: the icon alone, and the plain name where hosts show a title.
        item.setTitle(QString());
        QTRY_COMPARE(watcher.labels.size(), 3);
        properties = watcher.itemProperties(service);
        QCOMPARE(properties.value(u"XAyatanaLabel"_qs).toString(), QString());
        QCOMPARE(properties.value(u"Title"_qs).toString(), u"Vesk"_qs);

        // The menu: its third entry quits, its first opens the panel.
        QSignalSpy open(&item, &StatusNotifierItem::openRequested);
        QSignalSpy quit(&item, &StatusNotifierItem::quitRequested);
        const QString menu = u"com.canonical.dbusmenu"_qs;
        const QDBusMessage reply =
            watcher.call(service, u"GetLayout"_qs, {0, -1, QStringList()}, menu, u"/MenuBar"_qs);
        const DBusMenuLayout layout = qdbus_cast<DBusMenuLayout>(reply.arguments().value(1));
        QCOMPARE(layout.children.size(), 3);
        QCOMPARE(layout.children.at(2).properties.value(u"label"_qs).toString(), u"Quit Vesk"_qs);
        for (int id : {1, 3})
            watcher.call(service, u"Event"_qs, {id, u"clicked"_qs, QVariant::fromValue(QDBusVariant(0)), 0u},
                         menu, u"/MenuBar"_qs);
        QTRY_COMPARE(quit.count(), 1);
        QCOMPARE(open.count(), 1);

        // The watcher restarts: the item registers again.
        QVERIFY(watcher.vanish());
        QVERIFY(watcher.appear());
        QTRY_COMPARE(registered.count(), 2);
        QCOMPARE(watcher.registrations, QStringList(2, service));
    }

    // Last: the process-wide session-bus connection stays with the stopped bus.
    void comesBackAfterTheSessionBusRestarts()
    {
        StatusNotifierItem item;
        QSignalSpy registered(&item, &StatusNotifierItem::registered);
        QSignalSpy unregistered(&item, &StatusNotifierItem::unregistered);
        {
            FakeWatcher watcher;
            QVERIFY(watcher.appear());
            QVERIFY(item.start());
            QTRY_COMPARE(registered.count(), 1);
            stopBus();
            QTRY_COMPARE(unregistered.count(), 1);
        }
        QVERIFY(startBus());
        FakeWatcher watcher;
        QVERIFY(watcher.appear());
        QTRY_COMPARE_WITH_TIMEOUT(registered.count(), 2, 10000);
        QCOMPARE(watcher.registrations, QStringList{item.serviceName()});
        item.setTitle(u"in 3m"_qs);
        QCOMPARE(watcher.itemProperties(item.serviceName()).value(u"XAyatanaLabel"_qs).toString(),
                 u"in 3m"_qs);
    }
};

QTEST_MAIN(TestSni)
#include "moc_fakewatcher.cpp"
#include "tst_sni.moc"
