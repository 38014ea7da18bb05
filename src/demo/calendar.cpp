#include "demo/calendar.h"

#include "demo/contacts.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QTimeZone>

#include <algorithm>

namespace {

QString isoUtc(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString joinUrlFor(const QString &room, const QString &id)
{
    if (room == u"zoom")
        return QStringLiteral("https://zoom.us/j/8%1").arg(qHash(id) % 100000000, 8, 10, QLatin1Char('0'));
    if (room == u"meet")
        return QStringLiteral("https://meet.google.com/vsk-") + id.right(4) + QStringLiteral("-demo");
    if (room == u"teams")
        return QStringLiteral("https://teams.microsoft.com/l/meetup-join/") + id;
    if (room == u"webex")
        return QStringLiteral("https://vesk-demo.webex.com/meet/") + id;
    if (room == u"other")
        return QStringLiteral("https://whereby.com/vesk-") + id;
    return {};
}

Attendee attendee(const Contact &c, const char *rsvp)
{
    return {c.name, c.email, QString::fromLatin1(rsvp)};
}

const Contact &person(const char *name)
{
    for (const Contact &c : Contacts::all()) {
        if (c.name == QString::fromUtf8(name))
            return c;
    }
    return Contacts::all().first();
}

struct Template
{
    const char *title;
    const char *status;
    const char *room;
    const char *riskLevel;
    int riskScore;
    const char *action;
    bool watched;
    int minutes;
};

} // namespace

QJsonObject DemoMeeting::toJson() const
{
    QJsonArray attendees;
    for (const Attendee &a : people)
        attendees.append(QJsonObject{{QStringLiteral("name"), a.name},
                                     {QStringLiteral("email"), a.email},
                                     {QStringLiteral("rsvp"), a.rsvp}});
    QJsonObject out{{QStringLiteral("id"), id},
                    {QStringLiteral("title"), title},
                    {QStringLiteral("startsAt"), isoUtc(startsAt)},
                    {QStringLiteral("endsAt"), isoUtc(endsAt)},
                    {QStringLiteral("room"), room},
                    {QStringLiteral("status"), status},
                    {QStringLiteral("riskLevel"), riskLevel},
                    {QStringLiteral("riskScore"), riskScore},
                    {QStringLiteral("watched"), watched},
                    {QStringLiteral("people"), attendees}};
    out.insert(QStringLiteral("joinUrl"), joinUrl ? QJsonValue(*joinUrl) : QJsonValue());
    out.insert(QStringLiteral("action"), action ? QJsonValue(*action) : QJsonValue());
    return out;
}

DemoCalendar::DemoCalendar(const QDateTime &createdAt, quint32 seed)
    : m_createdAt(createdAt)
    , m_seed(seed)
{}

const QList<DemoMeeting> &DemoCalendar::day(const QDate &date)
{
    auto it = m_days.find(date);
    if (it == m_days.end())
        it = m_days.insert(date, date == m_createdAt.date() ? generateToday() : generate(date));
    return *it;
}

QList<DemoMeeting> DemoCalendar::feedFor(const QDateTime &now)
{
    QList<DemoMeeting> out = day(now.date());
    const QDateTime noon(now.date().addDays(1), QTime(12, 0), now.timeZone());
    for (const DemoMeeting &m : day(now.date().addDays(1))) {
        if (m.startsAt < noon)
            out.append(m);
    }
    return out;
}

DemoMeeting *DemoCalendar::find(const QString &id)
{
    for (auto &meetings : m_days) {
        for (DemoMeeting &m : meetings) {
            if (m.id == id)
                return &m;
        }
    }
    return nullptr;
}

const DemoMeeting &DemoCalendar::add(DemoMeeting meeting)
{
    meeting.id = QStringLiteral("new-%1").arg(++m_added);
    if (const QString url = joinUrlFor(meeting.room, meeting.id); !meeting.joinUrl && !url.isEmpty())
        meeting.joinUrl = url;
    day(meeting.startsAt.date()); // the day's own meetings first
    QList<DemoMeeting> &list = m_days[meeting.startsAt.date()];
    const auto at = std::upper_bound(list.begin(), list.end(), meeting,
                                     [](const auto &a, const auto &b) { return a.startsAt < b.startsAt; });
    return *list.insert(at, std::move(meeting));
}

QList<Busy> DemoCalendar::busy(const QDate &first, const QDate &last)
{
    QList<Busy> out;
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        for (const DemoMeeting &m : day(d))
            out.append({m.startsAt, m.endsAt});
    }
    return out;
}

QList<DemoMeeting> DemoCalendar::generateToday() const
{
    // Around the moment the service started, rounded down to a quarter hour: five ended meetings,
    // one under way and two still to come, one of them within the hour.
    const QDateTime now = m_createdAt;
    const QTime t = now.time();
    const QDateTime anchor(now.date(), QTime(t.hour(), t.minute() - t.minute() % 15), now.timeZone());
    struct Slot
    {
        int offsetMin;
        Template tpl;
        QList<Attendee> people;
        QStringList notes;
    };
    const QList<Slot> slots = {
        {-330,
         {"Pricing review with Northwind", "vesk", "zoom", "low", 12, "Send the revised quote", false, 45},
         {attendee(person("Nils Berg"), "accepted"), attendee(person("Clara Weiss"), "accepted")},
         {QStringLiteral("Northwind wants 40 seats from March"),
          QStringLiteral("Clara asked for an annual price")}},
        {-255,
         {"Intro call: Tallgrass", "no_show", "meet", "high", 81, "Offer two new times", true, 30},
         {attendee(person("Ben Carter"), "tentative")},
         {}},
        {-180,
         {"Kestrel quarterly check-in", "rescued", "teams", "medium", 44, "Share the board deck", false, 60},
         {attendee(person("Ivo Petrov"), "accepted"), attendee(person("Hana Sato"), "declined"),
          attendee(person("Kofi Mensah"), "accepted")},
         {QStringLiteral("Moved twice; Ivo confirmed by mail this morning"),
          QStringLiteral("Hana is out; Kofi takes over her questions")}},
        {-120,
         {"Demo for Lumen Health", "unconfirmed", "webex", "high", 72, "Mark whether it took place", true,
          45},
         {attendee(person("Rena Okoye"), "needsAction"), attendee(person("Priya Raman"), "accepted")},
         {QStringLiteral("Priya wants the audit log export")}},
        {-75,
         {"Contract questions, Orbit Freight", "confirmed", "none", "low", 8,
          "Nothing yet: wait for their legal team", false, 30},
         {attendee(person("Tomás Ruiz"), "accepted")},
         {QStringLiteral("Legal reviews clause 7 this week")}},
        {-15,
         {"Onboarding with Fjord Labs", "confirmed", "zoom", "low", 15,
          "Walk Maya through the admin settings", false, 45},
         {attendee(person("Maya Lind"), "accepted"), attendee(person("Jonas Meyer"), "accepted"),
          attendee(person("Freya Holm"), "declined")},
         {}},
        {45,
         {"Renewal call: Brightpath", "at_risk", "meet", "high", 88,
          "Confirm Sam still joins; no reply since Monday", true, 30},
         {attendee(person("Sam Patel"), "needsAction"), attendee(person("Elif Demir"), "accepted")},
         {QStringLiteral("Budget cut rumours at Brightpath")}},
        {150,
         {"Partnership chat, Sundial Media", "unconfirmed", "other", "medium", 39,
          "Nothing yet. Vesk will nudge them an hour before", false, 30},
         {attendee(person("Mateo Silva"), "tentative"), attendee(person("Ines Costa"), "needsAction")},
         {}},
    };
    QList<DemoMeeting> out;
    int n = 0;
    for (const Slot &slot : slots) {
        const QDateTime start = anchor.addSecs(qint64(slot.offsetMin) * 60);
        if (start.date() != now.date())
            continue; // early in the morning or late at night some meetings do not fit the day
        DemoMeeting m;
        m.id = QStringLiteral("m-%1-%2").arg(now.date().toString(QStringLiteral("yyyyMMdd"))).arg(++n);
        m.title = QString::fromUtf8(slot.tpl.title);
        m.startsAt = start;
        m.endsAt = start.addSecs(qint64(slot.tpl.minutes) * 60);
        m.room = QString::fromLatin1(slot.tpl.room);
        if (const QString url = joinUrlFor(m.room, m.id); !url.isEmpty())
            m.joinUrl = url;
        m.status = QString::fromLatin1(slot.tpl.status);
        m.riskLevel = QString::fromLatin1(slot.tpl.riskLevel);
        m.riskScore = slot.tpl.riskScore;
        m.action = QString::fromUtf8(slot.tpl.action);
        m.watched = slot.tpl.watched;
        m.people = slot.people;
        m.notes = slot.notes;
        out.append(m);
    }
    return out;
}

QList<DemoMeeting> DemoCalendar::generate(const QDate &date) const
{
    static const Template kinds[] = {
        {"Discovery call", "confirmed", "zoom", "low", 14, "Send the case study", false, 30},
        {"Product demo", "unconfirmed", "meet", "medium", 41, "Confirm the attendee list", true, 45},
        {"Quarterly business review", "confirmed", "teams", "low", 9, nullptr, false, 60},
        {"Contract walkthrough", "at_risk", "zoom", "high", 77, "They have not opened the agenda", true, 30},
        {"Coffee chat", "confirmed", "none", "low", 5, nullptr, false, 30},
        {"Security questionnaire review", "unconfirmed", "webex", "medium", 52, "Nothing yet", false, 45},
        {"Pilot kickoff", "confirmed", "meet", "low", 18, "Share the pilot plan", false, 60},
    };
    const bool tomorrow = date == m_createdAt.date().addDays(1);
    QList<DemoMeeting> out;
    if (date.dayOfWeek() > 5 && !tomorrow)
        return out; // a quiet weekend
    QRandomGenerator rng(m_seed ^ quint32(date.toJulianDay()));
    // Minutes after midnight: two fixed morning meetings tomorrow, and two to four of these slots.
    QList<int> starts;
    QList<int> free = {9 * 60 + 30, 11 * 60, 13 * 60, 14 * 60 + 30, 16 * 60};
    if (tomorrow) {
        starts << 9 * 60 << 10 * 60 + 30;
        free.erase(free.begin(), free.begin() + 2);
    }
    for (int extra = 2 + int(rng.bounded(3)); extra > 0 && !free.isEmpty(); --extra)
        starts << free.takeAt(rng.bounded(int(free.size())));
    std::sort(starts.begin(), starts.end());
    const bool past = date < m_createdAt.date();
    const QList<Contact> &book = Contacts::all();
    int n = 0;
    for (const int minute : std::as_const(starts)) {
        const Template &tpl = kinds[rng.bounded(int(std::size(kinds)))];
        const Contact &c = book.at(rng.bounded(int(book.size())));
        const Contact &other = book.at(rng.bounded(int(book.size())));
        DemoMeeting m;
        m.id = QStringLiteral("m-%1-%2").arg(date.toString(QStringLiteral("yyyyMMdd"))).arg(++n);
        m.title = QString::fromUtf8(tpl.title) + QStringLiteral(", ") + c.company;
        m.startsAt = QDateTime(date, QTime(minute / 60, minute % 60), m_createdAt.timeZone());
        m.endsAt = m.startsAt.addSecs(qint64(tpl.minutes) * 60);
        m.room = QString::fromLatin1(tpl.room);
        if (const QString url = joinUrlFor(m.room, m.id); !url.isEmpty())
            m.joinUrl = url;
        m.status = past ? (rng.bounded(4) == 0 ? QStringLiteral("no_show") : QStringLiteral("vesk"))
                        : QString::fromLatin1(tpl.status);
        m.riskLevel = QString::fromLatin1(tpl.riskLevel);
        m.riskScore = tpl.riskScore;
        if (tpl.action)
            m.action = QString::fromUtf8(tpl.action);
        m.watched = tpl.watched;
        m.people = {attendee(c, "accepted")};
        if (other.email != c.email && other.company == c.company)
            m.people.append(attendee(other, rng.bounded(2) ? "needsAction" : "declined"));
        m.notes = {QStringLiteral("%1 leads the evaluation at %2").arg(c.firstName(), c.company)};
        out.append(m);
    }
    return out;
}
