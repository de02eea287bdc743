// Whole parties among in-process peers over the loopback, every seat played
// by clicks on its own window.

#include "NetPeers.h"

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

TEST(NetParty, ThreePeersPlayAPartyToTwelveBalls) {
    NetPeers peers(3, false, 7);
    ASSERT_EQ(peers.Peer(2).NumberPlayers(), 3);
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

TEST(NetParty, FourPeersPlayAPartyOfEachKind) {
    NetPeers peers(4, true, 11);
    ASSERT_EQ(peers.Peer(3).NumberPlayers(), 4);
    peers.SetStars(1);
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
    // The kind changes on every table, and the next party is to 12 balls.
    peers.Peer(0).SetGameKind(false, true);
    ASSERT_TRUE(peers.WaitSettled());
    for (int i = 0; i < peers.Count(); ++i)
        EXPECT_FALSE(peers.Table(i).m_Game31) << i;
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

TEST(NetParty, TheFirstTurnWaitsForTheSlowestTable) {
    NetPeers peers(3);
    // The third table will not report the end of its deal until told.
    peers.Peer(2).m_PacePercent = 100000;
    CPack::m_Shuffle = NetPeers::ShuffleSeed(peers.Count(), false);
    peers.Peer(0).PressButton();
    ASSERT_TRUE(testutil::WaitFor([&] { return peers.Peer(0).WaitsForPeers(); }));
    // A while later nobody has the turn yet.
    testutil::WaitFor([] { return false; }, 300);
    ASSERT_TRUE(peers.WaitIdle());
    for (int i = 0; i < peers.Count(); ++i) {
        EXPECT_FALSE(peers.Peer(i).CanAct()) << i;
        EXPECT_NE(peers.Message(i), QStringLiteral("Ваш ход!")) << i;
    }
    peers.Peer(2).m_PacePercent = 2;
    ASSERT_TRUE(testutil::WaitFor([&] { return peers.Peer(2).RunOut(CPlayNet::TIMER_END_DISTR); }));
    ASSERT_TRUE(peers.WaitSettled());
    int turns = 0;
    for (int i = 0; i < peers.Count(); ++i)
        turns += peers.Message(i) == QStringLiteral("Ваш ход!");
    EXPECT_EQ(turns, 1);
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
}
