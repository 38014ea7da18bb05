#pragma once

#include "model/meeting.h"
#include "model/personhit.h"
#include "model/qadraft.h"

#include <QColor>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

/// The panel's fixed dark palette (the QML singleton Pal holds the same values).
namespace Pal {
inline const QColor bg{0x0C, 0x0C, 0x16};
inline const QColor card{0x17, 0x17, 0x2A};
inline const QColor card2{0x1F, 0x1F, 0x36};
inline const QColor line{255, 255, 255, qRound(0.08 * 255)};
inline const QColor text{0xF3, 0xF2, 0xFA};
inline const QColor muted{0xB4, 0xB1, 0xCC};
inline const QColor dim{0x7F, 0x7C, 0x99};
inline const QColor green{0x37, 0xE3, 0x9F};
inline const QColor amber{0xFF, 0xC4, 0x4D};
inline const QColor red{0xFF, 0x6B, 0x7A};
inline const QColor violet2{0xC4, 0xB8, 0xFF};
} // namespace Pal

/// The strong accent: the mark in the panel header, the sign-in button, "Join" before a meeting.
inline const QColor violet{0x8F, 0x7B, 0xFF};

/// Colour of a meeting's risk: its status decides first, its risk level only when the status does not.
QColor riskColor(const Meeting &m);
/// Colour of a meeting's status alone.
QColor statusColor(const Meeting &m);
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

    Q_INVOKABLE static QColor riskColor(const Meeting &m) { return ::riskColor(m); }
    Q_INVOKABLE static QColor statusColor(const Meeting &m) { return ::statusColor(m); }
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
