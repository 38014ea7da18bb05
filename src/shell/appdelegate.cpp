#include "shell/appdelegate.h"

#include "platform/settings.h"
#include "platform/sounds.h"
#include "service/tokenstore.h"
#include "shell/callbackurl.h"

#include <QTimer>

AppDelegate::AppDelegate(Settings &settings, Sounds &sounds, TokenStore &tokens, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_sounds(sounds)
    , m_tokens(tokens)
{}

void AppDelegate::openUrls(const QStringList &urls)
{
    for (const QString &url : urls)
        openUrl(url);
}

bool AppDelegate::openUrl(const QString &raw)
{
    const std::optional<CallbackUrl> callback = CallbackUrl::parse(raw);
    if (!callback)
        return false;
    const std::optional<QString> &token = callback->token;
    // A token goes into a request header: one with control characters (a decoded %0A, say) is refused.
    if (!token || !token->startsWith(u"vesk_") || !TokenStore::isUsable(*token))
        return false;
    // An empty state never matches: an empty stored value would otherwise accept any "state=".
    const std::optional<QString> &state = callback->state;
    if (!state || state->isEmpty())
        return false;
    const QVariant pending = m_settings.value(PendingStateKey.toString());
    if (!pending.isValid() || pending.toString().isEmpty() || pending.toString() != *state)
        return false;

    m_settings.remove(PendingStateKey.toString());
    const bool saved = m_tokens.save(*token);
    Q_EMIT veskConnected();
    // The sound confirms a completed sign-in; a token that could not be written completes nothing.
    if (saved)
        m_sounds.play(Sounds::Sound::SignedIn);
    QTimer::singleShot(m_panelDelay, this, &AppDelegate::panelRequested);
    return true;
}
