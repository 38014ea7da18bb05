// Decodes a feed of 1,000 meetings with 3 attendees each, many times, and prints the time per
// feed and per meeting. Target: under 5 µs per meeting.
#include "model/feeddecoder.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

} // namespace

int main(int argc, char *argv[])
{
    constexpr int kMeetings = 1000;
    const int kRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const QByteArray body = makeFeed(kMeetings);

    // Warm up and check the input decodes.
    const FeedDecodeResult first = decodeFeed(body);
    if (!first.feed || first.feed->meetings.size() != kMeetings) {
        std::fprintf(stderr, "bench: the generated feed did not decode: %s %s\n",
                     qPrintable(first.error.path), qPrintable(first.error.description));
        return 1;
    }

    std::vector<double> samples;
    samples.reserve(kRounds);
    QElapsedTimer timer;
    for (int round = 0; round < kRounds; ++round) {
        timer.start();
        const FeedDecodeResult r = decodeFeed(body);
        samples.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
        if (!r.feed)
            return 1;
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const double best = samples.front();
    std::printf("feed decode: %d meetings x 3 attendees, %lld bytes, %d rounds\n", kMeetings,
                static_cast<long long>(body.size()), kRounds);
    std::printf("  median %.0f us per feed, %.2f us per meeting (best %.2f us per meeting)\n", median,
                median / kMeetings, best / kMeetings);
    std::printf("  target: under 5 us per meeting: %s\n", median / kMeetings < 5.0 ? "met" : "NOT met");
    return 0;
}
