#include "views/ghostmark.h"

#include "views/ghostimage.h"

#include <QPainter>
#include <QQuickWindow>

GhostMark::GhostMark(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    setImplicitSize(ghostSize(18).width(), 18);
}

void GhostMark::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    Q_EMIT colorChanged();
}

void GhostMark::paint(QPainter *painter)
{
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QImage image = ghostImage(height(), ratio, m_color);
    if (image.isNull())
        return;
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QSizeF size = image.deviceIndependentSize();
    painter->drawImage(QRectF((width() - size.width()) / 2, 0, size.width(), size.height()), image);
}
