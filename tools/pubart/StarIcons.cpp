#include "Generator.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace pubart {
namespace {

// The star sits in the icon's top-left 28 x 28: the row and its animation
// redraw only that much of each 32 x 32 icon.
constexpr qreal kCentreX = 14.0;
constexpr qreal kCentreY = 14.6;
constexpr qreal kOuter = 13.4;
constexpr qreal kInner = 5.6;

struct Metal {
    QColor light;
    QColor dark;
    QColor outline;
};

const Metal kSilver{QColor(246, 248, 252), QColor(112, 120, 132), QColor(54, 58, 66)};
const Metal kGold{QColor(255, 232, 120), QColor(196, 124, 0), QColor(96, 58, 0)};

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

QColor Darker(const QColor& c, qreal factor) {
    return QColor::fromRgbF(c.redF() * factor, c.greenF() * factor, c.blueF() * factor);
}

// Vertex i of the star outline (even: tips, odd: inner corners), squeezed
// horizontally about the centre by scale.
QPointF Vertex(int i, qreal scale) {
    const qreal angle = -M_PI / 2 + i * M_PI / 5;
    const qreal r = i % 2 == 0 ? kOuter : kInner;
    return QPointF(kCentreX + std::cos(angle) * r * scale, kCentreY + std::sin(angle) * r);
}

// A bevelled five-pointed star: every point has a lit and a shaded half,
// lit from the top left. scale < 1 is the star turning edge-on like a coin,
// and it darkens as it turns.
QImage DrawStar(const Metal& metal, qreal scale, qreal shade) {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kCentreX, kCentreY);
    const QPointF light(-0.55, -0.83);

    if (scale < 0.1) {
        // Edge-on: only the rim shows, a thin upright bar.
        const qreal top = kCentreY - kOuter;
        const qreal bottom = kCentreY + kOuter * std::cos(M_PI / 5);
        QLinearGradient rim(0, top, 0, bottom);
        rim.setColorAt(0, Darker(metal.light, shade));
        rim.setColorAt(1, Darker(metal.dark, shade));
        p.setPen(QPen(metal.outline, 0.8));
        p.setBrush(rim);
        p.drawRoundedRect(QRectF(kCentreX - 1.3, top, 2.6, bottom - top), 1.2, 1.2);
        return image;
    }

    p.setPen(Qt::NoPen);
    for (int tip = 0; tip < 10; tip += 2) {
        const QPointF outer = Vertex(tip, scale);
        for (int side : {-1, 1}) {
            const QPointF inner = Vertex((tip + side + 10) % 10, scale);
            // The facet leans towards its outer edge; how much that edge
            // faces the light decides the facet's brightness.
            const QPointF edge = inner - outer;
            QPointF normal(edge.y(), -edge.x());
            if (QPointF::dotProduct(normal, (outer + inner) / 2 - centre) < 0)
                normal = -normal;
            const qreal length = std::hypot(normal.x(), normal.y());
            const qreal facing = QPointF::dotProduct(normal / length, light);
            const qreal t = 0.5 - 0.5 * facing;
            QLinearGradient fill(centre, outer);
            const QColor base = Mix(metal.light, metal.dark, t);
            fill.setColorAt(0, Darker(Mix(base, metal.light, 0.35), shade));
            fill.setColorAt(1, Darker(base, shade));
            p.setBrush(fill);
            p.drawPolygon(QPolygonF({centre, outer, inner}));
        }
    }
    QPolygonF outline;
    for (int i = 0; i < 10; ++i)
        outline << Vertex(i, scale);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(metal.outline, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(outline);
    return image;
}

bool WriteStar(const QImage& image, const QDir& out, pubres::Id id) {
    return SaveImage(image, out, QStringLiteral("icon/%1_32.png").arg(id));
}

} // namespace

bool WriteStarIcons(const QDir& out) {
    // Frames from full face to edge-on, silver and gold.
    const qreal scales[] = {1.0, 0.75, 0.5, 0.25, 0.0};
    const qreal shades[] = {1.0, 0.9, 0.8, 0.68, 0.55};
    bool ok = WriteStar(DrawStar(kSilver, 1.0, 1.0), out, pubres::IDI_STAR_SILVER);
    ok = WriteStar(DrawStar(kGold, 1.0, 1.0), out, pubres::IDI_STAR_GOLD) && ok;
    for (int i = 0; i < 5; ++i) {
        ok =
            WriteStar(DrawStar(kSilver, scales[i], shades[i]), out, pubres::kSilverFrames[i]) && ok;
        ok = WriteStar(DrawStar(kGold, scales[i], shades[i]), out, pubres::kGoldFrames[i]) && ok;
    }
    return ok;
}

} // namespace pubart
