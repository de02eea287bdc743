#pragma once

class QPainter;

// The card backs the player can choose from.
namespace BackRenderer {

inline constexpr int count = 7;

// Paints back `index` (0 .. count-1) into the logical CardCanvas area.
void paint(QPainter& p, int index);

} // namespace BackRenderer
