#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QString>

// The application's mark: a rounded ghost with a zig-zag hem and two round eyes, 40 × 48 in its
// own proportions. Its one drawing is the monochrome icon data/icons/vesk-bar-symbolic.svg (a
// square with the mark upright in the middle), built into the program: the panel header (`GhostMark`)
// and the tray pixmaps render it, and the installed tray icon is the same drawing in the tray colour.

// The resource path of the mark's drawing.
QString ghostDrawing();

// Logical size of the mark at a given height: height × 40/48 wide.
QSizeF ghostSize(qreal height);

// The mark filled with `color` into a transparent image `height` logical pixels high, at the given
// device pixel ratio. The image carries that ratio; its pixel size is the logical size times the
// ratio, rounded up, with the mark centred.
QImage ghostImage(qreal height = 16, qreal devicePixelRatio = 1.0, QColor color = QColor(Qt::black));
