#include "demo/sentenceparser.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>

namespace {

using Re = QRegularExpression;

const Re &re(const char *pattern)
{
    // Every pattern is a literal of this file; compiled once each.
    static thread_local QHash<const char *, Re> cache;
    auto it = cache.find(pattern);
    if (it == cache.end())
        it = cache.insert(pattern, Re(QString::fromUtf8(pattern),
                                      Re::CaseInsensitiveOption | Re::UseUnicodePropertiesOption));
    return *it;
}

// Removes the first match of `pattern` from `text` and returns it.
QRegularExpressionMatch take(QString &text, const char *pattern)
{
    const QRegularExpressionMatch m = re(pattern).match(text);
    if (m.hasMatch())
        text.replace(m.capturedStart(), m.capturedLength(), u' ');
    return m;
}

int weekdayNumber(const QString &word)
{
    static const char *const names[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    const QString lower = word.toLower();
    for (int i = 0; i < 7; ++i) {
        if (lower.startsWith(QLatin1String(names[i])))
            return i + 1;
    }
    return 0;
}

// An hour written without am/pm: 1 to 7 are meant in the afternoon.
int businessHour(int hour)
{
    return hour >= 1 && hour <= 7 ? hour + 12 : hour;
}

std::optional<QTime> takeTime(QString &text)
{
    if (take(text, R"(\b(?:at\s+)?(?:noon|midday)\b)").hasMatch())
        return QTime(12, 0);
    QRegularExpressionMatch m = take(text, R"(\b(?:at\s+)?(\d{1,2})(?::(\d{2}))?\s*([ap])\.?m\b\.?)");
    if (m.hasMatch()) {
        int hour = m.captured(1).toInt() % 12;
        if (m.captured(3).compare(u"p", Qt::CaseInsensitive) == 0)
            hour += 12;
        const QTime time(hour, m.captured(2).toInt());
        return time.isValid() ? std::optional(time) : std::nullopt;
    }
    m = take(text, R"(\b(?:at\s+)?(\d{1,2}):(\d{2})\b)");
    if (!m.hasMatch())
        m = take(text, R"(\bat\s+(\d{1,2})\b(?![:.]\d))");
    if (m.hasMatch()) {
        const QTime time(businessHour(m.captured(1).toInt()), m.captured(2).toInt());
        return time.isValid() ? std::optional(time) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> takeDuration(QString &text)
{
    QRegularExpressionMatch m = take(text, R"(\bfor\s+(\d+(?:\.\d+)?)\s*(h|hrs?|hours?|m|mins?|minutes?)\b)");
    if (m.hasMatch()) {
        const double amount = m.captured(1).toDouble();
        return int(m.captured(2).startsWith(u'h', Qt::CaseInsensitive) ? amount * 60 : amount);
    }
    if (take(text, R"(\bfor\s+an?\s+hour\s+and\s+a\s+half\b)").hasMatch())
        return 90;
    if (take(text, R"(\bfor\s+half\s+an\s+hour\b)").hasMatch())
        return 30;
    if (take(text, R"(\bfor\s+an?\s+hour\b)").hasMatch())
        return 60;
    return std::nullopt;
}

QString takeConference(QString &text)
{
    if (take(text, R"(\b(?:(?:on|via|over)\s+)?zoom\b)").hasMatch())
        return QStringLiteral("zoom");
    if (take(text, R"(\b(?:(?:on|via|over)\s+)?google\s+meet\b|\b(?:on|via|over)\s+meet\b)").hasMatch())
        return QStringLiteral("meet");
    return QStringLiteral("none");
}

// The day named in the sentence, as days from today, or nothing. Weekdays are resolved later,
// when the time is known.
struct DayWord
{
    int offset = 0;  ///< days from today for "today" / "tomorrow"
    int weekday = 0; ///< 1 (Monday) to 7, or 0
    bool named = false;
};

DayWord takeDay(QString &text)
{
    QRegularExpressionMatch m = take(text, R"(\b(today|tonight|tomorrow|tmrw)\b)");
    if (m.hasMatch())
        return {m.captured(1).startsWith(u"tm", Qt::CaseInsensitive) ||
                        m.captured(1).compare(u"tomorrow", Qt::CaseInsensitive) == 0
                    ? 1
                    : 0,
                0, true};
    m = take(
        text,
        R"(\b(?:(?:next|this|on)\s+)?(monday|tuesday|wednesday|thursday|friday|saturday|sunday|mon|tues?|wed|thu(?:rs?)?|fri)\b)");
    if (m.hasMatch())
        return {0, weekdayNumber(m.captured(1)), true};
    return {};
}

QStringList splitNames(const QString &list)
{
    QStringList names;
    for (QString name : list.split(re(R"(\s*(?:,|&|\band\b)\s*)"), Qt::SkipEmptyParts)) {
        name = name.simplified();
        // A name is at most two words; what follows ("about pricing") belongs to the title only.
        name = name.section(u' ', 0, 1);
        if (name.contains(re(R"(^\w)")))
            names.append(name);
    }
    return names;
}

QString capitalised(QString word)
{
    if (!word.isEmpty())
        word[0] = word[0].toUpper();
    return word;
}

} // namespace

std::optional<Sentence> parseSentence(const QString &text, const QDateTime &now)
{
    QString rest = text.simplified();
    if (!rest.contains(re(R"([a-z])")))
        return std::nullopt;

    Sentence out;
    out.conference = takeConference(rest);
    const std::optional<int> duration = takeDuration(rest);
    const std::optional<QTime> time = takeTime(rest);
    const DayWord day = takeDay(rest);
    if (const QRegularExpressionMatch m = take(rest, R"(\bat\s+(\p{Lu}[\w'’.-]*(?:\s+\p{Lu}[\w'’.-]*)*))");
        m.hasMatch())
        out.location = m.captured(1);
    rest = rest.simplified();
    rest.remove(re(R"((?:\s+\b(?:on|at|for|next|this|in)\b)+$)"));
    rest = rest.simplified();

    if (const QRegularExpressionMatch m = re(R"(^(.+?)\s*<>\s*(.+)$)").match(rest); m.hasMatch()) {
        out.intent = QStringLiteral("intro");
        out.people = splitNames(m.captured(1)) + splitNames(m.captured(2));
        out.title = rest;
    } else {
        if (const QRegularExpressionMatch m = re(R"(\bwith\s+(.+)$)").match(rest); m.hasMatch())
            out.people = splitNames(m.captured(1));
        out.title = rest;
    }
    for (const QString &person : std::as_const(out.people)) {
        const Re word(QStringLiteral("\\b%1\\b").arg(Re::escape(person)), Re::UseUnicodePropertiesOption);
        out.title.replace(word, person.contains(u' ') ? person : capitalised(person));
    }
    if (out.title.isEmpty() || !out.title.contains(re(R"(\w)")))
        return std::nullopt;
    out.title = capitalised(out.title);

    const bool meal = out.title.contains(re(R"(\b(?:lunch|dinner)\b)"));
    out.durationMin = duration.value_or(meal ? 60 : 30);
    if (out.intent.isEmpty())
        out.intent = time ? QStringLiteral("schedule") : QStringLiteral("find_time");

    if (time) {
        const QDate today = now.date();
        QDate date = today.addDays(day.offset);
        if (day.weekday) {
            date = today.addDays((day.weekday - today.dayOfWeek() + 7) % 7);
            if (date == today && QDateTime(date, *time, now.timeZone()) <= now)
                date = date.addDays(7);
        } else if (!day.named && QDateTime(date, *time, now.timeZone()) <= now) {
            date = date.addDays(1);
        }
        out.start = QDateTime(date, *time, now.timeZone());
    }
    return out;
}

QString describeWhen(const QDateTime &start, const QDateTime &now)
{
    const QLocale c(QLocale::English);
    const QString time = start.toString(QStringLiteral("HH:mm"));
    const qint64 days = now.date().daysTo(start.date());
    if (days == 0)
        return QStringLiteral("Today ") + time;
    if (days == 1)
        return QStringLiteral("Tomorrow ") + time;
    return c.toString(start.date(), QStringLiteral("ddd d MMM ")) + time;
}
