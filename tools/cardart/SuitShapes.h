#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointF>

class QPainter;

// Suit order matches the picture numbering: card j has suit (j-1)/9+1.
enum class Suit { Clubs = 1, Spades, Hearts, Diamonds };

namespace SuitShapes {

// Sign outline fitted into the box -0.5..0.5 on both axes, centred on the origin.
QPainterPath unitPath(Suit suit);

bool isRed(Suit suit);
QColor colour(Suit suit);

// Fills the sign `height` units tall centred on `centre`, turned upside down if asked.
void draw(QPainter& p, Suit suit, QPointF centre, qreal height, bool upsideDown = false);

} // namespace SuitShapes
