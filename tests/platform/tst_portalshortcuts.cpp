#include "platform/hotkeys.h"
#include "platform/portalshortcuts.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString PortalName = QStringLiteral("org.freedesktop.portal.Desktop");

bool portalOnBus()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(PortalName);
}

// The fake portal script, run as its own process on the session bus.
class FakePortal
{
public:
    explicit FakePortal(const QStringList &options)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral(QUICK_TEST_SOURCE_DIR "/fakeportal.py")} + options);
    }
    ~FakePortal()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool waitUntilReady() { return QTest::qWaitFor(portalOnBus, 5000); }
    QJsonArray calls() const
    {
        const QDBusReply<QString> reply = control().call(QStringLiteral("Calls"));
        return QJsonDocument::fromJson(reply.value().toUtf8()).array();
    }
    QStringList methods() const
    {
        QStringList names;
        for (const QJsonValue call : calls())
            names << call[u"method"].toString();
        return names;
    }
    QString session() const { return QDBusReply<QString>(control().call(QStringLiteral("Session"))).value(); }
    void activate(const QString &session, const QString &id) const
    {
        control().call(QStringLiteral("Activate"), QVariant::fromValue(QDBusObjectPath(session)), id);
    }

private:
    QDBusInterface control() const
    {
        return QDBusInterface(PortalName, QStringLiteral("/org/freedesktop/portal/desktop"),
                              QStringLiteral("test.Control"));
    }
    QProcess m_process;
};

} // namespace

class TestPortalShortcuts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        QVERIFY2(!portalOnBus(), "a portal already runs on this bus");
    }

    void cleanup()
    {
        // The next case starts its own portal; this one's name must be gone first.
        QTRY_VERIFY_WITH_TIMEOUT(!portalOnBus(), 5000);
    }

    void setUp_data()
    {
        QTest::addColumn<bool>("portal");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QStringList>("methods");

        const QString reg = QStringLiteral("Register");
        const QString create = QStringLiteral("CreateSession");
        const QString list = QStringLiteral("ListShortcuts");
        const QString bind = QStringLiteral("BindShortcuts");
        QTest::newRow("first start binds both")
            << true << QStringList() << true << true << QStringList{reg, create, list, bind};
        QTest::newRow("bindings kept from before: no bind") << true << QStringList{QStringLiteral("--bound")}
                                                            << true << true << QStringList{reg, create, list};
        QTest::newRow("bind refused") << true << QStringList{QStringLiteral("--refuse-bind")} << true << false
                                      << QStringList{reg, create, list, bind};
        QTest::newRow("portal without global shortcuts")
            << true << QStringList{QStringLiteral("--no-shortcuts")} << true << false << QStringList();
        QTest::newRow("no portal") << false << QStringList() << true << false << QStringList();
        QTest::newRow("not wayland: portal left alone")
            << true << QStringList() << false << false << QStringList();
    }

    void setUp()
    {
        QFETCH(bool, portal);
        QFETCH(QStringList, options);
        QFETCH(bool, wayland);
        QFETCH(bool, registered);
        QFETCH(QStringList, methods);

        std::unique_ptr<FakePortal> fake;
        if (portal) {
            fake = std::make_unique<FakePortal>(options);
            QVERIFY(fake->waitUntilReady());
        }
        HotKeys keys(wayland);
        keys.install();
        auto *backend = keys.findChild<PortalShortcuts *>();
        QCOMPARE(backend != nullptr, wayland);
        if (backend) {
            QTRY_VERIFY_WITH_TIMEOUT(backend->state() != PortalShortcuts::State::Working, 5000);
            QCOMPARE(backend->state() == PortalShortcuts::State::Ready, registered);
        }
        QCOMPARE(keys.isRegistered(HotKeys::Toggle), registered);
        QCOMPARE(keys.isRegistered(HotKeys::Copy), registered);
        if (!fake)
            return;
        QCOMPARE(fake->methods(), methods);

        for (const QJsonValue call : fake->calls()) {
            const QString method = call[u"method"].toString();
            if (method == u"Register")
                QCOMPARE(call[u"app_id"].toString(), u"vesk-bar");
            else if (method != u"CreateSession")
                QCOMPARE(call[u"session"].toString(), fake->session());
            if (method != u"BindShortcuts")
                continue;
            const QJsonArray shortcuts = call[u"shortcuts"].toArray();
            QCOMPARE(shortcuts.size(), 2);
            QCOMPARE(shortcuts[0][0].toString(), u"toggle-panel");
            QCOMPARE(shortcuts[0][1][u"preferred_trigger"].toString(), u"CTRL+ALT+h");
            QCOMPARE(shortcuts[1][0].toString(), u"copy-availability");
            QCOMPARE(shortcuts[1][1][u"preferred_trigger"].toString(), u"CTRL+ALT+a");
        }
    }

    void activationsRunTheirAction()
    {
        FakePortal fake({});
        QVERIFY(fake.waitUntilReady());
        HotKeys keys(true);
        keys.install();
        QTRY_VERIFY_WITH_TIMEOUT(keys.isRegistered(HotKeys::Toggle) && keys.isRegistered(HotKeys::Copy),
                                 5000);
        auto *backend = keys.findChild<PortalShortcuts *>();
        QVERIFY(backend);
        QSignalSpy activated(backend, &PortalShortcuts::activated);
        const QString session = fake.session();
        QVERIFY(!session.isEmpty());

        QStringList ran;
        connect(&keys, &HotKeys::togglePressed, this, [&] { ran << QStringLiteral("toggle"); });
        connect(&keys, &HotKeys::copyPressed, this, [&] { ran << QStringLiteral("copy"); });
        // An id of someone else, or one of ours from another session, runs nothing. The copy
        // after them shows they have been delivered by the time we look.
        fake.activate(session, QStringLiteral("toggle-panel"));
        fake.activate(session, QStringLiteral("screenshot"));
        fake.activate(session + QStringLiteral("_other"), QStringLiteral("toggle-panel"));
        fake.activate(session, QStringLiteral("copy-availability"));
        QTRY_COMPARE(ran, (QStringList{QStringLiteral("toggle"), QStringLiteral("copy")}));
        QCOMPARE(activated.count(), 2);
    }
};

QTEST_MAIN(TestPortalShortcuts)
#include "tst_portalshortcuts.moc"
