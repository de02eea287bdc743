// A zanta dealt to the first player: announced on every table; a game to 31
// points ends at once with its holder the winner, one to 12 balls goes on.

#include "NetPeers.h"

#include "Card.h"

#include <gtest/gtest.h>

namespace {
// The first shuffle seed under which a fresh pack, dealt by seat 1 among
// the given number of players, gives the first player a zanta; 0 if none
// is found in a bounded search.
std::uint32_t ZantaSeed(int players) {
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
        if (moves.DistrCards(t.m_CurrentPlayer) != 0)
            return seed;
    }
    return 0;
}

// Deals the first game of two tables under a seed that makes a zanta.
void DealZanta(NetPeers& peers) {
    const std::uint32_t seed = ZantaSeed(peers.Count());
    ASSERT_NE(seed, 0u);
    CPack::m_Shuffle = seed;
    peers.Peer(0).PressButton();
    ASSERT_TRUE(peers.WaitSettled());
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
}
} // namespace

TEST(NetZanta, AZantaEndsAGameTo31WithItsHolderTheWinner) {
    NetPeers peers(2, true);
    DealZanta(peers);
    // The joiner played first: his zanta won, and he deals next.
    EXPECT_EQ(peers.Message(1), QStringLiteral("Вам сдавать!"));
    EXPECT_EQ(peers.Peer(1).ButtonCaption(), QStringLiteral("Сдать карты!"));
    EXPECT_EQ(peers.Message(0), QStringLiteral("Сдает ") + peers.Name(1) + QStringLiteral("!"));
    EXPECT_EQ(peers.Table(0).m_NumberGame, 1);
    EXPECT_LT(peers.Table(0).m_Players[0].m_Star.GetNumberStars(),
              peers.Table(1).m_Players[0].m_Star.GetNumberStars());
}

TEST(NetZanta, AZantaInAPartyToTwelveBallsIsShownAndPlayGoesOn) {
    NetPeers peers(2, false);
    DealZanta(peers);
    EXPECT_EQ(peers.Message(1), QStringLiteral("Ваш ход!"));
    EXPECT_EQ(peers.Message(0),
              QStringLiteral("У игрока ") + peers.Name(1) + QStringLiteral(" занта!"));
    for (int i = 0; i < peers.Count(); ++i)
        EXPECT_EQ(peers.Table(i).m_LabelAnnounce.GetCaption(), QStringLiteral("Игра продолжается!"))
            << i;
    EXPECT_TRUE(peers.Peer(1).CanAct());
    EXPECT_FALSE(peers.Peer(0).CanAct());
}
