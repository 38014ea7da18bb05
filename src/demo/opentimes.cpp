#include "demo/opentimes.h"

#include <QLocale>
#include <QTimeZone>

namespace {

bool overlaps(const QList<Busy> &busy, const QDateTime &start, const QDateTime &end)
{
    for (const Busy &b : busy) {
        if (b.start < end && start < b.end)
            return true;
    }
    return false;
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

QList<QDateTime> openTimes(const QList<Busy> &busy, const QDateTime &from, int durationMin, int count,
                           const WorkingHours &hours)
{
    QList<QDateTime> out;
    if (durationMin <= 0 || count <= 0 || hours.stepMin <= 0)
        return out;
    const QTimeZone zone = from.timeZone();
    for (int day = 0; day <= hours.daysAhead && out.size() < count; ++day) {
        const QDate date = from.date().addDays(day);
        if (date.dayOfWeek() > 5)
            continue;
        // Wall-clock times of that day: on a day that changes the clock, 9:00 is still 9:00.
        const QDateTime close(date, hours.dayEnd, zone);
        int onThisDay = 0;
        for (QTime t = hours.dayStart; t.isValid() && t < hours.dayEnd && onThisDay < hours.perDay;) {
            const QDateTime start(date, t, zone);
            const QDateTime end = start.addSecs(qint64(durationMin) * 60);
            if (start >= from && end <= close && !overlaps(busy, start, end)) {
                out.append(start);
                ++onThisDay;
                if (out.size() == count)
                    break;
                // The next offer on the same day leaves at least an hour free after this one, so the
                // times spread over the day; it starts on a step boundary again.
                const int sinceOpen = hours.dayStart.secsTo(t) / 60 + durationMin + 60;
                const int steps = (sinceOpen + hours.stepMin - 1) / hours.stepMin;
                const QTime later = hours.dayStart.addSecs(qint64(steps) * hours.stepMin * 60);
                if (later <= t)
                    break;
                t = later;
                continue;
            }
            const QTime next = t.addSecs(qint64(hours.stepMin) * 60);
            if (next <= t)
                break;
            t = next;
        }
    }
    return out;
}

TimesBlock formatOpenTimes(const QList<QDateTime> &times, int durationMin, const QString &name,
                           const QString &email)
{
    const QLocale english(QLocale::English);
    const QString who = !name.trimmed().isEmpty() ? name.trimmed().section(u' ', 0, 0) : email.trimmed();
    const QString greeting = who.isEmpty() ? QString() : QStringLiteral("Hi ") + who + QStringLiteral(",");
    QString zone;
    if (!times.isEmpty())
        zone = times.first().timeZone().abbreviation(times.first());
    const QString intro = QStringLiteral("Here are a few times that work for me for %1 minutes (%2):")
                              .arg(durationMin)
                              .arg(zone);
    const QString outro = QStringLiteral("Let me know which suits you and I'll send an invite.");

    QString text = greeting.isEmpty() ? intro : greeting + u"\n\n" + intro;
    text += u'\n';
    QString html = greeting.isEmpty() ? QString() : u"<p>" + escaped(greeting) + u"</p>";
    html += u"<p>" + escaped(intro) + u"</p><ul>";
    for (qsizetype i = 0; i < times.size();) {
        const QDate date = times.at(i).date();
        QStringList slots;
        for (; i < times.size() && times.at(i).date() == date; ++i) {
            const QDateTime &start = times.at(i);
            slots << start.toString(QStringLiteral("HH:mm")) + u"–" +
                         start.addSecs(qint64(durationMin) * 60).toString(QStringLiteral("HH:mm"));
        }
        const QString day = english.toString(date, QStringLiteral("dddd d MMMM"));
        text += u"\n• " + day + u": " + slots.join(QStringLiteral(", "));
        html += u"<li><b>" + escaped(day) + u"</b>: " + escaped(slots.join(QStringLiteral(", "))) + u"</li>";
    }
    text += u"\n\n" + outro;
    html += u"</ul><p>" + escaped(outro) + u"</p>";
    return {text, html};
}
