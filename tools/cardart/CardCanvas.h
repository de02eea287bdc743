#pragma once

#include <QPainterPath>
#include <QRectF>

class QPainter;

// Everything is drawn in these logical units; the @2x pictures only scale the painter.
namespace CardCanvas {

inline constexpr int width = 71;
inline constexpr int height = 96;
inline constexpr qreal cornerRadius = 4.0;

inline QRectF bounds() {
    return QRectF(0, 0, width, height);
}

// The card outline, inset by half a pixel so a 1px border lands on whole pixels at 1x.
QPainterPath outline();

// White card with the thin grey edge every face and back starts from.
void paintBlank(QPainter& p);

} // namespace CardCanvas
