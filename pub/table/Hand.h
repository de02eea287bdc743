#pragma once
// A player's hand in the order the window shows it.

#include "Pack.h"

#include <vector>

// The cards in the hand of the given seat, from the left of the table to the
// right.
std::vector<CCard*> HandFromLeft(CPack& pack, int seat);
