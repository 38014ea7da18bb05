#include "platform/hotkeys.h"

#include "platform/portalshortcuts.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QMetaObject>

#include <X11/keysym.h>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr uint16_t Modifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1; // Ctrl + Alt
// NumLock (Mod2) and CapsLock (Lock) must not stop the key, so each lock combination is grabbed.
constexpr uint16_t LockVariants[] = {0, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK,
                                     XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};
constexpr uint16_t Considered = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != u"xcb")
        return nullptr;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t *c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

} // namespace

// X11 grabs from an XWayland client see keys only while one of its own windows has focus, so a
// Wayland session gets no grabs.
bool HotKeys::isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == u"wayland";
}

HotKeys::HotKeys(bool waylandSession, QObject *parent)
    : QObject(parent)
    , m_waylandSession(waylandSession)
{}

HotKeys::~HotKeys()
{
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    xcb_connection_t *c = x11Connection();
    if (!c)
        return;
    const xcb_window_t root = rootWindow(c);
    for (const Registration &r : std::as_const(m_refs)) {
        for (quint8 code : r.keycodes) {
            for (uint16_t extra : LockVariants)
                xcb_ungrab_key(c, code, root, Modifiers | extra);
        }
    }
    xcb_flush(c);
}

void HotKeys::install()
{
    if (m_installed)
        return;
    m_installed = true;
    xcb_connection_t *c = m_waylandSession ? nullptr : x11Connection();
    if (!c) {
        m_refs = {{Toggle, {}}, {Copy, {}}};
        if (m_waylandSession)
            installPortal();
        return;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filterInstalled = true;
    grabX11(Toggle, XK_h);
    grabX11(Copy, XK_a);
}

bool HotKeys::grabX11(quint32 id, quint32 keysym)
{
    xcb_connection_t *c = x11Connection();
    const xcb_window_t root = rootWindow(c);
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
    xcb_keycode_t *codes = symbols ? xcb_key_symbols_get_keycode(symbols, keysym) : nullptr;
    Registration registration{id, {}};
    QList<std::pair<quint8, uint16_t>> taken;
    bool ok = codes && *codes != XCB_NO_SYMBOL;
    for (xcb_keycode_t *k = codes; ok && *k != XCB_NO_SYMBOL; ++k) {
        registration.keycodes.append(*k);
        for (uint16_t extra : LockVariants) {
            xcb_void_cookie_t cookie = xcb_grab_key_checked(c, 1, root, Modifiers | extra, *k,
                                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t *error = xcb_request_check(c, cookie)) {
                std::free(error); // BadAccess: another client holds this combination
                ok = false;
                break;
            }
            taken.append({*k, uint16_t(Modifiers | extra)});
        }
    }
    std::free(codes);
    if (symbols)
        xcb_key_symbols_free(symbols);
    if (!ok) {
        // Half a grab would fire only with some lock keys on; a refused key never fires at all.
        for (const auto &[code, mods] : std::as_const(taken))
            xcb_ungrab_key(c, code, root, mods);
        registration.keycodes.clear();
    }
    xcb_flush(c);
    m_refs.append(registration);
    return ok;
}

void HotKeys::installPortal()
{
    m_portal = new PortalShortcuts(QDBusConnection::sessionBus(), this);
    connect(m_portal, &PortalShortcuts::activated, this, [this](const QString &shortcut) {
        pressed(shortcut == PortalShortcuts::ToggleId ? Toggle : Copy);
    });
    m_portal->start();
}

bool HotKeys::isRegistered(quint32 id) const
{
    if (m_portal)
        return (id == Toggle || id == Copy) &&
               m_portal->isBound(id == Toggle ? PortalShortcuts::ToggleId : PortalShortcuts::CopyId);
    for (const Registration &r : m_refs) {
        if (r.id == id)
            return !r.keycodes.isEmpty();
    }
    return false;
}

bool HotKeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
    if ((press->state & Considered) != Modifiers)
        return false;
    for (const Registration &r : std::as_const(m_refs)) {
        if (r.keycodes.contains(press->detail) && press->event == press->root) {
            pressed(r.id);
            return true;
        }
    }
    return false;
}

void HotKeys::pressed(quint32 id)
{
    // Sent once the native event has been handled, on a later turn of the event loop.
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            if (id == Toggle)
                Q_EMIT togglePressed();
            else
                Q_EMIT copyPressed();
        },
        Qt::QueuedConnection);
}
