#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>

/// A busy stretch of the calendar, end excluded.
struct Busy
{
    QDateTime start;
    QDateTime end;
};

/// Where open times may lie: working hours on working days (Monday to Friday), in the zone of the
/// `from` time given to `openTimes`.
struct WorkingHours
{
    QTime dayStart = QTime(9, 0);
    QTime dayEnd = QTime(17, 0);
    int stepMin = 30;   ///< open times start on these boundaries of the hour
    int perDay = 2;     ///< at most this many open times on one day
    int daysAhead = 14; ///< never look further than this
};

/// The first `count` open times of `durationMin` minutes after `from` (starts on a step boundary,
/// inside working hours, not overlapping any busy stretch), earliest first.
QList<QDateTime> openTimes(const QList<Busy> &busy, const QDateTime &from, int durationMin, int count,
                           const WorkingHours &hours = {});

/// The open times as a block to paste: plain text and HTML.
struct TimesBlock
{
    QString text;
    QString html;
};

/// Groups the times by day; greets `name` (first name) when given, else `email`, else nobody.
TimesBlock formatOpenTimes(const QList<QDateTime> &times, int durationMin, const QString &name,
                           const QString &email);
