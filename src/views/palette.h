#pragma once

#include "model/meeting.h"

#include <QColor>
#include <QObject>

/// The panel's fixed dark palette, the one source of its colours for C++ and, as the singleton
/// `Pal`, for QML. The panel never follows the desktop's theme.
class Pal : public QObject
{
    Q_OBJECT

    Q_PROPERTY(QColor bg READ bgColor CONSTANT)
    Q_PROPERTY(QColor card READ cardColor CONSTANT)
    Q_PROPERTY(QColor card2 READ card2Color CONSTANT)
    Q_PROPERTY(QColor line READ lineColor CONSTANT)
    Q_PROPERTY(QColor text READ textColor CONSTANT)
    Q_PROPERTY(QColor muted READ mutedColor CONSTANT)
    Q_PROPERTY(QColor dim READ dimColor CONSTANT)
    Q_PROPERTY(QColor green READ greenColor CONSTANT)
    Q_PROPERTY(QColor amber READ amberColor CONSTANT)
    Q_PROPERTY(QColor red READ redColor CONSTANT)
    Q_PROPERTY(QColor violet2 READ violet2Color CONSTANT)
    Q_PROPERTY(QColor violet READ violetColor CONSTANT)
    Q_PROPERTY(QColor ink READ inkColor CONSTANT)
    Q_PROPERTY(QColor systemRed READ systemRedColor CONSTANT)

public:
    static inline const QColor bg{0x0C, 0x0C, 0x16};
    static inline const QColor card{0x17, 0x17, 0x2A};
    static inline const QColor card2{0x1F, 0x1F, 0x36};
    static inline const QColor line{255, 255, 255, qRound(0.08 * 255)};
    static inline const QColor text{0xF3, 0xF2, 0xFA};
    static inline const QColor muted{0xB4, 0xB1, 0xCC};
    static inline const QColor dim{0x7F, 0x7C, 0x99};
    static inline const QColor green{0x37, 0xE3, 0x9F};
    static inline const QColor amber{0xFF, 0xC4, 0x4D};
    static inline const QColor red{0xFF, 0x6B, 0x7A};
    static inline const QColor violet2{0xC4, 0xB8, 0xFF};
    /// The strong accent: the mark, the sign-in button, "Join" before a meeting, "Open in Mail".
    // The mark's colour; the build also fills the installed tray icon with it.
    static inline const QColor violet = QColor::fromRgb(QRgb(VESK_MARK_RGB));
    /// The near-black ink on filled pills and the violet copy button.
    static inline const QColor ink{0x0B, 0x0B, 0x14};
    /// The desktop's red for the feed error line.
    static inline const QColor systemRed{0xFF, 0x45, 0x3A};

    explicit Pal(QObject *parent = nullptr);

    /// Colour of a meeting's risk: its status decides first, its risk level only when the status does not.
    Q_INVOKABLE static QColor riskColor(const Meeting &m);
    /// Colour of a meeting's status alone.
    Q_INVOKABLE static QColor statusColor(const Meeting &m);
    /// Text sizes are given in points at 96 dpi; as font point sizes they follow the desktop's
    /// font scaling.
    Q_INVOKABLE static qreal pt(qreal size) { return size * 72 / 96; }

private:
    static QColor bgColor() { return bg; }
    static QColor cardColor() { return card; }
    static QColor card2Color() { return card2; }
    static QColor lineColor() { return line; }
    static QColor textColor() { return text; }
    static QColor mutedColor() { return muted; }
    static QColor dimColor() { return dim; }
    static QColor greenColor() { return green; }
    static QColor amberColor() { return amber; }
    static QColor redColor() { return red; }
    static QColor violet2Color() { return violet2; }
    static QColor violetColor() { return violet; }
    static QColor inkColor() { return ink; }
    static QColor systemRedColor() { return systemRed; }
};
