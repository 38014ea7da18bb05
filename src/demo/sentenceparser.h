#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

/// What the quick-add parser read from one English sentence.
struct Sentence
{
    QString intent; ///< "schedule" (a time was given), "intro" (A <> B) or "find_time" (no time)
    QString title;
    std::optional<QDateTime> start; ///< absent when the sentence names no time of day
    int durationMin = 30;
    QStringList people;                          ///< the words that name each person, in sentence order
    QString conference = QStringLiteral("none"); ///< "zoom", "meet" or "none"
    std::optional<QString> location;
};

/// Reads sentences such as "Coffee with Nils tomorrow at 3", "Ivo <> Rena tomorrow 10am",
/// "Lunch with Maya Friday 12:30 for 45 min on zoom" or "call with sam". Times are local to `now`'s
/// zone; an hour from 1 to 7 without am/pm is taken as afternoon; a weekday means its next date,
/// today included only while the time is still ahead. Nothing when the sentence names no event.
std::optional<Sentence> parseSentence(const QString &text, const QDateTime &now);

/// "Today 15:00", "Tomorrow 10:00" or "Fri 11 Dec 12:30", relative to `now`.
QString describeWhen(const QDateTime &start, const QDateTime &now);
