#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QQuickPaintedItem>
#include <QSizeF>
#include <QtQml/qqmlregistration.h>

// The application's mark: a rounded ghost with a zig-zag hem and two round eyes, drawn on a
// 40 × 48 design grid scaled from the height.

// The mark's outline and eyes as one path in grid units (fill it with the even-odd rule so the
// eyes are holes).
QPainterPath ghostPath();

// Logical size of the mark at a given height: height × 40/48 wide.
QSizeF ghostSize(qreal height);

// The mark filled with `color` into a transparent image `height` logical pixels high, at the given
// device pixel ratio. The image carries that ratio; its pixel size is the logical size times the
// ratio, rounded up.
QImage ghostImage(qreal height = 16, qreal devicePixelRatio = 1.0, QColor color = QColor(Qt::black));

// The mark as a Qt Quick item, drawn in vector form at the item's height.
class GhostMark : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    explicit GhostMark(QQuickItem *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void colorChanged();

private:
    QColor m_color = QColor(Qt::black);
};
