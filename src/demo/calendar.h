#pragma once

#include "demo/opentimes.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

/// An attendee as the feed shows them.
struct Attendee
{
    QString name;
    QString email;
    QString rsvp; ///< "accepted", "declined", "tentative" or "needsAction"
};

/// One meeting of the demo calendar, with the notes its follow-up draft rests on.
struct DemoMeeting
{
    QString id;
    QString title;
    QDateTime startsAt;
    QDateTime endsAt;
    QString room;
    std::optional<QString> joinUrl;
    QString status;
    QString riskLevel;
    qint64 riskScore = 0;
    std::optional<QString> action;
    bool watched = false;
    QList<Attendee> people;
    QStringList notes;

    QJsonObject toJson() const;
};

/// The demo account's calendar: generated from the time it is created and a fixed seed, so a day
/// looks the same on every run started at the same time; it then keeps every change.
/// Today holds one meeting of each status and conference kind around the present moment;
/// tomorrow starts with two morning meetings; other weekdays get three to five meetings.
class DemoCalendar
{
public:
    explicit DemoCalendar(const QDateTime &createdAt, quint32 seed = 20250304);

    /// The day's meetings in start order (generated on first use).
    const QList<DemoMeeting> &day(const QDate &date);
    /// The current day's meetings followed by the next day's meetings before noon.
    QList<DemoMeeting> feedFor(const QDateTime &now);

    DemoMeeting *find(const QString &id);
    /// Adds a meeting to its day, keeping the day in start order, and gives it an id.
    const DemoMeeting &add(DemoMeeting meeting);
    /// Every meeting of the days from `first` to `last`, as busy stretches.
    QList<Busy> busy(const QDate &first, const QDate &last);

private:
    QList<DemoMeeting> generate(const QDate &date) const;
    QList<DemoMeeting> generateToday() const;

    QDateTime m_createdAt;
    quint32 m_seed;
    int m_added = 0;
    QMap<QDate, QList<DemoMeeting>> m_days;
};
