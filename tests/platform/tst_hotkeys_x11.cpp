#include "platform/hotkeys.h"

#include <QProcess>
#include <QTest>

#include <X11/keysym.h>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

// Presses keys on the X server through the XTEST extension, like a user would.
void press(const QString &keys)
{
    if (keys.isEmpty())
        return;
    QProcess xdotool;
    xdotool.start(u"xdotool"_qs, {u"key"_qs, keys});
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
        grabbed = !error;
        std::free(error);
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
    bool grabbed = false;
    int presses = 0;
};

} // namespace

class TestHotKeysX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each combination runs its action, with lock keys on too; an extra modifier is another
    // combination. One another client holds stays its own (NumLock or not), and the other still
    // works. A copy press after the others shows they have been through the event queue.
    void combinationsRunTheirActions()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_qs);
        int toggles = 0;
        int copies = 0;
        {
            HotKeys keys(false);
            keys.install();
            QVERIFY(keys.isRegistered(HotKeys::Toggle) && keys.isRegistered(HotKeys::Copy));
            connect(&keys, &HotKeys::togglePressed, this, [&] { ++toggles; });
            connect(&keys, &HotKeys::copyPressed, this, [&] { ++copies; });
            for (const QString &lock : {QString(), u"Num_Lock"_qs, u"Caps_Lock"_qs}) {
                press(lock);
                press(u"ctrl+alt+h"_qs);
                press(u"ctrl+shift+alt+h"_qs);
                press(u"ctrl+h"_qs);
                press(u"ctrl+alt+a"_qs);
                press(lock);
            }
            QTRY_COMPARE(copies, 3);
            QCOMPARE(toggles, 3);
        }

        OtherClient other;
        QVERIFY(other.grabbed);
        HotKeys keys(false);
        keys.install();
        QVERIFY(!keys.isRegistered(HotKeys::Toggle));
        QVERIFY(keys.isRegistered(HotKeys::Copy));
        connect(&keys, &HotKeys::togglePressed, this, [&] { ++toggles; });
        connect(&keys, &HotKeys::copyPressed, this, [&] { ++copies; });
        press(u"ctrl+alt+h"_qs);
        QTRY_COMPARE(other.countPresses(), 1);
        press(u"Num_Lock"_qs);
        press(u"ctrl+alt+h"_qs);
        press(u"ctrl+alt+a"_qs);
        press(u"Num_Lock"_qs);
        QTRY_COMPARE(copies, 4);
        QCOMPARE(toggles, 3);
    }
};

QTEST_MAIN(TestHotKeysX11)
#include "tst_hotkeys_x11.moc"
