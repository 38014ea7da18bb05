#pragma once

#include "model/meeting.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

/// The addresses a meeting row opens or copies, callable from QML as the singleton `Links`.
class Links : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    /// The join link when it parses as an address; empty otherwise.
    Q_INVOKABLE static QUrl joinUrl(const Meeting &m);
    /// Whether the row offers "Join": a link that parses, before the meeting ends.
    Q_INVOKABLE static bool offersJoin(const Meeting &m, const QDateTime &now);
    /// "mailto:" with every attendee's address joined by ","; empty when that does not parse (the
    /// row then offers no "Email").
    Q_INVOKABLE static QUrl mailto(const Meeting &m);
    /// The mail address of a drafted mail: the attendees, then the subject and body as query items.
    Q_INVOKABLE static QUrl draftMailUrl(const Meeting &m, const QString &subject, const QString &body);
    /// The plain text "Copy" puts on the clipboard for a drafted mail.
    Q_INVOKABLE static QString draftText(const QString &subject, const QString &body);
};
