#pragma once
// Shuffle seeds (for CPack::m_Shuffle) chosen for the first deal they make:
// a fresh pack dealt among the given number of players, seat 1 dealing.
// Header only: it needs the table, which platform's own tests do not link.

#include "Public.h"
#include "TableMoves.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace testutil {

// The first seed whose deal fits: given the table, the first player's seat
// and the zanta holder's (0 for none); 0 if a bounded search finds none.
inline std::uint32_t ShuffleSeed(int players, const std::function<bool(CPublic&, int first, int zanta)>& fits) {
    CWnd window;
    window.resize(800, 600);
    CPublic t;
    t.SetParent(&window);
    t.m_NumberPlayers = players;
    t.m_Pack.InitPack36(&window);
    t.m_Pack.SetValueZanta();
    t.m_Pack.ShowAinmationCards(false);
    const std::vector<CCard*> fresh = t.m_Pack.m_Cards;
    CTableMoves moves(t);
    for (std::uint32_t seed = 1; seed < 4000; ++seed) {
        t.m_Pack.m_Cards = fresh;
        CPack::m_Shuffle = seed;
        moves.StartGame();
        t.m_CurrentPlayer = 1;
        t.NextPlayer(&t.m_CurrentPlayer, nullptr);
        const int first = t.m_CurrentPlayer;
        const int holder = moves.DistrCards(first);
        if (fits(t, first, holder))
            return seed;
    }
    return 0;
}

// A deal that gives somebody a zanta, or nobody one.
inline std::uint32_t ShuffleSeed(int players, bool zanta) {
    return ShuffleSeed(players, [zanta](CPublic&, int, int holder) { return (holder != 0) == zanta; });
}

} // namespace testutil
