#include "platform/hotkeys.h"

#include <QProcess>
#include <QTest>

#include <X11/keysym.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

// Presses keys on the X server through the XTEST extension, like a user would.
void press(const QString &keys)
{
    QProcess xdotool;
    xdotool.start(u"xdotool"_qs, {u"key"_qs, keys});
    QVERIFY2(xdotool.waitForFinished(5000) && xdotool.exitCode() == 0, qPrintable(keys));
}

// Another X client, with its own connection, that holds Ctrl+Alt+<key> on the root window.
class OtherClient
{
public:
    explicit OtherClient(xcb_keysym_t keysym)
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(m_connection);
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
        m_code = codes[0];
        std::free(codes);
        xcb_key_symbols_free(symbols);
        xcb_generic_error_t *error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 1, m_root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1,
                                               m_code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        m_grabbed = !error;
        std::free(error);
    }
    ~OtherClient() { xcb_disconnect(m_connection); }
    bool grabbed() const { return m_grabbed; }
    // Key presses this client received so far.
    int presses()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & ~0x80) == XCB_KEY_PRESS)
                ++m_presses;
            std::free(event);
        }
        return m_presses;
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_code = 0;
    bool m_grabbed = false;
    int m_presses = 0;
};

} // namespace

class TestHotKeysX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), u"xcb"_qs); }

    void combinationsRunTheirActions()
    {
        HotKeys keys(false);
        keys.install();
        QVERIFY(keys.isRegistered(HotKeys::Toggle));
        QVERIFY(keys.isRegistered(HotKeys::Copy));
        int toggles = 0;
        int copies = 0;
        connect(&keys, &HotKeys::togglePressed, this, [&] { ++toggles; });
        connect(&keys, &HotKeys::copyPressed, this, [&] { ++copies; });

        press(u"ctrl+alt+h"_qs);
        QTRY_COMPARE(toggles, 1);
        QCOMPARE(copies, 0);
        press(u"ctrl+alt+a"_qs);
        QTRY_COMPARE(copies, 1);

        // An extra modifier is another combination. The copy press after it shows that the
        // shifted one has been through the event queue by the time we look.
        press(u"ctrl+shift+alt+h"_qs);
        press(u"ctrl+h"_qs);
        press(u"ctrl+alt+a"_qs);
        QTRY_COMPARE(copies, 2);
        QCOMPARE(toggles, 1);

        // Lock keys do not stop the combinations.
        press(u"Num_Lock"_qs);
        press(u"ctrl+alt+h"_qs);
        press(u"Num_Lock"_qs);
        QTRY_COMPARE(toggles, 2);
        press(u"Caps_Lock"_qs);
        press(u"ctrl+alt+h"_qs);
        press(u"Caps_Lock"_qs);
        QTRY_COMPARE(toggles, 3);
    }

    void keyHeldByAnotherClientLeavesTheOtherWorking()
    {
        OtherClient other(XK_h);
        QVERIFY(other.grabbed());
        HotKeys keys(false);
        keys.install();
        QVERIFY(!keys.isRegistered(HotKeys::Toggle));
        QVERIFY(keys.isRegistered(HotKeys::Copy));
        int toggles = 0;
        int copies = 0;
        connect(&keys, &HotKeys::togglePressed, this, [&] { ++toggles; });
        connect(&keys, &HotKeys::copyPressed, this, [&] { ++copies; });

        press(u"ctrl+alt+h"_qs);
        QTRY_COMPARE(other.presses(), 1); // the holder keeps its key
        press(u"ctrl+alt+a"_qs);
        QTRY_COMPARE(copies, 1);
        // The holder took only the plain combination; ours must not fire with NumLock on either.
        press(u"Num_Lock"_qs);
        press(u"ctrl+alt+h"_qs);
        press(u"ctrl+alt+a"_qs);
        press(u"Num_Lock"_qs);
        QTRY_COMPARE(copies, 2);
        QCOMPARE(toggles, 0);
    }
};

QTEST_MAIN(TestHotKeysX11)
#include "tst_hotkeys_x11.moc"
