#pragma once

#include "SuitShapes.h"

class QPainter;

// Picture panel of the jack, queen and king: a framed bust mirrored top to bottom.
namespace CourtFigure {

enum class Rank { Jack, Queen, King };

void paint(QPainter& p, Suit suit, Rank rank);

} // namespace CourtFigure
