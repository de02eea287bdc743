// A zanta dealt to the first player: announced on every table; a game to 31
// points ends at once with its holder the winner, one to 12 balls goes on.

#include "NetPeers.h"

#include "Card.h"

#include <gtest/gtest.h>

namespace {
// Deals the first game of two tables under a seed that makes a zanta.
void DealZanta(NetPeers& peers) {
    const std::uint32_t seed = testutil::ShuffleSeed(peers.Count(), true);
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
