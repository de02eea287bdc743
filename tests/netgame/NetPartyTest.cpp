// Two or three in-process windows over the loopback, as their players see
// them: what each says at the start of a party played by clicks to its end,
// a zanta dealt to the first player (a game to 31 points ends at once with
// its holder the winner, one to 12 balls goes on), and what is typed in the
// chat reaching the others letter by letter under the writer's name.

#include "NetPeers.h"

#include "Card.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

TEST(NetParty, TwoPeersPlayAPartyTo31) {
    NetPeers peers(2, true);
    ASSERT_NE(peers.Port(), 0);
    ASSERT_EQ(peers.Peer(0).NumberPlayers(), 2);
    // The second player makes a lone host the dealer.
    EXPECT_EQ(peers.Message(0), QStringLiteral("Вам сдавать!"));
    EXPECT_EQ(peers.Peer(0).ButtonCaption(), QStringLiteral("Новая партия!"));
    EXPECT_EQ(peers.Message(1), QStringLiteral("Сдает ") + peers.Name(0) + QStringLiteral("!"));
    EXPECT_EQ(peers.Peer(1).ButtonCaption(), QString());
    peers.SetStars(2);
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

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

TEST(NetChat, ThreeLettersTypedReachEveryOtherTable) {
    NetPeers peers(3);
    ASSERT_TRUE(peers.WaitIdle());
    const DPNID writer = peers.Peer(0).m_DirectPlay.m_LocalPlayer;

    // Cyrillic letters, as the players type them: the record carries them
    // in Windows-1251.
    for (const QChar c : QStringLiteral("абв"))
        QTest::sendKeyEvent(QTest::Click, peers.Peer(0).m_Telegraph.m_Edit, Qt::Key_unknown,
                            QString(c), Qt::NoModifier);

    const QString line = peers.Name(0) + QStringLiteral(":абв");
    for (int i = 1; i < peers.Count(); ++i) {
        int seat = 0;
        for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
            if (peers.Table(i).m_Players[s - 1].m_PlayerID == writer)
                seat = s;
        ASSERT_NE(seat, 0) << i;
        QLabel* shown = peers.Peer(i).m_Telegraph.m_Lines[seat - 2];
        EXPECT_TRUE(testutil::WaitFor([&] { return shown->text() == line; }))
            << shown->text().toStdString();
    }
}
