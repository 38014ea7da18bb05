#include "shell/appdelegate.h"

#include "platform/settings.h"
#include "platform/sounds.h"
#include "service/tokenstore.h"
#include "shell/callbackurl.h"

#include <QTimer>

namespace {

// A token goes into a request header; control characters (a decoded %0A, say) have no place there.
bool hasControlCharacters(const QString &text)
{
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

AppDelegate::AppDelegate(Settings &settings, Sounds &sounds, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_sounds(sounds)
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
    if (!token || !token->startsWith(u"vesk_") || hasControlCharacters(*token))
        return false;
    // An empty state never matches: an empty stored value would otherwise accept any "state=".
    const std::optional<QString> &state = callback->state;
    if (!state || state->isEmpty())
        return false;
    const QVariant pending = m_settings.value(PendingStateKey.toString());
    if (!pending.isValid() || pending.toString().isEmpty() || pending.toString() != *state)
        return false;

    m_settings.remove(PendingStateKey.toString());
    const bool saved = TokenStore::save(*token);
    Q_EMIT veskConnected();
    // The sound confirms a completed sign-in; a token that could not be written completes nothing.
    if (saved)
        m_sounds.play(Sounds::Sound::SignedIn);
    QTimer::singleShot(m_panelDelay, this, &AppDelegate::panelRequested);
    return true;
}
