#pragma once

#include "model/meeting.h"

#include <QColor>
#include <QObject>
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
/// The colours of a meeting, callable from QML as the singleton `Labels`. Words, links and the rules
/// of rows and quick add live in `Words`, `Links`, `RowRules` and `QuickAddRules`.
class Labels : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit Labels(QObject *parent = nullptr);

    Q_INVOKABLE static QColor riskColor(const Meeting &m) { return ::riskColor(m); }
    Q_INVOKABLE static QColor statusColor(const Meeting &m) { return ::statusColor(m); }
};
