#include "views/words.h"

#include "model/timeformat.h"

#include <QLocale>

#include <array>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

using Table = std::array<std::pair<QStringView, QStringView>, 6>;

constexpr Table kStatusWords{{
    {u"unconfirmed", u"Unconfirmed"},
    {u"confirmed", u"Confirmed"},
    {u"at_risk", u"At risk"},
    {u"vesk", u"Vesk"},
    {u"rescued", u"Rescued"},
    {u"no_show", u"No-show"},
}};

constexpr Table kRoomWords{{
    {u"zoom", u"Zoom"},
    {u"meet", u"Meet"},
    {u"teams", u"Teams"},
    {u"webex", u"Webex"},
    {u"other", u"Video"},
    {u"none", u"No link"},
}};

QString lookUp(const Table &table, const QString &code)
{
    for (const auto &[key, word] : table) {
        if (code == key)
            return word.toString();
    }
    return code;
}

} // namespace

QString Words::statusLabel(const QString &code)
{
    return lookUp(kStatusWords, code);
}

QString Words::roomLabel(const QString &code)
{
    return lookUp(kRoomWords, code);
}

QString Words::dayLabel(const QDateTime &day, bool isToday)
{
    if (isToday)
        return u"Today"_s;
    const QLocale locale;
    // Follow the locale's order of day and month (Fri, Dec 5 against Fri 5 Dec).
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype dayAt = shortFormat.indexOf(u'd');
    const qsizetype monthAt = shortFormat.indexOf(u'M');
    const bool dayFirst = dayAt >= 0 && monthAt >= 0 && dayAt < monthAt;
    return locale.toString(day.toLocalTime().date(), dayFirst ? u"ddd d MMM"_s : u"ddd, MMM d"_s);
}

QString Words::timeOfDay(const QDateTime &instant)
{
    return shortTime(instant);
}

QString Words::attendees(const Meeting &m)
{
    QStringList parts;
    parts.reserve(m.people.size());
    for (const Person &person : m.people) {
        if (person.rsvp == u"accepted")
            parts.append(person.name + u" \u2713"_s);
        else if (person.rsvp == u"declined")
            parts.append(person.name + u" \u2717"_s);
        else
            parts.append(person.name);
    }
    return parts.join(u", "_s);
}

QString Words::hitName(const PersonHit &hit)
{
    if (hit.name)
        return *hit.name;
    return hit.email.section(u'@', 0, 0);
}

QString Words::chipText(const PersonHit &hit)
{
    return u"for "_s + hit.name.value_or(hit.email);
}

QString Words::candidateLabel(const PersonHit &hit)
{
    return hit.name.value_or(hit.email) + u"  \u00B7  "_s + hit.email;
}
