// The sign-in link acceptance on any text handed to the app: the link parser, then the delegate
// that compares the state and stores the token. An accepted link stores exactly its token, and
// that token can go into a request header.
#include "fuzzsupport.h"
#include "service/tokenstore.h"
#include "shell/appdelegate.h"
#include "shell/callbackurl.h"
#include "support/fakeplatform.h"

namespace {

const QString kState = QStringLiteral("0A1B2C3D4E5F60718293A4B5C6D7E8F9ABCDEF01");

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Arguments reach the app as local 8-bit text; the fuzzer also gets to write the state.
    QString raw = QString::fromUtf8(fuzz::bytes(data, size));
    raw.replace(QStringLiteral("{state}"), kState);

    const std::optional<CallbackUrl> parsed = CallbackUrl::parse(raw);
    if (parsed) {
        FUZZ_CHECK(raw.size() <= CallbackUrl::MaxLength);
        FUZZ_CHECK(raw.startsWith(u"vesk:"));
    }

    FakeSettings settings;
    FakeSounds sounds;
    settings.values.insert(AppDelegate::PendingStateKey.toString(), kState);
    TokenStore tokens;
    tokens.save(std::nullopt);
    AppDelegate delegate(settings, sounds, tokens);
    delegate.setPanelDelay(std::chrono::milliseconds(0));
    const bool accepted = delegate.openUrl(raw);
    if (accepted) {
        FUZZ_CHECK(parsed && parsed->token && parsed->state == kState);
        FUZZ_CHECK(!settings.values.contains(AppDelegate::PendingStateKey.toString()));
        const std::optional<QString> stored = TokenStore().load();
        FUZZ_CHECK(stored.has_value());
        FUZZ_CHECK(*stored == parsed->token->trimmed());
        FUZZ_CHECK(stored->startsWith(u"vesk_"));
        for (const QChar c : *stored)
            FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7f);
    } else {
        FUZZ_CHECK(settings.values.contains(AppDelegate::PendingStateKey.toString()));
        FUZZ_CHECK(sounds.played.isEmpty());
    }
    QCoreApplication::processEvents();
    return 0;
}
