#include "Generator.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTransform>

namespace pubart {
namespace {

// Outlines on a 100 x 100 grid, the sign touching all four sides.
QPainterPath Heart() {
    QPainterPath p;
    p.moveTo(50, 100);
    p.cubicTo(36, 80, 0, 62, 0, 31);
    p.cubicTo(0, 12, 13, 1, 27, 1);
    p.cubicTo(39, 1, 47, 9, 50, 19);
    p.cubicTo(53, 9, 61, 1, 73, 1);
    p.cubicTo(87, 1, 100, 12, 100, 31);
    p.cubicTo(100, 62, 64, 80, 50, 100);
    p.closeSubpath();
    return p;
}

QPainterPath Diamond() {
    // Slightly hollow sides, as printed pips have them.
    QPainterPath p;
    p.moveTo(50, 0);
    p.cubicTo(60, 19, 71, 35, 86, 50);
    p.cubicTo(71, 65, 60, 81, 50, 100);
    p.cubicTo(40, 81, 29, 65, 14, 50);
    p.cubicTo(29, 35, 40, 19, 50, 0);
    p.closeSubpath();
    return p;
}

QPainterPath Stem() {
    QPainterPath p;
    p.moveTo(50, 55);
    p.cubicTo(51, 76, 58, 92, 72, 100);
    p.lineTo(28, 100);
    p.cubicTo(42, 92, 49, 76, 50, 55);
    p.closeSubpath();
    return p;
}

QPainterPath Spade() {
    QPainterPath body;
    body.moveTo(50, 0);
    body.cubicTo(62, 20, 100, 38, 100, 60);
    body.cubicTo(100, 76, 88, 84, 76, 84);
    body.cubicTo(64, 84, 56, 78, 50, 68);
    body.cubicTo(44, 78, 36, 84, 24, 84);
    body.cubicTo(12, 84, 0, 76, 0, 60);
    body.cubicTo(0, 38, 38, 20, 50, 0);
    body.closeSubpath();
    return body.united(Stem());
}

QPainterPath Club() {
    QPainterPath club = Stem();
    for (const QPointF& c : {QPointF(50, 24), QPointF(23, 58), QPointF(77, 58)}) {
        QPainterPath leaf;
        leaf.addEllipse(c, 23, 23);
        club = club.united(leaf);
    }
    QPainterPath heart;
    heart.addEllipse(QPointF(50, 52), 14, 14);
    return club.united(heart);
}

// A white rounded tile with the sign; drawn at 32 and scaled for 16 so that
// both sizes agree in shape.
QImage DrawSuitIcon(int mast, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    // Pen on half pixels keeps the border crisp; the shadow fits below and right.
    const qreal origin = size / 16.0 - 0.5;
    const QRectF tile(origin, origin, size * 7.0 / 8.0, size * 7.0 / 8.0);
    const qreal radius = 5.0 * s;

    // A soft drop shadow under the tile's lower right.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(tile.translated(0.8 * s, 0.8 * s), radius, radius);

    QLinearGradient paper(tile.topLeft(), tile.bottomRight());
    paper.setColorAt(0, QColor(255, 255, 255));
    paper.setColorAt(1, QColor(228, 230, 236));
    p.setBrush(paper);
    p.setPen(QPen(QColor(96, 100, 110), qMax(1.0, s)));
    p.drawRoundedRect(tile, radius, radius);

    const bool red = mast == 3 || mast == 4;
    const qreal margin = 6.0 * s;
    const QRectF signBox = tile.adjusted(margin, margin, -margin, -margin);
    const QPainterPath sign = SuitPath(mast, signBox);
    QLinearGradient ink(signBox.topLeft(), signBox.bottomRight());
    ink.setColorAt(0, red ? QColor(236, 40, 44) : QColor(70, 74, 82));
    ink.setColorAt(1, red ? QColor(160, 0, 12) : QColor(0, 0, 0));
    p.setBrush(ink);
    p.setPen(Qt::NoPen);
    p.drawPath(sign);
    return image;
}

} // namespace

QPainterPath SuitPath(int mast, const QRectF& box) {
    QPainterPath unit;
    switch (mast) {
    case 1:
        unit = Club();
        break;
    case 2:
        unit = Spade();
        break;
    case 3:
        unit = Heart();
        break;
    default:
        unit = Diamond();
        break;
    }
    const QRectF from = unit.boundingRect();
    // Keep the sign's proportions, centred in the box.
    const qreal scale = qMin(box.width() / from.width(), box.height() / from.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-from.center().x(), -from.center().y());
    return t.map(unit);
}

bool WriteSuitIcons(const QDir& out) {
    struct Icon {
        pubres::Id id;
        int mast;
    };
    const Icon icons[] = {{pubres::IDI_SPADES, 2},
                          {pubres::IDI_HEARTS, 3},
                          {pubres::IDI_DIAMONDS, 4},
                          {pubres::IDI_CLUBS, 1}};
    bool ok = true;
    for (const Icon& icon : icons)
        for (int size : {16, 32})
            ok = SaveImage(DrawSuitIcon(icon.mast, size), out,
                           QStringLiteral("icon/%1_%2.png").arg(icon.id).arg(size)) &&
                 ok;
    return ok;
}

} // namespace pubart
