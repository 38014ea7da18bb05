#include "views/tintedicon.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QQuickWindow>
#include <QSvgRenderer>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {
QString iconPath(const QString &name)
{
    return u":/qt/qml/Vesk/views/icons/"_s + name + u".svg"_s;
}
} // namespace

TintedIcon::TintedIcon(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    setImplicitSize(16, 16);
}

void TintedIcon::setName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    update();
    Q_EMIT nameChanged();
}

void TintedIcon::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    Q_EMIT colorChanged();
}

bool TintedIcon::exists(const QString &name)
{
    return !name.isEmpty() && QFile::exists(iconPath(name));
}

QImage TintedIcon::render(const QString &name, QSize size, const QColor &color)
{
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer svg(iconPath(name));
    if (!svg.isValid())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Keep the symbol's own aspect ratio, centred in the square.
    const QSizeF natural = svg.defaultSize().isEmpty() ? QSizeF(size) : QSizeF(svg.defaultSize());
    const QSizeF fitted = natural.scaled(QSizeF(size), Qt::KeepAspectRatio);
    const QRectF target(QPointF((size.width() - fitted.width()) / 2, (size.height() - fitted.height()) / 2),
                        fitted);
    svg.render(&painter, target);
    // The symbolic icons are single-colour shapes: keep their coverage, replace their colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    return image;
}

void TintedIcon::paint(QPainter *painter)
{
    const qreal dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels(int(std::ceil(width() * dpr)), int(std::ceil(height() * dpr)));
    QImage image = render(m_name, pixels, m_color);
    if (image.isNull())
        return;
    image.setDevicePixelRatio(dpr);
    painter->drawImage(QPointF(0, 0), image);
}
