#pragma once

#include <QObject>
#include <QStringList>

#include <chrono>

class Settings;
class Sounds;
class TokenStore;

/// Receives the URLs opened with the application (the browser sign-in callback) and accepts the
/// ones that complete a sign-in started on this computer. Main thread only.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    AppDelegate(Settings &settings, Sounds &sounds, TokenStore &tokens, QObject *parent = nullptr);

    /// Runs the callback acceptance for every URL, in list order.
    void openUrls(const QStringList &urls);
    /// Runs the callback acceptance for one URL; true when it was accepted.
    bool openUrl(const QString &raw);

    /// How long after an accepted callback the panel is brought up (0.3 s).
    void setPanelDelay(std::chrono::milliseconds delay) { m_panelDelay = delay; }

    /// The settings key holding the state of the browser sign-in that waits for its callback.
    static constexpr QStringView PendingStateKey = u"pendingConnectState";

Q_SIGNALS:
    /// "VeskConnected": an accepted callback stored a new token (or tried to).
    void veskConnected();
    /// Asks for the panel to be brought up showing the signed-in state: opened and raised when it is
    /// hidden, left open when it is open. Sent a short while after an accepted callback.
    void panelRequested();

private:
    Settings &m_settings;
    Sounds &m_sounds;
    TokenStore &m_tokens;
    std::chrono::milliseconds m_toggleDelay{300};
    std::chrono::milliseconds m_panelDelay{300};
};
