#include "views/ghostimage.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr qreal GridWidth = 40.0;
constexpr qreal GridHeight = 48.0;

void drawGhost(QPainter &painter, qreal height, const QColor &color)
{
    const qreal unit = height / GridHeight;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(unit, unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(ghostPath());
    painter.restore();
}
} // namespace

QPainterPath ghostPath()
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.moveTo(20, 2);
    path.cubicTo(10, 2, 4, 10, 4, 20);
    path.lineTo(4, 42);
    path.lineTo(9, 38);
    path.lineTo(14, 42);
    path.lineTo(20, 38);
    path.lineTo(26, 42);
    path.lineTo(31, 38);
    path.lineTo(36, 42);
    path.lineTo(36, 20);
    path.cubicTo(36, 10, 30, 2, 20, 2);
    path.closeSubpath();
    path.addEllipse(QRectF(10.8, 14.8, 6.4, 6.4));
    path.addEllipse(QRectF(22.8, 14.8, 6.4, 6.4));
    return path;
}

QSizeF ghostSize(qreal height)
{
    return {height * GridWidth / GridHeight, height};
}

QImage ghostImage(qreal height, qreal devicePixelRatio, QColor color)
{
    if (height <= 0 || devicePixelRatio <= 0)
        return {};
    const QSizeF logical = ghostSize(height);
    const QSize pixels(int(std::ceil(logical.width() * devicePixelRatio - 1e-9)),
                       int(std::ceil(logical.height() * devicePixelRatio - 1e-9)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    drawGhost(painter, height, color);
    return image;
}

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
    drawGhost(*painter, height(), m_color);
}
