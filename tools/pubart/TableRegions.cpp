#include "Generator.h"

#include <QFont>
#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace pubart {
namespace {

// The two shaped tables are stored as the platform's region data: the shape
// is drawn as a path, rasterised without smoothing and cut into horizontal
// runs; rows with the same runs share one band, as the platform's own
// regions do, so the data reads back rectangle for rectangle.

struct Run {
    int left;
    int right; // exclusive
    bool operator==(const Run&) const = default;
};

std::vector<Run> RowRuns(const QImage& mask, int y) {
    std::vector<Run> runs;
    const uchar* line = mask.constScanLine(y);
    int x = 0;
    while (x < mask.width()) {
        while (x < mask.width() && !line[x])
            ++x;
        if (x == mask.width())
            break;
        const int start = x;
        while (x < mask.width() && line[x])
            ++x;
        runs.push_back({start, x});
    }
    return runs;
}

void PutLe32(QByteArray& data, qint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    data.append(bytes, 4);
}

// A rectangle as the data holds it: right and bottom exclusive.
struct Edges {
    qint32 left, top, right, bottom;
    bool operator==(const Edges&) const = default;
};

// Region data of the set pixels of an 8-bit mask, and its bounding box.
QByteArray RegionData(const QImage& mask, Edges* reached) {
    std::vector<Edges> rects;
    Edges bound{mask.width(), mask.height(), 0, 0};
    std::vector<Run> band;
    int bandTop = 0;
    auto closeBand = [&](int y) {
        for (const Run& r : band)
            rects.push_back({r.left, bandTop, r.right, y});
        if (!band.empty()) {
            bound.left = std::min(bound.left, band.front().left);
            bound.right = std::max(bound.right, band.back().right);
            bound.top = std::min(bound.top, bandTop);
            bound.bottom = std::max(bound.bottom, y);
        }
    };
    for (int y = 0; y < mask.height(); ++y) {
        std::vector<Run> runs = RowRuns(mask, y);
        if (runs == band)
            continue;
        closeBand(y);
        band = std::move(runs);
        bandTop = y;
    }
    closeBand(mask.height());
    if (rects.empty())
        bound = {0, 0, 0, 0};
    *reached = bound;

    QByteArray data;
    for (qint32 v : {32, 1, qint32(rects.size()), qint32(rects.size() * 16), bound.left, bound.top,
                     bound.right, bound.bottom})
        PutLe32(data, v);
    for (const Edges& r : rects)
        for (qint32 v : {r.left, r.top, r.right, r.bottom})
            PutLe32(data, v);
    return data;
}

// Stretches the drawing so that its outline spans bound exactly, rasterises
// it and writes it; false when the pixels do not reach the bound.
bool WriteShape(const QPainterPath& drawing, const Edges& bound, const QDir& out, pubres::Id id) {
    const QRectF from = drawing.boundingRect();
    QTransform fit;
    fit.translate(bound.left, bound.top);
    fit.scale((bound.right - bound.left) / from.width(),
              (bound.bottom - bound.top) / from.height());
    fit.translate(-from.left(), -from.top());

    QImage mask(bound.right + 1, bound.bottom + 1, QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillPath(fit.map(drawing), Qt::white);
    }
    Edges reached{};
    const QByteArray data = RegionData(mask, &reached);
    if (!(reached == bound)) {
        std::fprintf(stderr, "pubart: region %d reaches (%d,%d)-(%d,%d)\n", id, reached.left,
                     reached.top, reached.right, reached.bottom);
        return false;
    }
    return SaveBytes(data, out, QStringLiteral("binary/%1.bin").arg(id));
}

QPainterPath Ring(const QRectF& outer, qreal radius, qreal width) {
    QPainterPath ring;
    ring.addRoundedRect(outer, radius, radius);
    QPainterPath hole;
    hole.addRoundedRect(outer.adjusted(width, width, -width, -width), radius - width * 0.6,
                        radius - width * 0.6);
    return ring.subtracted(hole);
}

QPainterPath Text(const QString& text, const QFont& font, QPointF baselineCentre,
                  qreal letterSpacing = 0) {
    QFont f = font;
    f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    QPainterPath path;
    path.addText(0, 0, f, text);
    const QRectF box = path.boundingRect();
    return path.translated(baselineCentre.x() - box.center().x(), baselineCentre.y());
}

QFont Serif(qreal pixels, bool italic = false) {
    QFont font(QStringLiteral("Liberation Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(int(pixels));
    font.setBold(true);
    font.setItalic(italic);
    return font;
}

// A horizontal rule tapering to a diamond at its outer end.
QPainterPath Rule(qreal from, qreal to, qreal y) {
    const qreal dir = to > from ? 1 : -1;
    QPainterPath rule;
    rule.moveTo(from, y - 0.8);
    rule.lineTo(to - dir * 10, y - 2.2);
    rule.lineTo(to - dir * 10, y + 2.2);
    rule.lineTo(from, y + 0.8);
    rule.closeSubpath();
    QPainterPath diamond;
    diamond.moveTo(to - dir * 14, y);
    diamond.lineTo(to - dir * 7, y - 7);
    diamond.lineTo(to, y);
    diamond.lineTo(to - dir * 7, y + 7);
    diamond.closeSubpath();
    return rule.united(diamond);
}

// Table 1: a fan of three cards over the game's name.
QPainterPath CardsAndTitle() {
    const QPointF pivot(229.5, 250);
    const QRectF card(-44, -240, 88, 124);
    struct Face {
        qreal angle;
        int mast;
        const char* index;
    };
    const Face faces[] = {{-24, 3, "Т"}, {0, 4, "К"}, {24, 2, "Т"}};
    QPainterPath drawing;
    drawing.setFillRule(Qt::WindingFill);
    for (const Face& face : faces) {
        QTransform at;
        at.translate(pivot.x(), pivot.y());
        at.rotate(face.angle);
        QPainterPath full;
        full.addRoundedRect(card, 9, 9);
        QPainterPath ink = Ring(card, 9, 5);
        // Inner frame line and the corner index: letter over a small pip.
        ink = ink.united(Ring(card.adjusted(9, 9, -9, -9), 4, 1.6));
        const QFont indexFont = Serif(20);
        ink = ink.united(Text(QString::fromUtf8(face.index), indexFont,
                              QPointF(card.left() + 19, card.top() + 31)));
        ink = ink.united(SuitPath(face.mast, QRectF(card.left() + 12, card.top() + 36, 14, 14)));
        ink = ink.united(
            SuitPath(face.mast, QRectF(card.center().x() - 22, card.center().y() - 22, 44, 44)));
        // A later card hides what lies under it.
        drawing = drawing.subtracted(at.map(full)).united(at.map(ink));
    }

    // The band between the name and the line under it is left clear: the
    // table's messages ("Ваш ход!", the party's result) are shown there.
    const QPainterPath title = Text(QString::fromUtf8("ЗАНТА"), Serif(78), QPointF(229.5, 196), 10);
    const QPainterPath subtitle =
        Text(QString::fromUtf8("карточная игра"), Serif(28, true), QPointF(229.5, 268), 1);
    drawing = drawing.united(title).united(subtitle);
    const QRectF sub = subtitle.boundingRect();
    const qreal ruleY = sub.center().y() + 2;
    drawing = drawing.united(Rule(sub.left() - 12, 0, ruleY));
    drawing = drawing.united(Rule(sub.right() + 12, 459, ruleY));
    return drawing;
}

// Table 2: a beaded frame with corner leaves and a medallion in the middle.
QPainterPath FrameAndEmblem() {
    const QRectF all(0, 0, 463, 270);
    const QPointF centre = all.center();
    QPainterPath drawing = Ring(all.adjusted(9, 9, -9, -9), 34, 7);
    drawing = drawing.united(Ring(all.adjusted(27, 27, -27, -27), 18, 2.5));

    // A chain of small lozenges between the frame and the inner line.
    QPainterPath chainTrack;
    chainTrack.addRoundedRect(all.adjusted(21.5, 21.5, -21.5, -21.5), 24, 24);
    const int links = 120;
    for (int i = 0; i < links; ++i) {
        const QPointF c = chainTrack.pointAtPercent(qreal(i) / links);
        QPainterPath link;
        link.moveTo(c.x(), c.y() - 3.4);
        link.lineTo(c.x() + 3.4, c.y());
        link.lineTo(c.x(), c.y() + 3.4);
        link.lineTo(c.x() - 3.4, c.y());
        link.closeSubpath();
        drawing = drawing.united(link);
    }

    // Beads along the outside of the frame.
    QPainterPath track;
    track.addRoundedRect(all.adjusted(4.5, 4.5, -4.5, -4.5), 38, 38);
    const int beads = 96;
    QPainterPath beadPath;
    for (int i = 0; i < beads; ++i)
        beadPath.addEllipse(track.pointAtPercent(qreal(i) / beads), 5, 5);
    drawing = drawing.united(beadPath); // beads do not touch each other

    // Diamonds at the middle of each side, pierced.
    auto lozenge = [](QPointF c, qreal rx, qreal ry) {
        QPainterPath p;
        p.moveTo(c.x(), c.y() - ry);
        p.lineTo(c.x() + rx, c.y());
        p.lineTo(c.x(), c.y() + ry);
        p.lineTo(c.x() - rx, c.y());
        p.closeSubpath();
        return p;
    };
    for (const QPointF& c : {QPointF(centre.x(), 12.5), QPointF(centre.x(), all.bottom() - 12.5),
                             QPointF(12.5, centre.y()), QPointF(all.right() - 12.5, centre.y())}) {
        drawing = drawing.united(lozenge(c, 11, 11)).subtracted(lozenge(c, 4.5, 4.5));
    }

    // Corner sprays: three leaves pointing inwards and a berry.
    auto leaf = [](QPointF base, qreal angle, qreal length, qreal width) {
        QPainterPath p;
        p.moveTo(0, 0);
        p.cubicTo(width, -length * 0.3, width * 0.8, -length * 0.75, 0, -length);
        p.cubicTo(-width * 0.8, -length * 0.75, -width, -length * 0.3, 0, 0);
        QTransform t;
        t.translate(base.x(), base.y());
        t.rotate(angle);
        return t.map(p);
    };
    const QPointF corners[] = {{33, 33},
                               {all.right() - 33, 33},
                               {all.right() - 33, all.bottom() - 33},
                               {33, all.bottom() - 33}};
    const qreal inward[] = {135, 225, 315, 45};
    for (int i = 0; i < 4; ++i) {
        for (qreal spread : {-38.0, 0.0, 38.0})
            drawing =
                drawing.united(leaf(corners[i], inward[i] + spread, spread == 0 ? 34 : 26, 7));
        QPainterPath berry;
        berry.addEllipse(corners[i], 5, 5);
        drawing = drawing.united(berry);
    }

    // The medallion: a ring, a circle of pearls, a disc with the four suits
    // cut out of it.
    QPainterPath ring;
    ring.addEllipse(centre, 66, 66);
    QPainterPath ringHole;
    ringHole.addEllipse(centre, 58, 58);
    drawing = drawing.united(ring.subtracted(ringHole));
    QPainterPath pearls;
    for (int i = 0; i < 28; ++i) {
        const qreal a = 2 * M_PI * i / 28;
        pearls.addEllipse(centre + QPointF(std::cos(a), std::sin(a)) * 52, 3, 3);
    }
    drawing = drawing.united(pearls);
    QPainterPath disc;
    disc.addEllipse(centre, 45, 45);
    const int masts[] = {2, 3, 1, 4}; // spades up, hearts right, clubs down, diamonds left
    for (int i = 0; i < 4; ++i) {
        const qreal a = -M_PI / 2 + i * M_PI / 2;
        const QPointF at = centre + QPointF(std::cos(a), std::sin(a)) * 24;
        disc = disc.subtracted(SuitPath(masts[i], QRectF(at - QPointF(12, 12), QSizeF(24, 24))));
    }
    QPainterPath eye;
    eye.addEllipse(centre, 6, 6);
    drawing = drawing.united(disc.subtracted(eye));

    // Laurel branches embracing the medallion from below: a stem with
    // leaves in pairs, smaller towards the tips.
    for (int side : {-1, 1}) {
        QPainterPath stem;
        const qreal from = M_PI / 2 + side * 0.42;
        const qreal to = M_PI / 2 + side * 1.75;
        stem.moveTo(centre + QPointF(std::cos(from), std::sin(from)) * 80);
        for (int i = 1; i <= 24; ++i) {
            const qreal a = from + (to - from) * i / 24;
            stem.lineTo(centre + QPointF(std::cos(a), std::sin(a)) * 80);
        }
        QPainterPathStroker stroker;
        stroker.setWidth(2.4);
        stroker.setCapStyle(Qt::RoundCap);
        drawing = drawing.united(stroker.createStroke(stem));
        for (int i = 0; i < 7; ++i) {
            const qreal a = from + (to - from) * (i + 0.3) / 7;
            const QPointF at = centre + QPointF(std::cos(a), std::sin(a)) * 80;
            // A leaf turned by r points along r - 90 degrees.
            const qreal along = a * 180 / M_PI + side * 90 + 90;
            const qreal size = 21 - i * 1.2;
            drawing = drawing.united(leaf(at, along - 38, size, 5.5));
            drawing = drawing.united(leaf(at, along + 38, size, 5.5));
        }
    }
    return drawing;
}

} // namespace

bool WriteTableRegions(const QDir& out) {
    bool ok = WriteShape(CardsAndTitle(), {1, 1, 460, 260}, out, pubres::IDR_TABLE_CARDS);
    ok = WriteShape(FrameAndEmblem(), {0, 0, 463, 270}, out, pubres::IDR_TABLE_FRAME) && ok;
    return ok;
}

} // namespace pubart
