#include "Hand.h"

#include <algorithm>

std::vector<CCard*> HandFromLeft(CPack& pack, int seat) {
    std::vector<CCard*> hand;
    for (CCard* c : pack.m_Cards)
        if (c && c->m_Place == e_Hand && c->m_Player == seat)
            hand.push_back(c);
    std::sort(hand.begin(), hand.end(),
              [](CCard* a, CCard* b) { return a->GetCardPos().x() < b->GetCardPos().x(); });
    return hand;
}
