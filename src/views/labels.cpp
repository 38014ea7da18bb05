#include "views/labels.h"

#include <QLocale>
#include <QUrlQuery>

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

QString joinedEmails(const Meeting &m)
{
    QStringList emails;
    emails.reserve(m.people.size());
    for (const Person &person : m.people)
        emails.append(person.email);
    return emails.join(u',');
}

} // namespace

QString statusLabel(const QString &code)
{
    return lookUp(kStatusWords, code);
}

QString roomLabel(const QString &code)
{
    return lookUp(kRoomWords, code);
}

Labels::Labels(QObject *parent)
    : QObject(parent)
{}

QString Labels::dayLabel(const QDateTime &day, bool isToday)
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

QString Labels::timeOfDay(const QDateTime &instant)
{
    return QLocale().toString(instant.toLocalTime().time(), QLocale::ShortFormat);
}

bool Labels::isLive(const Meeting &m, const QDateTime &now)
{
    return m.startsAt <= now && now < m.endsAt;
}

bool Labels::isPast(const Meeting &m, const QDateTime &now)
{
    return now >= m.endsAt;
}

qreal Labels::rowOpacity(const Meeting &m, const QDateTime &now, bool isOpen)
{
    const bool needsAttention = m.status == u"at_risk" || m.status == u"unconfirmed";
    return isPast(m, now) && !isOpen && !needsAttention ? 0.72 : 1.0;
}

QString Labels::attendees(const Meeting &m)
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

bool Labels::showsNextStep(const Meeting &m, const QDateTime &now)
{
    return m.action && !m.action->isEmpty() && !m.action->startsWith(u"Nothing yet"_s) && now < m.endsAt;
}

QUrl Labels::joinUrl(const Meeting &m)
{
    if (!m.joinUrl || m.joinUrl->isEmpty())
        return {};
    const QUrl url(*m.joinUrl, QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

bool Labels::offersJoin(const Meeting &m, const QDateTime &now)
{
    return !joinUrl(m).isEmpty() && now < m.endsAt;
}

QUrl Labels::mailto(const Meeting &m)
{
    const QUrl url(u"mailto:"_s + joinedEmails(m), QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

QUrl Labels::draftMailUrl(const Meeting &m, const QString &subject, const QString &body)
{
    // Every character outside the unreserved set is percent-encoded, so "&", "=", "+" and line
    // breaks in the draft reach the mail client as written.
    const QByteArray query =
        "subject=" + QUrl::toPercentEncoding(subject) + "&body=" + QUrl::toPercentEncoding(body);
    QUrl url;
    url.setScheme(u"mailto"_s);
    url.setPath(joinedEmails(m), QUrl::StrictMode);
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

QString Labels::draftText(const QString &subject, const QString &body)
{
    return u"Subject: "_s + subject + u"\n\n"_s + body;
}

QString Labels::draftTimeLine(const QADraft &draft)
{
    if (!draft.when)
        return {};
    return *draft.when + u" \u00B7 "_s + QString::number(draft.durationMin) + u" min"_s;
}

QString Labels::quickAddMainLabel(const QADraft &draft)
{
    if (!draft.when) {
        QString who = u"them"_s;
        if (!draft.people.isEmpty() && draft.people.first().name)
            who = draft.people.first().name->section(u' ', 0, 0);
        return u"Copy times for "_s + who;
    }
    return draft.people.isEmpty() ? u"Add to calendar"_s : u"Create & invite"_s;
}

bool Labels::quickAddMainEnabled(const QADraft &draft, bool busy)
{
    if (!draft.when)
        return true;
    if (busy)
        return false;
    for (const QAPerson &person : draft.people) {
        if (!person.email)
            return false;
    }
    return true;
}

QString Labels::candidateLabel(const PersonHit &hit)
{
    return hit.name.value_or(hit.email) + u"  \u00B7  "_s + hit.email;
}

QString Labels::hitName(const PersonHit &hit)
{
    if (hit.name)
        return *hit.name;
    return hit.email.section(u'@', 0, 0);
}

QString Labels::chipText(const PersonHit &hit)
{
    return u"for "_s + hit.name.value_or(hit.email);
}
