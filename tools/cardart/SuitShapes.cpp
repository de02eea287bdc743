#include "SuitShapes.h"

#include <QPainter>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace {

// Union of overlapping parts. Boolean operations flatten curves with a fixed tolerance, so
// the unit-sized parts are blown up first to keep the round leaves round.
QPainterPath unite(std::initializer_list<QPainterPath> parts) {
    const QTransform up = QTransform::fromScale(1000, 1000);
    QPainterPath result;
    for (const QPainterPath& part : parts)
        result = result.united(up.map(part));
    return up.inverted().map(result);
}

QPointF onCircle(QPointF centre, qreal r, qreal degrees) {
    const qreal a = degrees * std::numbers::pi / 180.0;
    // Qt arc angles run counter-clockwise with y pointing down.
    return centre + QPointF(r * std::cos(a), -r * std::sin(a));
}

// Two round lobes meeting in a cleft on top and narrowing to a point below.
QPainterPath heart() {
    const qreal r = 0.26;
    const QPointF left(-0.24, -0.24);
    const QPointF right(0.24, -0.24);
    // The lobes overlap; start and end each arc where it crosses the middle line.
    const qreal cleft = std::acos(0.24 / r) * 180.0 / std::numbers::pi;
    const qreal sweep = 210 - cleft;
    const QRectF leftBox(left.x() - r, left.y() - r, 2 * r, 2 * r);
    const QRectF rightBox(right.x() - r, right.y() - r, 2 * r, 2 * r);
    QPainterPath path;
    path.arcMoveTo(leftBox, cleft);
    path.arcTo(leftBox, cleft, sweep);
    const QPointF leftEnd = onCircle(left, r, 210);
    path.cubicTo(leftEnd + QPointF(0.07, 0.12), QPointF(-0.12, 0.30), QPointF(0, 0.5));
    const QPointF rightStart = onCircle(right, r, -30);
    path.cubicTo(QPointF(0.12, 0.30), rightStart + QPointF(-0.07, 0.12), rightStart);
    path.arcTo(rightBox, -30, sweep);
    path.closeSubpath();
    return path;
}

// A heart upside down on a flared stem.
QPainterPath spade() {
    QTransform flip;
    flip.translate(0, -0.11);
    flip.scale(1.0, -0.78);
    const QPainterPath top = flip.map(heart());
    QPainterPath stem;
    stem.moveTo(-0.03, 0.05);
    stem.quadTo(0.0, 0.40, -0.2, 0.5);
    stem.lineTo(0.2, 0.5);
    stem.quadTo(0.0, 0.40, 0.03, 0.05);
    stem.closeSubpath();
    // A real union, not overlapping subpaths: the parts wind opposite ways and would leave holes.
    return unite({top, stem});
}

// Three round leaves on a flared stem.
QPainterPath club() {
    const qreal r = 0.215;
    QPainterPath top;
    top.addEllipse(QPointF(0, -0.27), r, r);
    QPainterPath left;
    left.addEllipse(QPointF(-0.265, 0.07), r, r);
    QPainterPath right;
    right.addEllipse(QPointF(0.265, 0.07), r, r);
    QPainterPath middle;
    middle.addRect(QRectF(-0.1, -0.12, 0.2, 0.24));
    QPainterPath stem;
    stem.moveTo(-0.04, 0.0);
    stem.quadTo(0.0, 0.40, -0.2, 0.5);
    stem.lineTo(0.2, 0.5);
    stem.quadTo(0.0, 0.40, 0.04, 0.0);
    stem.closeSubpath();
    return unite({top, left, right, middle, stem});
}

// Rhombus whose sides bow slightly inwards.
QPainterPath diamond() {
    const qreal w = 0.4;
    const qreal bow = 0.78; // < 1 pulls each side's middle towards the centre
    QPainterPath path;
    path.moveTo(0, -0.5);
    path.quadTo(bow * w / 2, bow * -0.25, w, 0);
    path.quadTo(bow * w / 2, bow * 0.25, 0, 0.5);
    path.quadTo(bow * -w / 2, bow * 0.25, -w, 0);
    path.quadTo(bow * -w / 2, bow * -0.25, 0, -0.5);
    path.closeSubpath();
    return path;
}

} // namespace

namespace SuitShapes {

QPainterPath unitPath(Suit suit) {
    switch (suit) {
    case Suit::Clubs:
        return club();
    case Suit::Spades:
        return spade();
    case Suit::Hearts:
        return heart();
    case Suit::Diamonds:
        return diamond();
    }
    return {};
}

bool isRed(Suit suit) {
    return suit == Suit::Hearts || suit == Suit::Diamonds;
}

QColor colour(Suit suit) {
    return isRed(suit) ? QColor(0xc8, 0x10, 0x24) : QColor(0x10, 0x10, 0x10);
}

void draw(QPainter& p, Suit suit, QPointF centre, qreal height, bool upsideDown) {
    QTransform t;
    t.translate(centre.x(), centre.y());
    if (upsideDown)
        t.rotate(180);
    t.scale(height, height);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour(suit));
    p.drawPath(t.map(unitPath(suit)));
    p.restore();
}

} // namespace SuitShapes
