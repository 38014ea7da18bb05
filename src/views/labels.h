#pragma once

#include "model/meeting.h"
#include "model/personhit.h"
#include "model/qadraft.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

/// Display word of a status code; an unknown code comes back unchanged.
QString statusLabel(const QString &code);
/// Display word of a conference-kind code; an unknown code comes back unchanged.
QString roomLabel(const QString &code);

/// The mappings and small text rules of the views, callable from QML as the singleton `Labels`.
class Labels : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit Labels(QObject *parent = nullptr);

    Q_INVOKABLE static QString statusLabel(const QString &code) { return ::statusLabel(code); }
    Q_INVOKABLE static QString roomLabel(const QString &code) { return ::roomLabel(code); }

    /// The viewed day's label: "Today", or the abbreviated weekday, month and day in locale order.
    Q_INVOKABLE static QString dayLabel(const QDateTime &day, bool isToday);
    /// A start time as a time of day in the locale's short style.
    Q_INVOKABLE static QString timeOfDay(const QDateTime &instant);

    /// The meeting has begun and not yet ended at `now` (start included, end excluded).
    Q_INVOKABLE static bool isLive(const Meeting &m, const QDateTime &now);
    /// The meeting has ended at `now`.
    Q_INVOKABLE static bool isPast(const Meeting &m, const QDateTime &now);
    /// Opacity of a row: ended meetings are faded unless open or still needing attention.
    Q_INVOKABLE static qreal rowOpacity(const Meeting &m, const QDateTime &now, bool isOpen);
    /// Attendee names with their replies marked, joined by ", ".
    Q_INVOKABLE static QString attendees(const Meeting &m);
    /// Whether the service's suggested next step is shown.
    Q_INVOKABLE static bool showsNextStep(const Meeting &m, const QDateTime &now);
    /// The join link when it parses as an address; empty otherwise.
    Q_INVOKABLE static QUrl joinUrl(const Meeting &m);
    /// Whether the row offers "Join": a link that parses, before the meeting ends.
    Q_INVOKABLE static bool offersJoin(const Meeting &m, const QDateTime &now);
    /// "mailto:" with every attendee's address joined by ","; empty when that does not parse.
    Q_INVOKABLE static QUrl mailto(const Meeting &m);
    /// The mail address of a drafted mail: the attendees, then the subject and body as query items.
    Q_INVOKABLE static QUrl draftMailUrl(const Meeting &m, const QString &subject, const QString &body);
    /// The plain text "Copy" puts on the clipboard for a drafted mail.
    Q_INVOKABLE static QString draftText(const QString &subject, const QString &body);

    /// The quick-add card's time line ("when · N min"), or empty when the draft has no time.
    Q_INVOKABLE static QString draftTimeLine(const QADraft &draft);
    /// The quick-add card's main button label.
    Q_INVOKABLE static QString quickAddMainLabel(const QADraft &draft);
    /// Whether the quick-add card's main button is enabled.
    Q_INVOKABLE static bool quickAddMainEnabled(const QADraft &draft, bool busy);
    /// A candidate as a menu item: its name (or address), a spaced middle dot, its address.
    Q_INVOKABLE static QString candidateLabel(const PersonHit &hit);
    /// A search hit's name, or the part of its address before the "@".
    Q_INVOKABLE static QString hitName(const PersonHit &hit);
    /// The chosen person's chip text: "for " and the name, or the address without one.
    Q_INVOKABLE static QString chipText(const PersonHit &hit);
};
