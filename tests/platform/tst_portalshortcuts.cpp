#include "platform/hotkeys.h"
#include "platform/portalshortcuts.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kPortal = u"org.freedesktop.portal.Desktop"_s;

bool portalOnBus()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kPortal);
}

// The fake portal script, a process of its own on the session bus.
struct FakePortal
{
    explicit FakePortal(const QStringList &options)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(u"/usr/bin/python3"_s,
                      QStringList{QStringLiteral(QUICK_TEST_SOURCE_DIR "/fakeportal.py")} + options);
    }
    ~FakePortal()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
    QString call(const QString &method, const QVariant &a = {}, const QVariant &b = {}) const
    {
        QDBusInterface control(kPortal, u"/org/freedesktop/portal/desktop"_s, u"test.Control"_s);
        return QDBusReply<QString>(a.isValid() ? control.call(method, a, b) : control.call(method)).value();
    }
    QJsonArray calls() const { return QJsonDocument::fromJson(call(u"Calls"_s).toUtf8()).array(); }
    QProcess process;
};

} // namespace

class TestPortalShortcuts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(!portalOnBus(), "a portal already runs on this bus"); }
    void cleanup() { QTRY_VERIFY_WITH_TIMEOUT(!portalOnBus(), 5000); } // the next case starts its own

    void setUp_data()
    {
        QTest::addColumn<bool>("portal");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QString>("methods");
        const QString all = u"Register CreateSession ListShortcuts BindShortcuts"_s;
        QTest::newRow("first start binds both") << true << QStringList() << true << true << all;
        QTest::newRow("bindings kept from before: no bind")
            << true << QStringList{u"--bound"_s} << true << true << u"Register CreateSession ListShortcuts"_s;
        QTest::newRow("bind refused") << true << QStringList{u"--refuse-bind"_s} << true << false << all;
        QTest::newRow("portal without global shortcuts")
            << true << QStringList{u"--no-shortcuts"_s} << true << false << QString();
        QTest::newRow("no portal") << false << QStringList() << true << false << QString();
        QTest::newRow("not wayland: portal left alone")
            << true << QStringList() << false << false << QString();
    }

    void setUp()
    {
        QFETCH(bool, portal);
        QFETCH(QStringList, options);
        QFETCH(bool, wayland);
        QFETCH(bool, registered);
        QFETCH(QString, methods);
        std::optional<FakePortal> fake;
        if (portal) {
            fake.emplace(options);
            QVERIFY(QTest::qWaitFor(portalOnBus, 5000));
        }
        HotKeys keys(wayland);
        keys.install();
        auto *backend = keys.findChild<PortalShortcuts *>();
        QCOMPARE(backend != nullptr, wayland);
        if (backend)
            QTRY_VERIFY_WITH_TIMEOUT(backend->state() != PortalShortcuts::State::Working, 5000);
        QCOMPARE(keys.isRegistered(HotKeys::Toggle), registered);
        QCOMPARE(keys.isRegistered(HotKeys::Copy), registered);
        if (!fake)
            return;
        QStringList seen;
        const QString session = fake->call(u"Session"_s);
        for (const QJsonValue call : fake->calls()) {
            const QString method = call[u"method"].toString();
            seen << method;
            if (method == u"Register")
                QCOMPARE(call[u"app_id"].toString(), u"vesk-bar");
            else if (method != u"CreateSession")
                QCOMPARE(call[u"session"].toString(), session);
            if (method == u"BindShortcuts") {
                const QJsonArray shortcuts = call[u"shortcuts"].toArray();
                QCOMPARE(shortcuts.size(), 2);
                QCOMPARE(shortcuts[0][0].toString(), u"toggle-panel");
                QCOMPARE(shortcuts[0][1][u"preferred_trigger"].toString(), u"CTRL+ALT+h");
                QCOMPARE(shortcuts[1][0].toString(), u"copy-availability");
                QCOMPARE(shortcuts[1][1][u"preferred_trigger"].toString(), u"CTRL+ALT+a");
            }
        }
        QCOMPARE(seen.join(u' '), methods);
        if (!registered)
            return;

        // An id of someone else, or one of ours from another session, runs nothing. The copy after
        // them shows they have been delivered by the time we look.
        QStringList ran;
        connect(&keys, &HotKeys::togglePressed, this, [&] { ran << u"toggle"_s; });
        connect(&keys, &HotKeys::copyPressed, this, [&] { ran << u"copy"_s; });
        for (const auto &[path, id] :
             {std::pair(session, u"toggle-panel"_s), std::pair(session, u"screenshot"_s),
              std::pair(QString(session + u"_other"_s), u"toggle-panel"_s),
              std::pair(session, u"copy-availability"_s)})
            fake->call(u"Activate"_s, QVariant::fromValue(QDBusObjectPath(path)), id);
        QTRY_COMPARE(ran, (QStringList{u"toggle"_s, u"copy"_s}));
    }
};

QTEST_MAIN(TestPortalShortcuts)
#include "tst_portalshortcuts.moc"
