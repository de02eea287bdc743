#include "FaceRenderer.h"

#include "CardCanvas.h"
#include "CourtFigure.h"

#include <QFont>
#include <QPainter>
#include <QString>

#include <array>
#include <vector>

namespace {

enum Face { Six = 1, Seven, Eight, Nine, Ten, Jack, Queen, King, Ace };

constexpr qreal midX = CardCanvas::width / 2.0;
constexpr qreal midY = CardCanvas::height / 2.0;

// Pip grid: two outer columns and a centre one; rows fill the band between top and bottom.
constexpr qreal leftCol = 21.5;
constexpr qreal rightCol = CardCanvas::width - leftCol;
constexpr qreal topRow = 17.0;
constexpr qreal bottomRow = CardCanvas::height - topRow;
constexpr qreal pipHeight = 12.5;

// Corner index: rank letter on top, a small sign below it.
constexpr qreal indexCentreX = 7.5;
constexpr qreal indexTop = 3.0;
constexpr qreal indexPixelSize = 12.0;
constexpr qreal indexSignY = 19.5;
constexpr qreal indexSignHeight = 7.5;

QString rankText(int face) {
    static const std::array<const char16_t*, 9> texts = {u"6", u"7", u"8", u"9", u"10",
                                                         u"В", u"Д", u"К", u"Т"};
    return QString::fromUtf16(texts[face - 1]);
}

// Height of row `i` when `rows` rows share the pip band.
constexpr qreal row(int i, int rows) {
    return topRow + (bottomRow - topRow) * i / (rows - 1);
}

struct Pip {
    qreal x;
    qreal y;
};

std::vector<Pip> pipLayout(int face) {
    std::vector<Pip> pips;
    const auto columns = [&](int rows) {
        for (int i = 0; i < rows; ++i) {
            pips.push_back({leftCol, row(i, rows)});
            pips.push_back({rightCol, row(i, rows)});
        }
    };
    switch (face) {
    case Six:
        columns(3);
        break;
    case Seven:
        columns(3);
        pips.push_back({midX, (row(0, 3) + row(1, 3)) / 2});
        break;
    case Eight:
        columns(3);
        pips.push_back({midX, (row(0, 3) + row(1, 3)) / 2});
        pips.push_back({midX, (row(1, 3) + row(2, 3)) / 2});
        break;
    case Nine:
        columns(4);
        pips.push_back({midX, midY});
        break;
    case Ten:
        columns(4);
        pips.push_back({midX, (row(0, 4) + row(1, 4)) / 2});
        pips.push_back({midX, (row(2, 4) + row(3, 4)) / 2});
        break;
    default:
        break;
    }
    return pips;
}

// Top-left index; the caller rotates the painter for the bottom-right copy.
void paintIndex(QPainter& p, Suit suit, int face) {
    QFont font(QStringLiteral("Liberation Serif"));
    font.setBold(true);
    font.setPixelSize(int(indexPixelSize));
    const QString text = rankText(face);
    // Two digits would run into the pips; squeeze them together instead.
    if (text.size() > 1)
        font.setLetterSpacing(QFont::AbsoluteSpacing, -1.5);
    font.setHintingPreference(QFont::PreferNoHinting);

    QPainterPath glyphs;
    glyphs.addText(0, 0, font, text);
    const QRectF box = glyphs.boundingRect();
    glyphs.translate(indexCentreX - box.center().x(), indexTop - box.top());

    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(SuitShapes::colour(suit));
    p.drawPath(glyphs);
    p.restore();
    SuitShapes::draw(p, suit, QPointF(indexCentreX, indexSignY), indexSignHeight);
}

void paintPips(QPainter& p, Suit suit, int face) {
    for (const Pip& pip : pipLayout(face)) {
        // Pips below the middle face the other player, as on printed cards.
        const bool upsideDown = pip.y > midY + 0.01;
        SuitShapes::draw(p, suit, QPointF(pip.x, pip.y), pipHeight, upsideDown);
    }
}

void paintAce(QPainter& p, Suit suit) {
    const QPointF centre(midX, midY);
    if (suit != Suit::Spades) {
        SuitShapes::draw(p, suit, centre, 32);
        return;
    }
    // The ace of spades traditionally carries a little decoration.
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 0.7));
    p.drawEllipse(centre, 22.5, 24.5);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 0.4));
    p.drawEllipse(centre, 20.5, 22.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    for (int i = 0; i < 12; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(i * 30 + 15);
        p.drawEllipse(QPointF(0, -23.5), 0.9, 0.9);
        p.restore();
    }
    p.restore();
    SuitShapes::draw(p, suit, centre, 34);
    QTransform inner;
    inner.translate(centre.x(), centre.y() - 1.0);
    inner.scale(26, 26);
    p.save();
    // Inlay line inside the blade only; it would cut across the stem.
    p.setClipRect(QRectF(0, 0, CardCanvas::width, centre.y() + 7));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 0.6));
    p.drawPath(inner.map(SuitShapes::unitPath(Suit::Spades)));
    p.restore();
}

} // namespace

namespace FaceRenderer {

void paint(QPainter& p, Suit suit, int face) {
    CardCanvas::paintBlank(p);

    for (int corner = 0; corner < 2; ++corner) {
        p.save();
        if (corner == 1) {
            p.translate(CardCanvas::width, CardCanvas::height);
            p.rotate(180);
        }
        paintIndex(p, suit, face);
        p.restore();
    }

    if (face <= Ten)
        paintPips(p, suit, face);
    else if (face == Ace)
        paintAce(p, suit);
    else
        CourtFigure::paint(p, suit, static_cast<CourtFigure::Rank>(face - Jack));
}

} // namespace FaceRenderer
