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

#include <X11/keysym.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Presses keys on the X server through the XTEST extension, like a user would.
void press(const QString &keys)
{
    if (keys.isEmpty())
        return;
    QProcess xdotool;
    xdotool.start(u"xdotool"_s, {u"key"_s, keys});
    QVERIFY2(xdotool.waitForFinished(5000) && xdotool.exitCode() == 0, qPrintable(keys));
}

// Another X client, on its own connection, holding Ctrl+Alt+H on the root window; counts its presses.
struct OtherClient
{
    OtherClient()
    {
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, XK_h);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_generic_error_t *error = xcb_request_check(
            connection, xcb_grab_key_checked(connection, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1,
                                             codes[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        QVERIFY(!error);
        std::free(codes);
        xcb_key_symbols_free(symbols);
    }
    ~OtherClient() { xcb_disconnect(connection); }
    int countPresses()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            presses += (event->response_type & ~0x80) == XCB_KEY_PRESS;
            std::free(event);
        }
        return presses;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    int presses = 0;
};

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

/// The global hot keys: grabbed on the X server, or registered with the desktop portal on Wayland.
class TestHotKeysX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        QVERIFY2(!portalOnBus(), "a portal already runs on this bus");
    }

    // Each combination runs its action, with lock keys on too; an extra modifier is another
    // combination. One that another client holds stays its own (NumLock or not), and the other
    // still works. A copy press after the others shows they have been through the event queue.
    void combinationsRunTheirActions()
    {
        int toggles = 0;
        int copies = 0;
        std::unique_ptr<HotKeys> keys;
        for (bool held : {false, true}) {
            keys.reset(); // lets go of its keys
            std::unique_ptr<OtherClient> other(held ? new OtherClient : nullptr);
            keys = std::make_unique<HotKeys>(false);
            keys->install();
            connect(keys.get(), &HotKeys::togglePressed, this, [&] { ++toggles; });
            connect(keys.get(), &HotKeys::copyPressed, this, [&] { ++copies; });
            QCOMPARE(keys->isRegistered(HotKeys::Toggle), !held);
            QVERIFY(keys->isRegistered(HotKeys::Copy));
            for (const QString &lock : {QString(), u"Num_Lock"_s, u"Caps_Lock"_s}) {
                press(lock);
                press(u"ctrl+alt+h"_s);
                press(u"ctrl+shift+alt+h"_s);
                press(u"ctrl+h"_s);
                press(u"ctrl+alt+a"_s);
                press(lock);
            }
            QTRY_COMPARE(copies, held ? 6 : 3);
            QCOMPARE(toggles, 3);
            if (held)
                QTRY_COMPARE(other->countPresses(), 1); // the holder took only the plain combination
        }
    }

    void portal_data()
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
        QTest::newRow("not wayland: X grabs, portal left alone")
            << true << QStringList() << false << true << QString();
    }

    void portal()
    {
        QFETCH(bool, portal);
        QFETCH(QStringList, options);
        QFETCH(bool, wayland);
        QFETCH(bool, registered);
        QFETCH(QString, methods);
        QTRY_VERIFY_WITH_TIMEOUT(!portalOnBus(), 5000); // the previous row's is gone
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
            if (method != u"BindShortcuts")
                continue;
            QStringList bound;
            for (const QJsonValue shortcut : call[u"shortcuts"].toArray())
                bound << shortcut[0].toString() + u'=' + shortcut[1][u"preferred_trigger"].toString();
            QCOMPARE(bound, (QStringList{u"toggle-panel=CTRL+ALT+h"_s, u"copy-availability=CTRL+ALT+a"_s}));
        }
        QCOMPARE(seen.join(u' '), methods);
        if (!registered || !wayland)
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

QTEST_MAIN(TestHotKeysX11)
#include "tst_hotkeys_x11.moc"
