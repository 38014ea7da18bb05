#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

#include <functional>

class PortalShortcuts;

/// The two system-wide key combinations: Ctrl+Alt+H (id 1) runs `onToggle`, Ctrl+Alt+A (id 2)
/// runs `onCopy`. On X11 the keys are grabbed on the root window; on Wayland they are bound through the
/// desktop portal's global shortcuts when the portal offers them; elsewhere nothing is registered.
/// A combination the system refuses (another client holds it) never fires; the other still works.
/// The action runs on a later turn of the event loop and is looked up then.
class HotKeys : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    enum Id : quint32
    {
        Toggle = 1,
        Copy = 2
    };

    /// The shared instance, created on first use and kept for the life of the process.
    static HotKeys &shared();

    HotKeys();
    ~HotKeys() override;

    /// Registers both combinations (once). Needs the application object.
    void install();
    /// Whether the combination with this id is registered.
    bool isRegistered(quint32 id) const;

    std::function<void()> onToggle = [] {};
    std::function<void()> onCopy = [] {};

    /// Whether this is a Wayland session, where X11 grabs do not work; read by `install()`.
    static bool isWaylandSession();
    std::function<bool()> waylandSession = &HotKeys::isWaylandSession;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Registration
    {
        quint32 id = 0;
        QList<quint8> keycodes; ///< empty when the system refused the combination
    };
    void pressed(quint32 id);
    bool grabX11(quint32 id, quint32 keysym);
    void installPortal();

    QList<Registration> m_refs;
    PortalShortcuts *m_portal = nullptr; ///< the Wayland backend, a child; null on X11
    bool m_installed = false;
    bool m_filterInstalled = false;
};
