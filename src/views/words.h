#pragma once

#include "model/meeting.h"
#include "model/personhit.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// The words and time formats of the views, callable from QML as the singleton `Words`.
class Words : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    /// Display word of a status code; an unknown code comes back unchanged.
    Q_INVOKABLE static QString statusLabel(const QString &code);
    /// Display word of a conference-kind code; an unknown code comes back unchanged.
    Q_INVOKABLE static QString roomLabel(const QString &code);
    /// The viewed day's label: "Today", or the abbreviated weekday, month and day in locale order.
    Q_INVOKABLE static QString dayLabel(const QDateTime &day, bool isToday);
    /// A start time as hours and minutes in the locale's short style (as the tray title shows it).
    Q_INVOKABLE static QString timeOfDay(const QDateTime &instant);
    /// Attendee names with their replies marked, joined by ", ".
    Q_INVOKABLE static QString attendees(const Meeting &m);
    /// A search hit's name, or the part of its address before the "@".
    Q_INVOKABLE static QString hitName(const PersonHit &hit);
    /// The chosen person's chip text: "for " and the name, or the address without one.
    Q_INVOKABLE static QString chipText(const PersonHit &hit);
    /// A candidate as a menu item: its name (or address), a spaced middle dot, its address.
    Q_INVOKABLE static QString candidateLabel(const PersonHit &hit);
};
