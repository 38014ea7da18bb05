#include "model/isodate.h"

#include <QTimeZone>

namespace {

// Reads `count` ASCII digits at `pos`; -1 when any of them is not a digit.
int digits(QStringView text, qsizetype pos, int count)
{
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[pos + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool at(QStringView text, qsizetype pos, char16_t c)
{
    return pos < text.size() && text[pos].unicode() == c;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
qint64 daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<qint64>(doe) - 719468;
}

int daysInMonth(int y, int m)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

std::optional<QDateTime> parse(QStringView text, bool withFraction)
{
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    if (!at(text, 4, u'-') || !at(text, 7, u'-') || !at(text, 10, u'T') || !at(text, 13, u':') ||
        !at(text, 16, u':'))
        return std::nullopt;
    if (day > daysInMonth(year, month))
        return std::nullopt;

    qsizetype pos = 19;
    int millis = 0;
    if (withFraction) {
        if (!at(text, pos, u'.'))
            return std::nullopt;
        ++pos;
        const qsizetype first = pos;
        while (pos < text.size() && text[pos].unicode() >= u'0' && text[pos].unicode() <= u'9') {
            if (pos - first < 3)
                millis = millis * 10 + (text[pos].unicode() - u'0');
            ++pos;
        }
        const qsizetype count = pos - first;
        if (count == 0)
            return std::nullopt;
        for (qsizetype i = count; i < 3; ++i)
            millis *= 10;
    }

    int offsetSeconds = 0;
    if (at(text, pos, u'Z')) {
        ++pos;
    } else if (at(text, pos, u'+') || at(text, pos, u'-')) {
        const int sign = at(text, pos, u'-') ? -1 : 1;
        const int offHours = digits(text, pos + 1, 2);
        const int offMinutes = digits(text, pos + 4, 2);
        if (offHours < 0 || offHours > 23 || offMinutes < 0 || offMinutes > 59 || !at(text, pos + 3, u':'))
            return std::nullopt;
        offsetSeconds = sign * (offHours * 3600 + offMinutes * 60);
        pos += 6;
    } else {
        return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;

    const qint64 seconds =
        daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds;
    return QDateTime::fromMSecsSinceEpoch(seconds * 1000 + millis, QTimeZone::utc());
}

} // namespace

std::optional<QDateTime> parseInternetDateTime(QStringView text)
{
    if (auto withFraction = parse(text, true))
        return withFraction;
    return parse(text, false);
}

QString formatInternetDateTime(const QDateTime &instant)
{
    const QDateTime utc = instant.toUTC();
    return utc.toString(utc.time().msec() ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")
                                          : QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}
