#include "Generator.h"

#include <QPainter>
#include <QPainterPath>

namespace pubart {
namespace {

// Two fanned cards, the front one showing a red heart: the program's icon.
QImage DrawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    auto card = [&](qreal angle, const QColor& fill) {
        p.save();
        p.translate(16, 28);
        p.rotate(angle);
        p.setPen(QPen(QColor(60, 60, 60), 1.0));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(-8.5, -24, 17, 23), 2, 2);
        p.restore();
    };
    card(-16, QColor(40, 70, 160));
    card(12, Qt::white);
    p.save();
    p.translate(16, 28);
    p.rotate(12);
    QPainterPath heart;
    heart.moveTo(0, -6);
    heart.cubicTo(-1, -10, -7, -10, -6, -14);
    heart.cubicTo(-5, -18, -1, -17, 0, -14.5);
    heart.cubicTo(1, -17, 5, -18, 6, -14);
    heart.cubicTo(7, -10, 1, -10, 0, -6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 20, 30));
    p.drawPath(heart);
    p.restore();
    return image;
}

} // namespace

bool WriteProgramIcon(const QDir& out) {
    bool ok = true;
    for (int size : {16, 32, 48})
        ok = SaveImage(DrawIcon(size), out,
                       QStringLiteral("icon/%1_%2.png").arg(pubres::IDI_PROGRAM).arg(size)) &&
             ok;
    return ok;
}

} // namespace pubart
