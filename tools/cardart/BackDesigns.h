#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// Pattern painters for the backs. Each fills `area` (the painter is already clipped to it)
// and returns the colour of the line drawn around the area afterwards.
namespace BackDesigns {

QColor diamondLattice(QPainter& p, const QRectF& area);
QColor redCrosshatch(QPainter& p, const QRectF& area);
QColor greenRosette(QPainter& p, const QRectF& area);
QColor starryNight(QPainter& p, const QRectF& area);
QColor knotBorder(QPainter& p, const QRectF& area);
QColor tartan(QPainter& p, const QRectF& area);
QColor sunnyLandscape(QPainter& p, const QRectF& area);

} // namespace BackDesigns
