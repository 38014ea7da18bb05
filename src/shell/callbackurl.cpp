#include "shell/callbackurl.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>

namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Percent-decodes one query name or value. `+` stays a plus sign, as URL components read it.
std::optional<QString> decodeComponent(QByteArrayView encoded)
{
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%')
            continue;
        if (i + 2 >= encoded.size() || !isHex(encoded[i + 1]) || !isHex(encoded[i + 2]))
            return std::nullopt;
        i += 2;
    }
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded.toByteArray());
    auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Whether the text can be a URL at all: printable ASCII without blanks (browsers hand over
// percent-encoded URLs).
bool isUrlText(const QString &raw)
{
    for (QChar c : raw) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}

} // namespace

std::optional<CallbackUrl> CallbackUrl::parse(const QString &raw)
{
    if (raw.size() > MaxLength)
        return std::nullopt;

    // Scheme: everything before the first ':', compared case-sensitively.
    const qsizetype colon = raw.indexOf(u':');
    if (colon <= 0 || QStringView(raw).first(colon) != u"vesk")
        return std::nullopt;

    // Host: the authority after "//", without user information and port.
    QStringView rest = QStringView(raw).sliced(colon + 1);
    if (!rest.startsWith(u"//"))
        return std::nullopt;
    rest = rest.sliced(2);
    qsizetype authorityEnd = 0;
    while (authorityEnd < rest.size() && rest[authorityEnd] != u'/' && rest[authorityEnd] != u'?' &&
           rest[authorityEnd] != u'#')
        ++authorityEnd;
    QStringView host = rest.first(authorityEnd);
    if (const qsizetype at = host.lastIndexOf(u'@'); at >= 0)
        host = host.sliced(at + 1);
    if (const qsizetype port = host.indexOf(u':'); port >= 0)
        host = host.first(port);
    if (host != u"connect")
        return std::nullopt;

    CallbackUrl out;
    if (!isUrlText(raw))
        return out;
    QStringView query = rest.sliced(authorityEnd);
    const qsizetype fragment = query.indexOf(u'#');
    if (fragment >= 0)
        query = query.first(fragment);
    const qsizetype questionMark = query.indexOf(u'?');
    if (questionMark < 0)
        return out;
    query = query.sliced(questionMark + 1);

    // Read every item first: one unreadable item makes the whole query unreadable.
    struct Item
    {
        QString name;
        std::optional<QString> value;
    };
    QList<Item> items;
    const QList<QByteArray> parts = query.toLatin1().split('&');
    for (const QByteArray &part : parts) {
        const qsizetype eq = part.indexOf('=');
        const auto name = decodeComponent(eq < 0 ? QByteArrayView(part) : QByteArrayView(part).first(eq));
        if (!name)
            return CallbackUrl{};
        Item item{*name, std::nullopt};
        if (eq >= 0) {
            item.value = decodeComponent(QByteArrayView(part).sliced(eq + 1));
            if (!item.value)
                return CallbackUrl{};
        }
        items.append(std::move(item));
    }
    bool tokenSeen = false;
    bool stateSeen = false;
    for (const Item &item : std::as_const(items)) {
        if (item.name == u"token" && !tokenSeen) {
            tokenSeen = true;
            out.token = item.value;
        } else if (item.name == u"state" && !stateSeen) {
            stateSeen = true;
            out.state = item.value;
        }
    }
    return out;
}
