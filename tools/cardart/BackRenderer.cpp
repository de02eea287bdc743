#include "BackRenderer.h"

#include "BackDesigns.h"
#include "CardCanvas.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {

using Design = QColor (*)(QPainter&, const QRectF&);

const std::array<Design, BackRenderer::count> designs = {
    BackDesigns::diamondLattice, BackDesigns::redCrosshatch, BackDesigns::greenRosette,
    BackDesigns::starryNight,    BackDesigns::knotBorder,    BackDesigns::tartan,
    BackDesigns::sunnyLandscape,
};

// White margin left around the printed pattern, as on real card backs.
constexpr qreal margin = 3.5;

} // namespace

namespace BackRenderer {

void paint(QPainter& p, int index) {
    CardCanvas::paintBlank(p);
    const QRectF area = CardCanvas::bounds().adjusted(margin, margin, -margin, -margin);
    QPainterPath areaPath;
    areaPath.addRoundedRect(area, 2.5, 2.5);

    p.save();
    p.setClipPath(areaPath);
    const QColor edge = designs.at(index)(p, area);
    p.restore();

    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(edge, 0.8));
    p.drawPath(areaPath);
    p.restore();
}

} // namespace BackRenderer

namespace BackDesigns {

// Harlequin diamonds in two blues with light lines along every edge.
QColor diamondLattice(QPainter& p, const QRectF& area) {
    const qreal halfW = 4.0;
    const qreal halfH = 5.5;
    const QColor shades[2] = {QColor(0x1c, 0x47, 0x96), QColor(0x2f, 0x64, 0xc0)};
    p.setPen(QPen(QColor(0xb4, 0xcb, 0xf2), 0.5));
    const QPointF origin = area.center();
    const int rows = int(area.height() / (2 * halfH)) + 2;
    const int cols = int(area.width() / (4 * halfW)) + 2;
    for (int j = -rows; j <= rows; ++j) {
        for (int i = -cols; i <= cols; ++i) {
            const QPointF c = origin + QPointF(i * 2 * halfW + (j & 1) * halfW, j * halfH);
            p.setBrush(shades[j & 1]);
            p.drawPolygon(QPolygonF({c + QPointF(0, -halfH), c + QPointF(halfW, 0),
                                     c + QPointF(0, halfH), c + QPointF(-halfW, 0)}));
        }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe6, 0xee, 0xfc));
    for (int j = -rows; j <= rows; ++j)
        for (int i = -cols; i <= cols; ++i)
            p.drawEllipse(origin + QPointF(i * 2 * halfW + (j & 1) * halfW + halfW, j * halfH), 0.6,
                          0.6);
    return QColor(0x10, 0x2c, 0x60);
}

// Fine diagonal hatching both ways, with a plain oval in the middle.
QColor redCrosshatch(QPainter& p, const QRectF& area) {
    p.fillRect(area, QColor(0xa8, 0x16, 0x28));
    p.setPen(QPen(QColor(0xec, 0x8a, 0x92), 0.45));
    const qreal step = 2.4;
    const qreal span = area.width() + area.height();
    for (qreal d = -span; d < span; d += step) {
        p.drawLine(QPointF(area.left() + d, area.top()),
                   QPointF(area.left() + d + area.height(), area.bottom()));
        p.drawLine(QPointF(area.left() + d, area.bottom()),
                   QPointF(area.left() + d + area.height(), area.top()));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 0.6));
    p.drawRoundedRect(area.adjusted(3, 3, -3, -3), 1.5, 1.5);

    const QPointF c = area.center();
    p.setBrush(QColor(0xa8, 0x16, 0x28));
    p.setPen(QPen(Qt::white, 0.8));
    p.drawEllipse(c, 13, 17);
    p.setPen(QPen(Qt::white, 0.4));
    p.drawEllipse(c, 11, 15);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 90);
        p.drawEllipse(QPointF(0, -4.5), 2.0, 3.6);
        p.restore();
    }
    p.setBrush(QColor(0xa8, 0x16, 0x28));
    p.drawEllipse(c, 1.6, 1.6);
    return QColor(0x5e, 0x08, 0x12);
}

// Woven plaid: dark green ground, translucent navy bands, thin red and yellow lines.
QColor tartan(QPainter& p, const QRectF& area) {
    p.fillRect(area, QColor(0x23, 0x74, 0x40));
    const qreal period = 16.0;
    const qreal band = 6.0;
    const QColor navy(0x0c, 0x1c, 0x4a, 150);
    const QColor redLine(0xd0, 0x20, 0x20);
    const QColor yellowLine(0xf4, 0xd0, 0x40);
    const QPointF c = area.center();
    for (int k = -5; k <= 5; ++k) {
        const qreal x = c.x() + k * period;
        const qreal y = c.y() + k * period;
        p.fillRect(QRectF(x - band / 2, area.top(), band, area.height()), navy);
        p.fillRect(QRectF(area.left(), y - band / 2, area.width(), band), navy);
    }
    for (int k = -5; k <= 5; ++k) {
        const qreal x = c.x() + k * period;
        const qreal y = c.y() + k * period;
        p.setPen(QPen(yellowLine, 0.5));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        p.setPen(QPen(redLine, 0.9));
        const qreal mid = period / 2;
        p.drawLine(QPointF(x + mid, area.top()), QPointF(x + mid, area.bottom()));
        p.drawLine(QPointF(area.left(), y + mid), QPointF(area.right(), y + mid));
    }
    return QColor(0x0c, 0x1c, 0x4a);
}

} // namespace BackDesigns
