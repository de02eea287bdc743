#include "Generator.h"

#include <QPainter>
#include <QPainterPath>

namespace pubart {
namespace {

// Two fanned cards, the front one showing a red heart: the program's icon.
// Drawn on a 32-unit square; the scalable icon below repeats the same shapes.
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

const char kIconSvg[] = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <g transform="translate(16 28)" stroke="#3c3c3c" stroke-width="1">
    <rect transform="rotate(-16)" x="-8.5" y="-24" width="17" height="23" rx="2" fill="#2846a0"/>
    <rect transform="rotate(12)" x="-8.5" y="-24" width="17" height="23" rx="2" fill="#ffffff"/>
    <path transform="rotate(12)" stroke="none" fill="#c8141e"
          d="M0,-6 C-1,-10 -7,-10 -6,-14 C-5,-18 -1,-17 0,-14.5 C1,-17 5,-18 6,-14 C7,-10 1,-10 0,-6 Z"/>
  </g>
</svg>
)svg";

} // namespace

bool WriteDesktopIcons(const QDir& out, const QStringList& names) {
    bool ok = true;
    for (const QString& name : names) {
        // The sizes the hicolor icon theme lists.
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            ok = SaveImage(DrawIcon(size), out,
                           QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(name)) &&
                 ok;
        ok = SaveBytes(QByteArray(kIconSvg), out,
                       QStringLiteral("scalable/apps/%1.svg").arg(name)) &&
             ok;
    }
    return ok;
}

bool WriteProgramIcon(const QDir& out) {
    bool ok = true;
    for (int size : {16, 32, 48})
        ok = SaveImage(DrawIcon(size), out,
                       QStringLiteral("icon/%1_%2.png").arg(pubres::IDI_PROGRAM).arg(size)) &&
             ok;
    return ok;
}

} // namespace pubart
