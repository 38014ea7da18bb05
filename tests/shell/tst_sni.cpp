#include "fakewatcher.h"
#include "platform/snitypes.h"
#include "platform/statusnotifieritem.h"
#include "shell/trayicon.h"
#include "support/testenv.h"
#include "views/ghostimage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {
const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

// Relative luminance and contrast ratio, as the accessibility guidelines define them.
double luminance(QColor c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour of the most opaque pixel of a host's image.
QColor markColour(const SniPixmap &pixmap)
{
    QColor best(Qt::transparent);
    for (qsizetype i = 0; i + 3 < pixmap.argb.size(); i += 4) {
        const auto *p = reinterpret_cast<const uchar *>(pixmap.argb.constData() + i);
        if (p[0] > best.alpha())
            best = QColor(p[1], p[2], p[3], p[0]);
    }
    return best;
}
} // namespace

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

    void listenToLabel(FakeWatcher &watcher, const QString &service)
    {
        const QString path = QStringLiteral("/StatusNotifierItem");
        QVERIFY(watcher.listen(service, path, ItemInterface, u"XAyatanaNewLabel"_qs,
                               SLOT(onLabel(QString, QString))));
        QVERIFY(watcher.listen(service, path, ItemInterface, u"NewTitle"_qs, SLOT(onTitle())));
        QVERIFY(watcher.listen(service, path, ItemInterface, u"NewToolTip"_qs, SLOT(onToolTip())));
        QVERIFY(watcher.listen(service, path, u"org.freedesktop.DBus.Properties"_qs, u"PropertiesChanged"_qs,
                               SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"dbus-daemon"_qs).isEmpty())
            QSKIP("needs dbus-daemon");
        QVERIFY(startBus());
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(m_busDir.path()) + "/bus");
        QVERIFY(QDBusConnection::sessionBus().isConnected());
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
        QSignalSpy unregistered(&item, &StatusNotifierItem::unregistered);
        QVERIFY(item.start());
        QTRY_COMPARE(watcher.registrations, QStringList{item.serviceName()});
        QTRY_COMPARE(registered.count(), 1);

        QVariantMap properties = watcher.itemProperties(item.serviceName());
        QCOMPARE(properties.value(u"Status"_qs).toString(), u"Active"_qs); // hosts hide a passive item
        QCOMPARE(properties.value(u"Menu"_qs).value<QDBusObjectPath>().path(), u"/MenuBar"_qs);
        QCOMPARE(properties.value(u"XAyatanaLabel"_qs).toString(), u"in 5m"_qs);
        QCOMPARE(properties.value(u"Title"_qs).toString(), u"Vesk \u00b7 in 5m"_qs);
        const SniPixmap pixmap = qdbus_cast<SniPixmaps>(properties.value(u"IconPixmap"_qs)).value(0);
        QCOMPARE(QSize(pixmap.width, pixmap.height), QSize(32, 32));
        QCOMPARE(pixmap.argb.first(4), QByteArray(4, '\0'));                      // the padding row is clear
        QCOMPARE(pixmap.argb.mid(4 * 32 * 4, 4), QByteArray("\xff\x7c\x3a\xed")); // A, R, G, B

        // The label follows the title, and hosts hear of each change once.
        listenToLabel(watcher, item.serviceName());
        item.setTitle(u"in 4m"_qs);
        item.setTitle(u"in 4m"_qs);
        item.setTitle(u"now"_qs);
        QTRY_COMPARE(watcher.labels, (QStringList{u"in 4m"_qs, u"now"_qs}));
        QTRY_COMPARE(watcher.propertyChanges, 2);
        QCOMPARE(watcher.titleSignals, 2);
        QCOMPARE(watcher.toolTipSignals, 2);
        QCOMPARE(qdbus_cast<SniToolTip>(watcher.itemProperties(item.serviceName()).value(u"ToolTip"_qs)).text,
                 u"now"_qs);
        // No title: the icon alone, and the plain name where hosts show a title.
        item.setTitle(QString());
        QTRY_COMPARE(watcher.labels.size(), 3);
        properties = watcher.itemProperties(item.serviceName());
        QCOMPARE(properties.value(u"XAyatanaLabel"_qs).toString(), QString());
        QCOMPARE(properties.value(u"Title"_qs).toString(), u"Vesk"_qs);

        // The watcher restarts: the item registers again.
        QVERIFY(watcher.vanish());
        QTRY_COMPARE(unregistered.count(), 1);
        QVERIFY(watcher.appear());
        QTRY_COMPARE(registered.count(), 2);
        QCOMPARE(watcher.registrations, QStringList(2, item.serviceName()));
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
        QCOMPARE(layout.children.at(2).properties.value(u"label"_qs).toString(), u"Quit Vesk"_qs);

        const QVariant noData = QVariant::fromValue(QDBusVariant(0));
        for (int id : {1, 3}) {
            watcher.call(service, u"/MenuBar"_qs, u"com.canonical.dbusmenu"_qs, u"Event"_qs,
                         {id, u"hovered"_qs, noData, 0u});
            watcher.call(service, u"/MenuBar"_qs, u"com.canonical.dbusmenu"_qs, u"Event"_qs,
                         {id, u"clicked"_qs, noData, 0u});
        }
        QTRY_COMPARE(quit.count(), 1);
        QCOMPARE(open.count(), 1);
    }

    void trayFollowsTheWatcherWithAMarkThatReadsOnAnyPanel()
    {
        TempXdg xdg;
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

        // Hosts draw the icon as they get it: the pixmaps (every size a panel asks for, HiDPI
        // included) hold the mark in a colour that stands out on a dark bar and on a light one.
        // Not installed, the item offers no icon name, so hosts take the pixmaps.
        QVariantMap properties = watcher.itemProperties(tray.statusNotifierItem()->serviceName());
        QCOMPARE(properties.value(u"IconName"_qs).toString(), QString());
        const SniPixmaps pixmaps = qdbus_cast<SniPixmaps>(properties.value(u"IconPixmap"_qs));
        QList<int> sizes;
        for (const SniPixmap &pixmap : pixmaps) {
            QCOMPARE(pixmap.width, pixmap.height);
            QCOMPARE(pixmap.argb.size(), pixmap.width * pixmap.height * 4);
            sizes << pixmap.width;
            const QColor mark = markColour(pixmap);
            QCOMPARE(mark.alpha(), 255);
            QVERIFY2(contrast(mark, QColor(0x2b, 0x30, 0x3b)) >= 3.0, qPrintable(mark.name()));
            QVERIFY2(contrast(mark, QColor(Qt::white)) >= 3.0, qPrintable(mark.name()));
        }
        QCOMPARE(sizes, (QList<int>{16, 22, 24, 32, 44, 48, 64}));

        // Installed, the item names the full-colour tray icon, never a symbolic one.
        const QString icon = xdg.dataHome() + u"/icons/hicolor/scalable/status/vesk-bar-tray.svg"_qs;
        QVERIFY(QDir().mkpath(QFileInfo(icon).absolutePath()));
        QVERIFY(QFile::copy(ghostDrawing(), icon));
        TrayIcon installed;
        installed.start();
        QTRY_VERIFY(installed.statusNotifierItem()->isRegistered());
        properties = watcher.itemProperties(installed.statusNotifierItem()->serviceName());
        QCOMPARE(properties.value(u"IconName"_qs).toString(), u"vesk-bar-tray"_qs);

        QVERIFY(watcher.vanish());
        QTRY_COMPARE(tray.kind(), TrayIcon::Kind::None);
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
