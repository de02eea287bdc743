#include "Generator.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <functional>

namespace pubart {
namespace {

// Every tile is a pattern brush: whatever it draws must continue across its
// edges, so noise is sampled on a lattice that wraps with the tile and
// ornaments are drawn once more on each side of it.

quint32 Hash(quint32 x, quint32 y, quint32 seed) {
    quint32 h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

double Random01(int x, int y, quint32 seed) {
    return (Hash(quint32(x), quint32(y), seed) & 0xffffff) / double(0x1000000);
}

// Smooth noise in 0..1 over the tile fraction (u, v), wrapping with cellsX by
// cellsY lattice cells.
double PeriodicNoise(double u, double v, int cellsX, int cellsY, quint32 seed) {
    const double x = u * cellsX;
    const double y = v * cellsY;
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    auto at = [&](int i, int j) {
        return Random01(((i % cellsX) + cellsX) % cellsX, ((j % cellsY) + cellsY) % cellsY, seed);
    };
    auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    const double sx = smooth(fx);
    const double sy = smooth(fy);
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

int Clamp(double v) {
    return int(std::lround(std::clamp(v, 0.0, 255.0)));
}

QColor Scaled(const QColor& c, double f) {
    return QColor(Clamp(c.red() * f), Clamp(c.green() * f), Clamp(c.blue() * f));
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor(Clamp(a.red() + (b.red() - a.red()) * t),
                  Clamp(a.green() + (b.green() - a.green()) * t),
                  Clamp(a.blue() + (b.blue() - a.blue()) * t));
}

// A ground colour with cloudy variation and fine grain, both wrapping.
// Grain is picked per logical pixel so the double-size tile matches.
QImage Ground(QSize logical, int scale, const QColor& base, int cells, double cloud, double grain,
              quint32 seed) {
    QImage image(logical * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double u = (x + 0.5) / image.width();
            const double v = (y + 0.5) / image.height();
            double f = 1 + cloud * (PeriodicNoise(u, v, cells, cells, seed) - 0.5) * 2;
            f += grain * (Random01(x / scale, y / scale, seed + 1) - 0.5) * 2;
            line[x] = Scaled(base, f).rgb();
        }
    }
    return image;
}

void DrawWrapped(QPainter& p, QSizeF tile, const std::function<void(QPainter&)>& draw) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            p.save();
            p.translate(dx * tile.width(), dy * tile.height());
            draw(p);
            p.restore();
        }
}

// Thin pens take the rasteriser's one-pixel line path, which is not
// symmetric about the line: where a line crosses the tile's edge the seam
// would show. Outlines are filled as shapes instead.
void Outline(QPainter& p, const QPainterPath& path, const QColor& colour, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(Qt::RoundJoin);
    p.fillPath(stroker.createStroke(path), colour);
}

void Fill(QPainter& p, const QPainterPath& path, const QBrush& brush, const QColor& outline,
          qreal width) {
    p.fillPath(path, brush);
    Outline(p, path, outline, width);
}

QPainterPath Circle(QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QImage Plain(QSize size, const QColor& colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Billiard cloth: a deep green twill with light and dark flecks.
QImage Cloth(int scale) {
    const int size = 64;
    const QColor base(14, 108, 42);
    QImage image(size * scale, size * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int lx = x / scale;
            const int ly = y / scale;
            const double u = (x + 0.5) / image.width();
            const double v = (y + 0.5) / image.height();
            // Clouds kept faint: stronger ones show the tile's repeat.
            double f = 1 + 0.06 * (PeriodicNoise(u, v, 4, 4, 11) - 0.5);
            f += 0.06 * (PeriodicNoise(u, v, 16, 16, 12) - 0.5);
            f += ((lx + ly) % 4 < 2) ? 0.035 : -0.035; // diagonal twill
            f += 0.06 * (Random01(lx, ly, 13) - 0.5);
            QColor c = Scaled(base, f);
            const double fleck = Random01(lx, ly, 14);
            if (fleck < 0.045)
                c = Mix(c, QColor(120, 196, 110), 0.45);
            else if (fleck < 0.06)
                c = Mix(c, QColor(200, 190, 110), 0.3);
            else if (fleck > 0.955)
                c = Scaled(c, 0.72);
            line[x] = c.rgb();
        }
    }
    return image;
}

// Tooled leather: a gold-edged diamond lattice with a rosette in every cell.
QImage BrownOrnament(int scale) {
    const QSizeF tile(77, 81);
    QImage image = Ground(tile.toSize(), scale, QColor(122, 70, 34), 7, 0.08, 0.035, 21);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const qreal w = tile.width();
    const qreal h = tile.height();
    const QPolygonF rhomb({QPointF(0, h / 2), QPointF(w / 2, 0), QPointF(w, h / 2),
                           QPointF(w / 2, h), QPointF(0, h / 2)});

    DrawWrapped(p, tile, [&](QPainter& q) {
        q.setBrush(Qt::NoBrush);
        q.setPen(QPen(QColor(58, 28, 10), 5.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        q.drawPolyline(rhomb);
    });
    DrawWrapped(p, tile, [&](QPainter& q) {
        q.setBrush(Qt::NoBrush);
        q.setPen(QPen(QColor(206, 154, 72), 1.3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        q.drawPolyline(rhomb);
    });

    auto rosette = [&](QPainter& q, QPointF at, qreal radius, int petals, qreal turn) {
        q.save();
        q.translate(at);
        for (int i = 0; i < petals; ++i) {
            q.save();
            q.rotate(turn + i * 360.0 / petals);
            QLinearGradient g(0, 0, 0, -radius);
            g.setColorAt(0, QColor(238, 196, 104));
            g.setColorAt(1, QColor(150, 88, 30));
            QPainterPath petal;
            petal.moveTo(0, 0);
            petal.cubicTo(radius * 0.42, -radius * 0.35, radius * 0.3, -radius * 0.85, 0, -radius);
            petal.cubicTo(-radius * 0.3, -radius * 0.85, -radius * 0.42, -radius * 0.35, 0, 0);
            Fill(q, petal, g, QColor(66, 32, 10), 0.9);
            q.restore();
        }
        QRadialGradient boss(QPointF(-radius * 0.08, -radius * 0.08), radius * 0.26);
        boss.setColorAt(0, QColor(255, 232, 160));
        boss.setColorAt(1, QColor(160, 96, 30));
        Fill(q, Circle(QPointF(0, 0), radius * 0.24), boss, QColor(66, 32, 10), 0.9);
        q.restore();
    };

    DrawWrapped(p, tile, [&](QPainter& q) {
        rosette(q, QPointF(w / 2, h / 2), 17, 8, 0);
        rosette(q, QPointF(0, 0), 11, 4, 45);
        // Studs where the lattice lines cross.
        for (const QPointF& at : {QPointF(w / 2, 0), QPointF(0, h / 2)}) {
            QRadialGradient stud(at - QPointF(0.8, 0.8), 3.6);
            stud.setColorAt(0, QColor(255, 236, 170));
            stud.setColorAt(1, QColor(150, 92, 28));
            Fill(q, Circle(at, 3.2), stud, QColor(58, 28, 10), 0.8);
        }
    });
    return image;
}

// Interlaced circles on deep blue: four-petalled flowers with lit petals.
QImage BlueOrnament(int scale) {
    const QSizeF tile(56, 56);
    QImage image = Ground(tile.toSize(), scale, QColor(22, 44, 122), 4, 0.1, 0.03, 31);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const qreal half = tile.width() / 2;

    DrawWrapped(p, tile, [&](QPainter& q) {
        // Where two circles overlap the glaze doubles: those are the petals.
        for (const QPointF& c : {QPointF(0, 0), QPointF(half, half)})
            q.fillPath(Circle(c, half), QColor(120, 170, 255, 46));
    });
    DrawWrapped(p, tile, [&](QPainter& q) {
        for (const QPointF& c : {QPointF(0, 0), QPointF(half, half)})
            Outline(q, Circle(c, half), QColor(12, 22, 70), 2.4);
    });
    // Each layer in a pass of its own, or a later copy's dark rim would cover
    // an earlier copy's light line on one side of the seam only.
    DrawWrapped(p, tile, [&](QPainter& q) {
        for (const QPointF& c : {QPointF(0, 0), QPointF(half, half)})
            Outline(q, Circle(c, half), QColor(150, 196, 255), 1.0);
    });
    DrawWrapped(p, tile, [&](QPainter& q) {
        // Four-pointed stars at the flower centres, pearls where petals meet.
        for (const QPointF& c : {QPointF(0, 0), QPointF(half, half)}) {
            QPainterPath star;
            const qreal r = 6.5, s = 1.8;
            star.moveTo(c + QPointF(0, -r));
            star.lineTo(c + QPointF(s, -s));
            star.lineTo(c + QPointF(r, 0));
            star.lineTo(c + QPointF(s, s));
            star.lineTo(c + QPointF(0, r));
            star.lineTo(c + QPointF(-s, s));
            star.lineTo(c + QPointF(-r, 0));
            star.lineTo(c + QPointF(-s, -s));
            star.closeSubpath();
            QRadialGradient g(c, r);
            g.setColorAt(0, QColor(255, 250, 220));
            g.setColorAt(1, QColor(226, 182, 80));
            Fill(q, star, g, QColor(12, 22, 70), 0.7);
        }
        for (const QPointF& c : {QPointF(half, 0), QPointF(0, half)}) {
            QRadialGradient g(c - QPointF(0.6, 0.6), 2.6);
            g.setColorAt(0, QColor(255, 255, 255));
            g.setColorAt(1, QColor(110, 150, 220));
            Fill(q, Circle(c, 2.2), g, QColor(12, 22, 70), 0.6);
        }
    });
    return image;
}

// Bevelled green crosses in a staggered grid on black.
QImage GreenCrosses(int scale) {
    const QSizeF tile(32, 32);
    QImage image = Ground(tile.toSize(), scale, QColor(14, 16, 14), 4, 0.25, 0.1, 41);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    auto cross = [](QPointF c) {
        const qreal arm = 7.5, width = 2.6;
        QPainterPath upright, bar;
        upright.addRect(QRectF(c.x() - width, c.y() - arm, 2 * width, 2 * arm));
        bar.addRect(QRectF(c.x() - arm, c.y() - width, 2 * arm, 2 * width));
        return upright.united(bar);
    };
    DrawWrapped(p, tile, [&](QPainter& q) {
        for (const QPointF& c : {QPointF(16, 16), QPointF(0, 0)}) {
            const QPainterPath shape = cross(c);
            q.fillPath(shape.translated(1, 1), QColor(0, 0, 0, 150)); // shadow
            QLinearGradient g(c - QPointF(7, 7), c + QPointF(7, 7));
            g.setColorAt(0, QColor(120, 236, 120));
            g.setColorAt(0.45, QColor(20, 170, 60));
            g.setColorAt(1, QColor(0, 88, 30));
            Fill(q, shape, g, QColor(0, 50, 16), 0.8);
        }
    });
    return image;
}

// The action button's face: glossy dark green with a bevel, so the yellow
// caption stands out on it.
QImage ButtonFace(int scale) {
    const QSizeF size(105, 27);
    QImage image((size * scale).toSize(), QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QRectF r(0, 0, size.width(), size.height());
    QLinearGradient body(0, 0, 0, size.height());
    body.setColorAt(0, QColor(38, 128, 56));
    body.setColorAt(0.48, QColor(16, 96, 36));
    body.setColorAt(0.52, QColor(6, 78, 26));
    body.setColorAt(1, QColor(2, 56, 18));
    p.fillRect(r, body);

    // Gloss on the upper half, fading downwards.
    QLinearGradient gloss(0, 1, 0, size.height() * 0.5);
    gloss.setColorAt(0, QColor(255, 255, 255, 80));
    gloss.setColorAt(1, QColor(255, 255, 255, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawRoundedRect(QRectF(2, 1.5, size.width() - 4, size.height() * 0.48), 3, 3);

    // Bevel: lit top and left, shaded bottom and right, dark rim.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(150, 220, 150, 170), 1.0));
    p.drawLine(QPointF(1.5, 1.5), QPointF(size.width() - 2, 1.5));
    p.drawLine(QPointF(1.5, 1.5), QPointF(1.5, size.height() - 2));
    p.setPen(QPen(QColor(0, 30, 8, 190), 1.0));
    p.drawLine(QPointF(2, size.height() - 1.5), QPointF(size.width() - 1.5, size.height() - 1.5));
    p.drawLine(QPointF(size.width() - 1.5, 2), QPointF(size.width() - 1.5, size.height() - 1.5));
    p.setPen(QPen(QColor(0, 36, 10), 1.0));
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    return image;
}

QString BitmapPath(pubres::Id id) {
    return QStringLiteral("bitmap/%1.png").arg(id);
}

bool SaveTile(const std::function<QImage(int)>& draw, const QDir& out, pubres::Id id) {
    return SaveImage(draw(1), out, QStringLiteral("bitmap/%1.png").arg(id)) &&
           SaveImage(draw(2), out, QStringLiteral("bitmap/%1@2x.png").arg(id));
}

} // namespace

bool WriteBackgrounds(const QDir& out) {
    bool ok = SaveImage(Plain(QSize(8, 8), QColor(0, 128, 0)), out, BitmapPath(pubres::IDB_GREEN));
    ok = SaveImage(Plain(QSize(15, 15), QColor(51, 0, 153)), out, BitmapPath(pubres::IDB_INDIGO)) &&
         ok;
    ok = SaveImage(Plain(QSize(15, 15), QColor(77, 77, 77)), out, BitmapPath(pubres::IDB_GREY)) &&
         ok;
    ok = SaveTile(Cloth, out, pubres::IDB_CLOTH) && ok;
    ok = SaveTile(BrownOrnament, out, pubres::IDB_BROWN_ORNAMENT) && ok;
    ok = SaveTile(BlueOrnament, out, pubres::IDB_BLUE_ORNAMENT) && ok;
    ok = SaveTile(GreenCrosses, out, pubres::IDB_GREEN_CROSSES) && ok;
    ok = SaveTile(ButtonFace, out, pubres::IDB_BUTTON) && ok;
    return ok;
}

} // namespace pubart
