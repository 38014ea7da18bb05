#include "platform/desktopnotifications.h"
#include "state/headsup.h"
#include "state/storeharness.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

const QString Service = u"org.freedesktop.Notifications"_s;
const QString ServicePath = u"/org/freedesktop/Notifications"_s;

/// A notification service on its own connection to the session bus, recording every call.
class FakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        uint id;
        QString appName, summary, body;
        QStringList actions;
    };

    FakeNotificationService()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"fake-notifications"_s))
    {
        m_bus.registerObject(ServicePath, this, QDBusConnection::ExportAllSlots);
        m_bus.registerService(Service);
    }
    ~FakeNotificationService() override { QDBusConnection::disconnectFromBus(u"fake-notifications"_s); }

    /// What the user does: a click on a button or the notification.
    void invoke(uint id, const QString &action)
    {
        QDBusMessage signal = QDBusMessage::createSignal(ServicePath, Service, u"ActionInvoked"_s);
        m_bus.send(signal << id << action);
    }

    QList<Shown> shown;
    QList<uint> closed;
    QStringList capabilities{u"actions"_s, u"body"_s};

public Q_SLOTS:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString &appName, uint replaces, const QString &, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &, int)
    {
        const uint id = replaces ? replaces : uint(shown.size() + 1);
        shown.append({id, appName, summary, body, actions});
        return id;
    }
    void CloseNotification(uint id) { closed.append(id); }

private:
    QDBusConnection m_bus;
};

/// A Store loaded with `feed` at 10:00 plus the heads-up on the session bus.
struct HeadsUpWorld : StoreHarness
{
    explicit HeadsUpWorld(const QList<Meeting> &feed)
    {
        startLoaded(feed);
        headsUp = std::make_unique<HeadsUp>(*store, clock, notifications);
    }

    /// Moves the clock to `time` today and reloads the feed, as the Store's timer does.
    void at(QTime time, const QList<Meeting> *newFeed = nullptr)
    {
        if (newFeed)
            onFeed().reply(200, feedBody(*newFeed));
        clock.current = QDateTime(clock.current.date(), time);
        store->refresh();
        [&] { QTRY_COMPARE(store->lastUpdated(), clock.current); }();
    }

    DesktopNotifications notifications{QDBusConnection::sessionBus()};
    std::unique_ptr<HeadsUp> headsUp;
};

Meeting call(const QString &id, QTime start, std::optional<QString> join = std::nullopt)
{
    Meeting meeting = meetingAt(id, QDateTime(QDate(2025, 3, 4), start));
    meeting.people = {Person{u"Ana Lima"_s, u"ana@acme.example"_s, u"yes"_s},
                      Person{QString(), u"bo@acme.example"_s, u"no"_s}};
    meeting.joinUrl = std::move(join);
    return meeting;
}

} // namespace

class TestHeadsUp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(Service));
    }

    void announcesAtLeadTimeWithJoinAndOpen()
    {
        FakeNotificationService service;
        const QString link = u"https://meet.example/abc"_s;
        HeadsUpWorld w(
            {call(u"a"_s, QTime(10, 5), link), call(u"b"_s, QTime(10, 30), u"http://meet.example/x"_s)});
        QSignalSpy openPanel(w.headsUp.get(), &HeadsUp::openPanelRequested);
        w.at(QTime(10, 3, 59));
        QTest::qWait(200); // lets D-Bus calls in flight arrive
        QVERIFY(service.shown.isEmpty());
        w.at(QTime(10, 4));
        QTRY_COMPARE(service.shown.size(), 1);
        const auto first = service.shown.first();
        QCOMPARE((QStringList{first.appName, first.summary}), (QStringList{u"Vesk Bar"_s, u"Call a"_s}));
        const QString time = QLocale::system().toString(QTime(10, 5), QLocale::ShortFormat);
        QVERIFY2(first.body.contains(time) && first.body.contains(u"Ana Lima, bo@acme.example"),
                 qPrintable(first.body));
        QCOMPARE(first.actions, (QStringList{u"default"_s, u"Open"_s, u"join"_s, u"Join"_s}));
        // "Join" opens the link; a notification acted on is not withdrawn at the start.
        service.invoke(first.id, u"join"_s);
        QTRY_COMPARE(w.urlOpener.opened, QList<QUrl>{QUrl(link)});
        w.at(QTime(10, 5));
        QTest::qWait(200);
        QVERIFY(service.closed.isEmpty());
        // An http link gets no button; the default action asks for the panel.
        w.at(QTime(10, 29, 30));
        QTRY_COMPARE(service.shown.size(), 2);
        QCOMPARE(service.shown.at(1).actions, (QStringList{u"default"_s, u"Open"_s}));
        service.invoke(service.shown.at(1).id, u"default"_s);
        QTRY_COMPARE(openPanel.size(), 1);
        QCOMPARE(w.urlOpener.opened.size(), 1);
    }

    // A service that cannot show buttons gets none; one that reads markup gets the body escaped.
    void followsTheServiceCapabilities()
    {
        FakeNotificationService service;
        service.capabilities = {u"body"_s, u"body-markup"_s};
        Meeting meeting = call(u"a"_s, QTime(10, 5), u"https://meet.example/abc"_s);
        meeting.people = {Person{u"Ana <Lima> & Co"_s, u"ana@acme.example"_s, u"yes"_s}};
        HeadsUpWorld w({meeting});
        w.at(QTime(10, 4));
        QTRY_COMPARE(service.shown.size(), 1);
        QCOMPARE(service.shown[0].actions, QStringList());
        QVERIFY2(service.shown[0].body.contains(u"Ana &lt;Lima&gt; &amp; Co"),
                 qPrintable(service.shown[0].body));
    }

    // Never for a meeting already started; once for each start time; withdrawn at the start or on
    // signing out when not acted on. The lead time goes off, 1, 5, 10 minutes in turn (a stored value
    // that is none of them reads as 1) and a new one applies at once.
    void onceForEachStartAndWithdrawnWhenUnacted()
    {
        FakeNotificationService service;
        HeadsUpWorld w({call(u"started"_s, QTime(9, 59)), call(u"a"_s, QTime(10, 5))});
        w.settings.values.insert(u"headsUpMinutes"_s, 7);
        const auto cycle = [&](int times) {
            while (times--)
                w.store->cycleHeadsUp();
            return w.settings.values.value(u"headsUpMinutes"_s).toInt();
        };
        QCOMPARE(cycle(2), 10);
        QTRY_COMPARE(service.shown.size(), 1);
        QCOMPARE(service.shown[0].summary, u"Call a"_s);
        w.at(QTime(10, 4, 40)); // a reload does not repeat it
        w.at(QTime(10, 5));
        QTRY_COMPARE(service.closed, QList<uint>{service.shown[0].id});
        QCOMPARE(service.shown.size(), 1);
        QCOMPARE(cycle(2), 1);
        const QList<Meeting> moved{call(u"a"_s, QTime(10, 20))};
        w.at(QTime(10, 10), &moved); // a new start: announced again at its lead time
        QTest::qWait(200);
        QCOMPARE(service.shown.size(), 1);
        QCOMPARE(cycle(2), 10);
        QTRY_COMPARE(service.shown.size(), 2);
        w.store->signOut();
        QTRY_COMPARE(service.closed, (QList<uint>{service.shown[0].id, service.shown[1].id}));
    }
};

VESK_TEST_MAIN_IN_BERLIN(TestHeadsUp)

#include "tst_headsup.moc"
