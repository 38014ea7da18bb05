// The feed decoder on any reply body: no memory error, no undefined behaviour, a refused feed says
// what was wrong, and whatever it accepts survives a round trip through the feed's own JSON form unchanged.
#include "fuzzsupport.h"
#include "model/feeddecoder.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FeedDecodeResult decoded = decodeFeed(fuzz::bytes(data, size));
    if (!decoded.feed) {
        // The description is the offending text, so only an empty date leaves it empty; the path
        // then still names the value.
        const QString &path = decoded.error.path;
        FUZZ_CHECK(!decoded.error.description.isEmpty() || path.endsWith(QStringLiteral(".startsAt")) ||
                   path.endsWith(QStringLiteral(".endsAt")));
        return 0;
    }
    const QByteArray again = QJsonDocument(decoded.feed->toJson()).toJson(QJsonDocument::Compact);
    const FeedDecodeResult redecoded = decodeFeed(again);
    FUZZ_CHECK(redecoded.feed.has_value());
    FUZZ_CHECK(*redecoded.feed == *decoded.feed);
    return 0;
}
