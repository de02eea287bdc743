#include "CardCanvas.h"

#include <QPainter>

namespace CardCanvas {

QPainterPath outline() {
    QPainterPath path;
    path.addRoundedRect(bounds().adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    return path;
}

void paintBlank(QPainter& p) {
    p.save();
    // The corners stay white too: the game clips the card with its own rounded region.
    p.fillRect(bounds(), Qt::white);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline());
    p.restore();
}

} // namespace CardCanvas
