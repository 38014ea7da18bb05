#pragma once

#include "model/meeting.h"

#include <QDateTime>
#include <QObject>
#include <QtQml/qqmlregistration.h>

/// When a meeting row counts as live or past and what it shows then, callable from QML as the
/// singleton `RowRules`.
class RowRules : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    /// The meeting has begun and not yet ended at `now` (start included, end excluded).
    Q_INVOKABLE static bool isLive(const Meeting &m, const QDateTime &now);
    /// The meeting has ended at `now`.
    Q_INVOKABLE static bool isPast(const Meeting &m, const QDateTime &now);
    /// Opacity of a row: ended meetings are faded unless open or still needing attention.
    Q_INVOKABLE static qreal rowOpacity(const Meeting &m, const QDateTime &now, bool isOpen);
    /// Whether the service's suggested next step is shown.
    Q_INVOKABLE static bool showsNextStep(const Meeting &m, const QDateTime &now);
};
