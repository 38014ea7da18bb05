#include "platform/desktopnotifications.h"
#include "state/headsup.h"
#include "state/storeharness.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>

#include <ctime>

using namespace Qt::StringLiterals;

namespace {

const QString NotificationsName = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

/// A notification service on its own connection to the session bus, recording every call.
class FakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        uint id;
        QString appName;
        uint replaces;
        QString summary;
        QString body;
        QStringList actions;
    };

    explicit FakeNotificationService(QStringList capabilities)
        : m_capabilities(std::move(capabilities))
        , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                              QStringLiteral("fake-notifications")))
    {
        m_bus.registerObject(NotificationsPath, this, QDBusConnection::ExportAllSlots);
        m_registered = m_bus.registerService(NotificationsName);
    }
    ~FakeNotificationService() override
    {
        m_bus.unregisterService(NotificationsName);
        m_bus.unregisterObject(NotificationsPath);
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-notifications"));
    }
    bool registered() const { return m_registered; }

    /// What the user does: a click on a button or the notification.
    void invoke(uint id, const QString &action)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal(NotificationsPath, NotificationsName, QStringLiteral("ActionInvoked"));
        signal << id << action;
        m_bus.send(signal);
    }

    QList<Shown> shown;
    QList<uint> closed;

public Q_SLOTS:
    QStringList GetCapabilities() { return m_capabilities; }
    uint Notify(const QString &appName, uint replaces, const QString &, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &, int)
    {
        const uint id = replaces ? replaces : uint(shown.size() + 1);
        shown.append({id, appName, replaces, summary, body, actions});
        return id;
    }
    void CloseNotification(uint id) { closed.append(id); }

private:
    QStringList m_capabilities;
    QDBusConnection m_bus;
    bool m_registered = false;
};

const QStringList Capabilities{QStringLiteral("actions"), QStringLiteral("body")};

/// A Store loaded with `feed` at 10:00 plus the heads-up on the session bus.
struct HeadsUpWorld : StoreHarness
{
    explicit HeadsUpWorld(const QList<Meeting> &feed)
    {
        saveToken();
        onFeed().reply(200, feedBody(feed));
        Store &store = start();
        [&] { QTRY_VERIFY(store.lastUpdated().isValid()); }();
        headsUp = std::make_unique<HeadsUp>(store, clock, notifications);
    }
    ~HeadsUpWorld() { headsUp.reset(); }

    /// Moves the clock to `time` today and reloads the feed, as the Store's timer does.
    void at(QTime time, const QList<Meeting> *newFeed = nullptr)
    {
        if (newFeed)
            onFeed().reply(200, feedBody(*newFeed));
        clock.current = QDateTime(clock.current.date(), time);
        const QDateTime before = store->lastUpdated();
        store->refresh();
        QTRY_VERIFY(store->lastUpdated() != before);
    }

    DesktopNotifications notifications{QDBusConnection::sessionBus()};
    std::unique_ptr<HeadsUp> headsUp;
};

Meeting withPeople(Meeting meeting, std::optional<QString> join)
{
    meeting.people = {
        Person{QStringLiteral("Ana Lima"), QStringLiteral("ana@acme.example"), QStringLiteral("yes")},
        Person{QString(), QStringLiteral("bo@acme.example"), QStringLiteral("no")}};
    meeting.joinUrl = std::move(join);
    return meeting;
}

QDateTime today(QTime time)
{
    return QDateTime(QDate(2025, 3, 4), time);
}

// Lets D-Bus calls and signals in flight arrive.
void settle()
{
    for (int i = 0; i < 20; ++i)
        QTest::qWait(10);
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
        QVERIFY2(!QDBusConnection::sessionBus().interface()->isServiceRegistered(NotificationsName),
                 "a notification service already runs on this bus");
    }

    void announcesAtLeadTimeWithJoinAndOpen()
    {
        FakeNotificationService service(Capabilities);
        QVERIFY(service.registered());
        const QString link = QStringLiteral("https://meet.example/abc");
        HeadsUpWorld w({withPeople(meetingAt(QStringLiteral("a"), today(QTime(10, 5))), link),
                        withPeople(meetingAt(QStringLiteral("b"), today(QTime(10, 30))),
                                   QStringLiteral("http://meet.example/plain"))});
        QSignalSpy openPanel(w.headsUp.get(), &HeadsUp::openPanelRequested);

        w.at(QTime(10, 3, 59));
        settle();
        QVERIFY(service.shown.isEmpty());

        w.at(QTime(10, 4));
        QTRY_COMPARE(service.shown.size(), 1);
        const auto first = service.shown.first();
        QCOMPARE(first.appName, u"Vesk Bar");
        QCOMPARE(first.summary, u"Call a");
        QVERIFY2(first.body.contains(QLocale::system().toString(QTime(10, 5), QLocale::ShortFormat)),
                 qPrintable(first.body));
        QVERIFY2(first.body.contains(u"Ana Lima, bo@acme.example"), qPrintable(first.body));
        QCOMPARE(first.actions, (QStringList{u"default"_s, u"Open"_s, u"join"_s, u"Join"_s}));

        // "Join" opens the link; a notification acted on is not withdrawn at the start.
        service.invoke(first.id, QStringLiteral("join"));
        QTRY_COMPARE(w.urlOpener.opened, QList<QUrl>{QUrl(link)});
        w.at(QTime(10, 5));
        settle();
        QVERIFY(service.closed.isEmpty());

        // An http link gets no button; the default action asks for the panel; unacted ones go at the start.
        w.at(QTime(10, 29, 30));
        QTRY_COMPARE(service.shown.size(), 2);
        QCOMPARE(service.shown.at(1).actions, (QStringList{u"default"_s, u"Open"_s}));
        service.invoke(service.shown.at(1).id, QStringLiteral("default"));
        QTRY_COMPARE(openPanel.size(), 1);
        QCOMPARE(w.urlOpener.opened.size(), 1);
    }

    void onceForEachStartAndWithdrawnWhenUnacted()
    {
        FakeNotificationService service(Capabilities);
        const Meeting a = meetingAt(QStringLiteral("a"), today(QTime(10, 5)));
        HeadsUpWorld w({a});
        w.at(QTime(10, 4, 30));
        QTRY_COMPARE(service.shown.size(), 1);

        // A reload does not repeat it; the meeting's start withdraws it.
        w.at(QTime(10, 4, 40));
        settle();
        QCOMPARE(service.shown.size(), 1);
        w.at(QTime(10, 5));
        QTRY_COMPARE(service.closed, QList<uint>{service.shown.first().id});

        // Moved to 10:20: announced again at its new lead time.
        const QList<Meeting> moved{meetingAt(QStringLiteral("a"), today(QTime(10, 20)))};
        w.at(QTime(10, 10), &moved);
        settle();
        QCOMPARE(service.shown.size(), 1);
        w.at(QTime(10, 19));
        QTRY_COMPARE(service.shown.size(), 2);
        QCOMPARE(service.shown.at(1).summary, u"Call a");

        // Signing out withdraws it.
        settle();
        w.store->signOut();
        QTRY_COMPARE(service.closed.size(), 2);
        QCOMPARE(service.closed.at(1), service.shown.at(1).id);
    }

    void silentCases_data()
    {
        QTest::addColumn<int>("lead");
        QTest::addColumn<QTime>("startsAt");
        QTest::newRow("off") << 0 << QTime(10, 5);
        QTest::newRow("started before the app") << 10 << QTime(9, 59);
    }

    void silentCases()
    {
        QFETCH(int, lead);
        QFETCH(QTime, startsAt);
        FakeNotificationService service(Capabilities);
        HeadsUpWorld w({meetingAt(QStringLiteral("a"), today(startsAt))});
        w.store->setHeadsUpMinutes(lead);
        QCOMPARE(w.store->headsUpMinutes(), lead);
        w.at(QTime(10, 4, 30));
        settle();
        QVERIFY(service.shown.isEmpty());
        // A lead time chosen later applies at once (10 minutes covers 10:05 from 10:00).
        if (lead == 0) {
            w.store->setHeadsUpMinutes(10);
            QTRY_COMPARE(service.shown.size(), 1);
            QCOMPARE(w.settings.values.value(u"headsUpMinutes"_s), QVariant(10));
        }
    }

    void withoutActionsOrService()
    {
        {
            // A service without actions still shows the heads-up, without buttons.
            FakeNotificationService service({QStringLiteral("body")});
            HeadsUpWorld w({withPeople(meetingAt(QStringLiteral("a"), today(QTime(10, 1))),
                                       QStringLiteral("https://meet.example/abc"))});
            QTRY_COMPARE(service.shown.size(), 1);
            QVERIFY(service.shown.first().actions.isEmpty());
        }
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(NotificationsName));

        // No service at all: nothing is shown and the failure is logged once.
        static int logged = 0;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &) {
                if (qstrcmp(context.category, "vesk.notifications") == 0)
                    ++logged;
            });
        {
            HeadsUpWorld w({meetingAt(QStringLiteral("a"), today(QTime(10, 1))),
                            meetingAt(QStringLiteral("b"), today(QTime(10, 2)))});
            w.at(QTime(10, 1, 30));
            settle();
        }
        qInstallMessageHandler(previous);
        QCOMPARE(logged, 1);
    }

    void leadTimeSetting()
    {
        StoreHarness h;
        Store &store = h.start();
        QCOMPARE(store.headsUpMinutes(), 1);
        h.settings.values.insert(QStringLiteral("headsUpMinutes"), 7); // not a choice: the default
        QCOMPARE(store.headsUpMinutes(), 1);
        QSignalSpy changed(&store, &Store::headsUpMinutesChanged);
        for (int expected : {5, 10, 0, 1}) {
            store.cycleHeadsUp();
            QCOMPARE(store.headsUpMinutes(), expected);
        }
        QCOMPARE(changed.size(), 4);
        QCOMPARE(h.settings.values.value(QStringLiteral("headsUpMinutes")), QVariant(1));
    }
};

int main(int argc, char **argv)
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QCoreApplication app(argc, argv);
    TestHeadsUp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_headsup.moc"
