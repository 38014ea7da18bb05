// Decodes day feeds many times and prints the median time. The headline is a whole feed of 50
// meetings with 3 attendees each (a very busy day); a 1,000-meeting feed gives the per-meeting
// figure. Target: under 5 µs per meeting.
#include "model/feeddecoder.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

QByteArray makeFeed(int meetings)
{
    QByteArray out = "{\"meetings\":[";
    for (int i = 0; i < meetings; ++i) {
        if (i)
            out += ',';
        const QByteArray n = QByteArray::number(i);
        out += "{\"id\":\"mtg_" + n + "\",\"title\":\"Renewal call with Customer " + n +
               "\",\"startsAt\":\"2025-03-04T10:00:00.250Z\",\"endsAt\":\"2025-03-04T10:30:00+01:00\","
               "\"room\":\"zoom\",\"joinUrl\":\"https://zoom.example/j/" +
               n +
               "\",\"status\":\"at_risk\",\"riskLevel\":\"high\",\"riskScore\":" + QByteArray::number(i * 7) +
               ",\"action\":null,\"watched\":true,\"people\":[";
        for (int p = 0; p < 3; ++p) {
            if (p)
                out += ',';
            out += "{\"name\":\"Person " + QByteArray::number(p) + "\",\"email\":\"p" +
                   QByteArray::number(p) + "@customer" + n + ".example\",\"rsvp\":\"accepted\"}";
        }
        out += "]}";
    }
    out += "]}";
    return out;
}

struct Figure
{
    double median = 0; ///< microseconds per feed
    double best = 0;
};

/// Decodes `body` `rounds` times; nothing when it does not decode to `meetings` meetings.
std::optional<Figure> measure(const QByteArray &body, int meetings, int rounds)
{
    const FeedDecodeResult first = decodeFeed(body);
    if (!first.feed || first.feed->meetings.size() != meetings) {
        std::fprintf(stderr, "bench: the generated feed did not decode: %s %s\n",
                     qPrintable(first.error.path), qPrintable(first.error.description));
        return std::nullopt;
    }
    std::vector<double> samples;
    samples.reserve(rounds);
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        timer.start();
        const FeedDecodeResult r = decodeFeed(body);
        samples.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
        if (!r.feed)
            return std::nullopt;
    }
    std::sort(samples.begin(), samples.end());
    return Figure{samples[samples.size() / 2], samples.front()};
}

} // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    constexpr int kDay = 50;
    constexpr int kLarge = 1000;
    const QByteArray day = makeFeed(kDay);
    const QByteArray large = makeFeed(kLarge);
    const std::optional<Figure> dayFigure = measure(day, kDay, rounds * 20);
    const std::optional<Figure> largeFigure = measure(large, kLarge, rounds);
    if (!dayFigure || !largeFigure)
        return 1;

    std::printf(
        "feed decode, %d meetings x 3 attendees (%lld bytes): median %.0f us per feed (best %.0f us)\n", kDay,
        static_cast<long long>(day.size()), dayFigure->median, dayFigure->best);
    const double perMeeting = largeFigure->median / kLarge;
    std::printf("  %d-meeting feed: median %.0f us, %.2f us per meeting\n", kLarge, largeFigure->median,
                perMeeting);
    std::printf("  target: under 5 us per meeting: %s\n", perMeeting < 5.0 ? "met" : "NOT met");
    return 0;
}
