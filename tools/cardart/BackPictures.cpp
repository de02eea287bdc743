#include "BackDesigns.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr qreal pi = std::numbers::pi;

// Ring of `count` petals pointing away from `centre`.
void petals(QPainter& p, QPointF centre, int count, qreal distance, qreal rx, qreal ry,
            qreal turn = 0) {
    for (int i = 0; i < count; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(turn + i * 360.0 / count);
        p.drawEllipse(QPointF(0, -distance), rx, ry);
        p.restore();
    }
}

QPainterPath star(QPointF centre, qreal outer, qreal inner, int points = 5) {
    QPolygonF poly;
    for (int i = 0; i < 2 * points; ++i) {
        const qreal r = (i % 2) ? inner : outer;
        const qreal a = -pi / 2 + i * pi / points;
        poly << centre + QPointF(r * std::cos(a), r * std::sin(a));
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

// Fixed pseudo-random sequence so every build scatters the stars the same way.
class Scatter {
public:
    qreal next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / qreal(1u << 24);
    }

private:
    std::uint32_t state = 20240611u;
};

const QColor gold(0xe8, 0xc0, 0x5a);

// Two gold strands weaving along a line; the painter's x axis runs along it.
void braid(QPainter& p, qreal length, int crossings, qreal amplitude, const QColor& ground) {
    const qreal half = length / crossings;
    auto strand = [&](qreal sign) {
        QPainterPath path;
        const int steps = crossings * 8;
        for (int i = 0; i <= steps; ++i) {
            const qreal x = length * i / steps;
            const QPointF pt(x, sign * amplitude * std::sin(pi * x / half));
            i == 0 ? path.moveTo(pt) : path.lineTo(pt);
        }
        return path;
    };
    const QPainterPath a = strand(1);
    const QPainterPath b = strand(-1);
    auto stroke = [&](const QPainterPath& path) {
        p.strokePath(path, QPen(ground, 2.0, Qt::SolidLine, Qt::FlatCap));
        p.strokePath(path, QPen(gold, 1.0, Qt::SolidLine, Qt::FlatCap));
    };
    stroke(a);
    stroke(b);
    // Lay strand a back on top at every other crossing so the strands go over and under.
    for (int k = 1; k < crossings; k += 2) {
        p.save();
        p.setClipRect(QRectF(k * half - half / 3, -amplitude - 2, 2 * half / 3, 2 * amplitude + 4),
                      Qt::IntersectClip);
        stroke(a);
        p.restore();
    }
}

} // namespace

namespace BackDesigns {

// Green ground with small dots and a many-petalled rosette in the middle.
QColor greenRosette(QPainter& p, const QRectF& area) {
    p.fillRect(area, QColor(0x17, 0x69, 0x3a));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3c, 0x92, 0x5c));
    for (qreal y = area.top() + 2; y < area.bottom(); y += 4)
        for (qreal x = area.left() + 2; x < area.right(); x += 4)
            p.drawEllipse(QPointF(x, y), 0.5, 0.5);

    const QColor cream(0xf5, 0xea, 0xc0);
    const QColor pale(0x9f, 0xd8, 0xa8);
    const QColor dark(0x0b, 0x40, 0x22);
    for (const QPointF corner :
         {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()}) {
        p.setPen(QPen(dark, 0.4));
        p.setBrush(pale);
        petals(p, corner, 12, 7, 1.8, 4.5);
    }

    const QPointF c = area.center();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(gold, 0.7));
    p.drawEllipse(c, 22, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    petals(p, c, 24, 24, 0.8, 0.8);
    p.setPen(QPen(dark, 0.4));
    p.setBrush(pale);
    petals(p, c, 16, 13, 2.8, 7.5);
    p.setBrush(cream);
    petals(p, c, 8, 7.5, 2.6, 5.5, 22.5);
    p.setBrush(gold);
    p.drawEllipse(c, 3.2, 3.2);
    p.setBrush(QColor(0xb0, 0x20, 0x30));
    p.drawEllipse(c, 1.4, 1.4);
    return dark;
}

// Night sky with scattered stars and a crescent moon.
QColor starryNight(QPainter& p, const QRectF& area) {
    QRadialGradient sky(area.center(), area.height() * 0.7);
    sky.setColorAt(0, QColor(0x1c, 0x2c, 0x70));
    sky.setColorAt(1, QColor(0x08, 0x10, 0x34));
    p.fillRect(area, sky);

    Scatter scatter;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        const QPointF at(area.left() + scatter.next() * area.width(),
                         area.top() + scatter.next() * area.height());
        const qreal size = 0.9 + 1.6 * scatter.next();
        p.setBrush(scatter.next() < 0.5 ? QColor(0xff, 0xf4, 0xc8) : QColor(0xdc, 0xe6, 0xff));
        p.drawPath(star(at, size, size * 0.42));
    }
    p.setBrush(QColor(0xff, 0xe0, 0x70));
    p.drawPath(star(area.center() + QPointF(-12, 20), 4.2, 1.7));
    p.drawPath(star(area.center() + QPointF(14, -26), 3.2, 1.3));

    // Crescent: a disc with an offset disc taken out of it.
    QPainterPath moon;
    moon.addEllipse(area.center() + QPointF(2, -4), 11, 11);
    QPainterPath bite;
    bite.addEllipse(area.center() + QPointF(7, -7), 10, 10);
    p.setBrush(QColor(0xff, 0xe8, 0x90));
    p.drawPath(moon.subtracted(bite));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(gold, 0.5));
    p.drawRoundedRect(area.adjusted(2.5, 2.5, -2.5, -2.5), 1.5, 1.5);
    return QColor(0x04, 0x08, 0x20);
}

// Burgundy with a braided gold border and a woven knot in the middle.
QColor knotBorder(QPainter& p, const QRectF& area) {
    const QColor ground(0x6b, 0x14, 0x30);
    const QColor deep(0x3a, 0x06, 0x16);
    p.fillRect(area, ground);

    const qreal inset = 5.0;
    const QRectF band = area.adjusted(inset, inset, -inset, -inset);
    const QPointF corners[4] = {band.topLeft(), band.topRight(), band.bottomRight(),
                                band.bottomLeft()};
    for (int side = 0; side < 4; ++side) {
        const QLineF line(corners[side], corners[(side + 1) % 4]);
        p.save();
        p.translate(line.p1());
        p.rotate(-line.angle());
        braid(p, line.length(), int(std::round(line.length() / 6.0)), 2.4, deep);
        p.restore();
    }
    p.setPen(QPen(deep, 0.6));
    p.setBrush(gold);
    for (const QPointF& c : corners)
        p.drawEllipse(c, 2.6, 2.6);
    p.setBrush(ground);
    for (const QPointF& c : corners)
        p.drawEllipse(c, 1.1, 1.1);

    // Two loops at right angles, woven so each passes over then under the other.
    const QPointF c = area.center();
    QPainterPath across;
    across.addEllipse(c, 14, 6);
    QPainterPath upright;
    upright.addEllipse(c, 6, 14);
    auto stroke = [&](const QPainterPath& path) {
        p.strokePath(path, QPen(deep, 3.2));
        p.strokePath(path, QPen(gold, 1.8));
    };
    stroke(across);
    stroke(upright);
    const qreal k = 5.4; // where the two loops cross
    for (const QPointF& at : {c + QPointF(k, -k), c + QPointF(-k, k)}) {
        p.save();
        p.setClipRect(QRectF(at - QPointF(2.5, 2.5), QSizeF(5, 5)), Qt::IntersectClip);
        stroke(across);
        p.restore();
    }
    p.setPen(QPen(deep, 0.6));
    p.setBrush(gold);
    p.drawEllipse(c, 2.2, 2.2);
    return deep;
}

// Sun over snowy mountains and green hills.
QColor sunnyLandscape(QPainter& p, const QRectF& area) {
    const qreal horizon = area.top() + area.height() * 0.58;
    QLinearGradient sky(area.topLeft(), QPointF(area.left(), horizon));
    sky.setColorAt(0, QColor(0x3f, 0x8f, 0xdc));
    sky.setColorAt(1, QColor(0xfb, 0xe3, 0xa8));
    p.fillRect(area, sky);

    const QPointF sun(area.left() + area.width() * 0.78, area.top() + 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xb8, 0x30));
    for (int i = 0; i < 12; ++i) {
        p.save();
        p.translate(sun);
        p.rotate(i * 30);
        p.drawPolygon(QPolygonF({QPointF(-1.5, -8), QPointF(0, -12.5), QPointF(1.5, -8)}));
        p.restore();
    }
    p.setBrush(QColor(0xff, 0xd8, 0x40));
    p.drawEllipse(sun, 6.8, 6.8);

    const qreal l = area.left();
    const qreal w = area.width();
    p.setBrush(QColor(0x6a, 0x7c, 0xa8));
    p.drawPolygon(QPolygonF({{l, horizon},
                             {l + 0.22 * w, horizon - 26},
                             {l + 0.42 * w, horizon - 8},
                             {l + 0.62 * w, horizon - 30},
                             {l + w, horizon - 4},
                             {l + w, horizon + 6},
                             {l, horizon + 6}}));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{l + 0.22 * w, horizon - 26},
                             {l + 0.28 * w, horizon - 19},
                             {l + 0.24 * w, horizon - 20},
                             {l + 0.20 * w, horizon - 17},
                             {l + 0.16 * w, horizon - 19}}));
    p.drawPolygon(QPolygonF({{l + 0.62 * w, horizon - 30},
                             {l + 0.70 * w, horizon - 22},
                             {l + 0.65 * w, horizon - 23},
                             {l + 0.61 * w, horizon - 20},
                             {l + 0.55 * w, horizon - 23}}));

    QPainterPath far;
    far.moveTo(l, horizon);
    far.cubicTo(l + 0.3 * w, horizon - 9, l + 0.6 * w, horizon + 4, l + w, horizon - 6);
    far.lineTo(l + w, area.bottom());
    far.lineTo(l, area.bottom());
    p.setBrush(QColor(0x5d, 0xa8, 0x3e));
    p.drawPath(far);

    QPainterPath near;
    near.moveTo(l, horizon + 18);
    near.cubicTo(l + 0.35 * w, horizon + 6, l + 0.55 * w, horizon + 20, l + w, horizon + 12);
    near.lineTo(l + w, area.bottom());
    near.lineTo(l, area.bottom());
    p.setBrush(QColor(0x2f, 0x7a, 0x2a));
    p.drawPath(near);

    // A river winding down from the foot of the hills.
    QPainterPath river;
    river.moveTo(l + 0.48 * w, horizon + 3);
    river.cubicTo(l + 0.30 * w, horizon + 14, l + 0.70 * w, horizon + 22, l + 0.40 * w,
                  area.bottom());
    p.strokePath(river, QPen(QColor(0x6c, 0xb8, 0xe8), 2.4, Qt::SolidLine, Qt::FlatCap));

    const QPointF tree(l + 0.18 * w, horizon + 16);
    p.setBrush(QColor(0x6a, 0x44, 0x20));
    p.drawRect(QRectF(tree.x() - 0.8, tree.y() - 2, 1.6, 6));
    p.setBrush(QColor(0x1b, 0x50, 0x1e));
    p.drawEllipse(tree + QPointF(0, -5), 4.2, 5.5);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 0.5));
    for (const QPointF at :
         {QPointF(l + 0.2 * w, area.top() + 12), QPointF(l + 0.34 * w, area.top() + 17)}) {
        QPainterPath bird;
        bird.moveTo(at + QPointF(-2.5, 0));
        bird.quadTo(at + QPointF(-1.2, -1.4), at);
        bird.quadTo(at + QPointF(1.2, -1.4), at + QPointF(2.5, 0));
        p.drawPath(bird);
    }
    return QColor(0x1c, 0x3c, 0x18);
}

} // namespace BackDesigns
