#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

class PortalShortcuts;

/// The two system-wide key combinations: Ctrl+Alt+H (id 1) sends `togglePressed`, Ctrl+Alt+A (id 2)
/// sends `copyPressed`. On X11 the keys are grabbed on the root window; on Wayland they are bound through the
/// desktop portal's global shortcuts when the portal offers them; elsewhere nothing is registered.
/// A combination the system refuses (another client holds it) never fires; the other still works.
/// The signal goes out on a later turn of the event loop, after the native event was handled.
class HotKeys : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    enum Id : quint32
    {
        Toggle = 1,
        Copy = 2
    };

    /// `waylandSession` chooses the backend `install()` uses: the desktop portal instead of X11 grabs.
    explicit HotKeys(bool waylandSession = isWaylandSession(), QObject *parent = nullptr);
    ~HotKeys() override;

    /// Registers both combinations (once). Needs the application object.
    void install();
    /// Whether the combination with this id is registered.
    bool isRegistered(quint32 id) const;

    /// Whether this is a Wayland session, where X11 grabs do not work.
    static bool isWaylandSession();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    void togglePressed();
    void copyPressed();

private:
    struct Registration
    {
        quint32 id = 0;
        QList<quint8> keycodes; ///< empty when the system refused the combination
    };
    void pressed(quint32 id);
    bool grabX11(quint32 id, quint32 keysym);
    void installPortal();

    bool m_waylandSession;
    QList<Registration> m_refs;
    PortalShortcuts *m_portal = nullptr; ///< the Wayland backend, a child; null on X11
    bool m_installed = false;
    bool m_filterInstalled = false;
};
