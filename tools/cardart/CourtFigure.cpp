#include "CourtFigure.h"

#include "CardCanvas.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor ink(0x10, 0x10, 0x10);
const QColor skin(0xf7, 0xd9, 0xb5);
const QColor red(0xc6, 0x28, 0x28);
const QColor blue(0x1f, 0x4f, 0xa8);
const QColor yellow(0xf2, 0xc2, 0x30);
const QColor green(0x2e, 0x7d, 0x32);
const QColor brown(0x5a, 0x3a, 0x22);

const QRectF frame(14.5, 10.5, 42, 75);

void fill(QPainter& p, const QPainterPath& path, const QColor& colour) {
    p.setPen(QPen(ink, 0.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPath(path);
}

QPainterPath ellipse(QPointF centre, qreal rx, qreal ry) {
    QPainterPath path;
    path.addEllipse(centre, rx, ry);
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// Shoulders and chest down to the panel's middle line (y = 0).
QPainterPath body() {
    QPainterPath path;
    path.moveTo(-19.5, 0.5);
    path.lineTo(-19.5, -3);
    path.cubicTo(-19, -8.5, -13, -11.5, -5, -12.5);
    path.lineTo(5, -12.5);
    path.cubicTo(13, -11.5, 19, -8.5, 19.5, -3);
    path.lineTo(19.5, 0.5);
    path.closeSubpath();
    return path;
}

// Sleeve seams so the bust reads as shoulders and arms rather than a blob.
void arms(QPainter& p) {
    p.setPen(QPen(ink, 0.5));
    p.setBrush(Qt::NoBrush);
    QPainterPath seams;
    seams.moveTo(-12.5, -11.2);
    seams.cubicTo(-14.5, -7, -13.5, -3, -12, 0.5);
    seams.moveTo(12.5, -11.2);
    seams.cubicTo(14.5, -7, 13.5, -3, 12, 0.5);
    p.drawPath(seams);
}

const QPointF headCentre(0, -19.5);

void face(QPainter& p, bool lips) {
    const QPointF c = headCentre;
    fill(p, ellipse(c, 5.4, 6.5), skin);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(c + QPointF(-2.1, -1.4), 0.65, 0.7);
    p.drawEllipse(c + QPointF(2.1, -1.4), 0.65, 0.7);
    p.setPen(QPen(ink, 0.45, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-3.0, -2.9), c + QPointF(-1.2, -3.1));
    p.drawLine(c + QPointF(3.0, -2.9), c + QPointF(1.2, -3.1));
    p.drawLine(c + QPointF(0.2, -1.0), c + QPointF(-0.5, 1.4));
    p.drawLine(c + QPointF(-0.5, 1.4), c + QPointF(0.3, 1.5));
    if (lips) {
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawEllipse(c + QPointF(0, 3.3), 1.3, 0.6);
    } else {
        p.drawLine(c + QPointF(-1.2, 3.4), c + QPointF(1.2, 3.4));
    }
}

void hand(QPainter& p, QPointF at) {
    fill(p, ellipse(at, 1.9, 1.7), skin);
}

void paintKing(QPainter& p) {
    fill(p, body(), red);
    fill(p, polygon({{-3.2, -9}, {3.2, -9}, {3.2, 0.5}, {-3.2, 0.5}}), blue);
    arms(p);
    // Ermine collar: yellow with black tails.
    fill(p, polygon({{-13, -12}, {13, -12}, {8, -6.5}, {0, -5}, {-8, -6.5}}), yellow);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (qreal x : {-9.0, -4.5, 0.0, 4.5, 9.0})
        p.drawRect(QRectF(x - 0.4, -10.5, 0.8, 1.8));
    p.setBrush(yellow);
    for (qreal y : {-3.2, -0.8})
        p.drawEllipse(QPointF(0, y), 0.9, 0.9);

    // Sword held upright at his side.
    const QColor steel(0xe4, 0xe4, 0xe4);
    fill(p, polygon({{14, -9}, {14, -32}, {15.2, -34.5}, {16.4, -32}, {16.4, -9}}), steel);
    fill(p, polygon({{11.7, -9.8}, {18.7, -9.8}, {18.7, -8.2}, {11.7, -8.2}}), yellow);
    hand(p, QPointF(15.2, -6.3));

    face(p, false);
    QPainterPath beard;
    beard.moveTo(-5.4, -20);
    beard.quadTo(-5.8, -11, 0, -8.5);
    beard.quadTo(5.8, -11, 5.4, -20);
    beard.quadTo(4.2, -15.2, 0, -15.6);
    beard.quadTo(-4.2, -15.2, -5.4, -20);
    fill(p, beard, brown);
    QPainterPath moustache;
    moustache.moveTo(0, -17.3);
    moustache.quadTo(-2.5, -18.2, -3.8, -15.8);
    moustache.quadTo(-1.8, -16.6, 0, -16.2);
    moustache.quadTo(1.8, -16.6, 3.8, -15.8);
    moustache.quadTo(2.5, -18.2, 0, -17.3);
    fill(p, moustache, brown);

    fill(p,
         polygon(
             {{-7, -24.5}, {-7.5, -34}, {-4, -29.5}, {0, -36}, {4, -29.5}, {7.5, -34}, {7, -24.5}}),
         yellow);
    fill(p, polygon({{-7, -27}, {7, -27}, {7, -24.5}, {-7, -24.5}}), blue);
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    for (QPointF jewel : {QPointF(-7.5, -34), QPointF(0, -36), QPointF(7.5, -34)})
        p.drawEllipse(jewel, 1.0, 1.0);
}

void paintQueen(QPainter& p) {
    fill(p, body(), yellow);
    arms(p);
    // Veil falls from the head down over the shoulders.
    QPainterPath veil;
    veil.moveTo(-17, -5);
    veil.cubicTo(-13, -12, -11, -21, -10, -25);
    veil.cubicTo(-9, -35, 9, -35, 10, -25);
    veil.cubicTo(11, -21, 13, -12, 17, -5);
    veil.cubicTo(12, -7, 9, -10, 6.5, -12.5);
    veil.lineTo(-6.5, -12.5);
    veil.cubicTo(-9, -10, -12, -7, -17, -5);
    fill(p, veil, blue);

    QPainterPath neckline;
    neckline.moveTo(-5.5, -12.5);
    neckline.quadTo(0, -3.5, 5.5, -12.5);
    neckline.closeSubpath();
    fill(p, neckline, skin);
    p.setPen(QPen(red, 0.8));
    for (qreal y = -5.5; y < 0; y += 2.0) {
        p.drawLine(QPointF(-1.6, y), QPointF(1.6, y + 2.0));
        p.drawLine(QPointF(1.6, y), QPointF(-1.6, y + 2.0));
    }

    fill(p, ellipse(headCentre + QPointF(0, -1.5), 6.8, 7.4), yellow);
    face(p, true);
    fill(
        p,
        polygon({{-5.5, -25.5}, {-3.2, -28.5}, {0, -31.5}, {3.2, -28.5}, {5.5, -25.5}, {0, -26.8}}),
        yellow);
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawEllipse(QPointF(0, -28.6), 0.9, 0.9);

    // A rose in her hand.
    p.setPen(QPen(green, 0.8));
    p.drawLine(QPointF(15, -6), QPointF(15.5, -20));
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(15.5, -22.5);
        p.rotate(i * 72);
        fill(p, ellipse(QPointF(0, -1.7), 1.3, 1.8), red);
        p.restore();
    }
    fill(p, ellipse(QPointF(15.5, -22.5), 0.9, 0.9), yellow);
    hand(p, QPointF(15, -6));
}

void paintJack(QPainter& p) {
    fill(p, body(), green);
    fill(p, polygon({{-17.5, -8}, {-14, -10.8}, {18, 0.5}, {11, 0.5}}), red);
    arms(p);
    fill(p, polygon({{-6.5, -12.5}, {6.5, -12.5}, {4.5, -9}, {-4.5, -9}}), yellow);

    // Spear with a red tassel under the head.
    p.setPen(QPen(brown, 1.1));
    p.drawLine(QPointF(15.5, -4), QPointF(15.5, -29));
    fill(p, polygon({{15.5, -36.5}, {17.2, -31.5}, {15.5, -29}, {13.8, -31.5}}),
         QColor(0xe4, 0xe4, 0xe4));
    fill(p, polygon({{14.3, -28.8}, {16.7, -28.8}, {17.5, -24.5}, {13.5, -24.5}}), red);
    hand(p, QPointF(15.5, -6.5));

    // Page-boy hair under the cap.
    QPainterPath hair;
    hair.moveTo(-6.8, -14.5);
    hair.cubicTo(-8.5, -24, -6, -27.5, 0, -27.5);
    hair.cubicTo(6, -27.5, 8.5, -24, 6.8, -14.5);
    hair.closeSubpath();
    fill(p, hair, brown);
    face(p, false);

    // Feather sweeping back from the cap.
    QPainterPath feather;
    feather.moveTo(-4.5, -27.5);
    feather.cubicTo(-9, -32, -6, -37, 1.5, -37.5);
    feather.cubicTo(-3.5, -35, -3.5, -31.5, -1, -28);
    feather.closeSubpath();
    fill(p, feather, yellow);
    QPainterPath cap;
    cap.moveTo(-8.5, -24.5);
    cap.cubicTo(-9, -33.5, 8, -33.5, 9.5, -25.5);
    cap.closeSubpath();
    fill(p, cap, red);
    fill(p, polygon({{-8.8, -25.8}, {9.6, -26.3}, {9.6, -24.3}, {-8.8, -23.8}}), blue);
}

} // namespace

namespace CourtFigure {

void paint(QPainter& p, Suit suit, Rank rank) {
    const QPointF centre = frame.center();
    for (int half = 0; half < 2; ++half) {
        p.save();
        p.setClipRect(half == 0 ? QRectF(frame.topLeft(), QPointF(frame.right(), centre.y()))
                                : QRectF(QPointF(frame.left(), centre.y()), frame.bottomRight()));
        p.translate(centre);
        if (half == 1)
            p.rotate(180);
        switch (rank) {
        case Rank::Jack:
            paintJack(p);
            break;
        case Rank::Queen:
            paintQueen(p);
            break;
        case Rank::King:
            paintKing(p);
            break;
        }
        p.restore();
    }

    p.save();
    p.setPen(QPen(ink, 0.6));
    p.drawLine(QPointF(frame.left(), centre.y()), QPointF(frame.right(), centre.y()));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 0.8));
    p.drawRect(frame);
    p.restore();

    const QPointF corner(frame.left() + 4.5, frame.top() + 5.0);
    SuitShapes::draw(p, suit, corner, 7);
    SuitShapes::draw(p, suit, CardCanvas::bounds().bottomRight() - corner, 7, true);
}

} // namespace CourtFigure
