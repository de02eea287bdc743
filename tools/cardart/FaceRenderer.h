#pragma once

#include "SuitShapes.h"

class QPainter;

// Faces of the 36-card deck: six to ten with pips, jack/queen/king with a figure, ace.
namespace FaceRenderer {

// Face numbers run 1 (six) .. 9 (ace).
inline constexpr int faceCount = 9;

// Paints a whole card into the logical CardCanvas area.
void paint(QPainter& p, Suit suit, int face);

} // namespace FaceRenderer
