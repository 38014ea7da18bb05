#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <functional>

/// Global shortcuts through the desktop portal's GlobalShortcuts interface, for Wayland sessions.
/// `start()` looks whether the portal offers the interface, creates one session with a constant
/// token (so the desktop keeps the user's bindings across restarts), lists what the session already
/// has and binds "toggle-panel" and "copy-availability" only when one of them is missing (KDE asks
/// the user on every bind). Each activation of one of ours emits `activated` with its id.
/// Every step is asynchronous; a missing interface or any failed step leaves nothing bound.
class PortalShortcuts : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Idle,
        Working,
        Ready,
        Failed
    };
    Q_ENUM(State)

    static inline const QString ToggleId = QStringLiteral("toggle-panel");
    static inline const QString CopyId = QStringLiteral("copy-availability");

    explicit PortalShortcuts(QDBusConnection bus, QObject *parent = nullptr);

    /// Begins the set-up (once).
    void start();
    State state() const { return m_state; }
    /// Whether the portal reported this shortcut as bound in our session.
    bool isBound(const QString &id) const { return m_bound.contains(id); }

Q_SIGNALS:
    void stateChanged(PortalShortcuts::State state);
    void activated(const QString &id);

private Q_SLOTS:
    void onActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                     const QVariantMap &options);

private:
    using Results = std::function<void(const QVariantMap &)>;

    void offered(const QString &introspection);
    void createSession();
    void listShortcuts();
    void bindShortcuts();
    void takeBound(const QVariantMap &results);
    // Calls a portal method that answers through a Request object; `done` runs with the
    // Response's results when the response code is 0, anything else fails the set-up.
    void request(const QString &method, QList<QVariant> args, QVariantMap options, Results done);
    QString nextToken();
    void finish(State state);

    QDBusConnection m_bus;
    State m_state = State::Idle;
    QString m_session;
    QSet<QString> m_bound;
    int m_tokens = 0;
};
