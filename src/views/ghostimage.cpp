#include "views/ghostimage.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace {
constexpr qreal GridWidth = 40.0;
constexpr qreal GridHeight = 48.0;
} // namespace

QString ghostDrawing()
{
    return QStringLiteral(":/vesk/mark.svg");
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
    QSvgRenderer drawing(ghostDrawing());
    if (!drawing.isValid())
        return {};
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The drawing is a square as high as the mark; its sides are empty.
    const qreal side = height * devicePixelRatio;
    drawing.render(&painter, QRectF((pixels.width() - side) / 2, 0, side, side));
    // Whatever colour the drawing has, the mark takes `color`, keeping the drawing's coverage.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}
