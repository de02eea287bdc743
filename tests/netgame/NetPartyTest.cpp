// Whole parties among in-process peers over the loopback.

#include "NetPeers.h"

#include <gtest/gtest.h>

TEST(NetParty, TwoPeersPlayAPartyTo31) {
    NetPeers peers(2, true);
    ASSERT_NE(peers.Port(), 0);
    ASSERT_EQ(peers.Peer(0).NumberPlayers(), 2);
    EXPECT_EQ(peers.Peer(0).m_Public.m_LabelMessage.GetCaption(), QStringLiteral("Вам сдавать!"));
    EXPECT_EQ(peers.Peer(1).m_Public.m_LabelMessage.GetCaption().toStdString(), "Сдает " + peers.Peer(0).m_Public.m_Players[0].m_LabelName.GetCaption().toStdString() + "!");
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

TEST(NetParty, AClientLeavingMidGameInterruptsItAndTheDealIsOfferedAgain) {
    NetPeers peers(3, true, 7);
    ASSERT_EQ(peers.Peer(0).NumberPlayers(), 3);
    for (int n = 0; n < 6; ++n) {
        ASSERT_TRUE(peers.WaitSettled());
        ASSERT_TRUE(peers.Act());
    }
    ASSERT_TRUE(peers.WaitSettled());
    peers.Drop(2);
    ASSERT_TRUE(peers.WaitSettled()) << peers.Peer(0).m_Public.m_LabelMessage.GetCaption().toStdString() << " / "
                                     << peers.Peer(1).m_Public.m_LabelMessage.GetCaption().toStdString() << " idle "
                                     << peers.Peer(0).IsIdle() << peers.Peer(1).IsIdle() << " waits "
                                     << peers.Peer(0).WaitsForPeers() << peers.Peer(1).WaitsForPeers();
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
    int dealers = 0;
    for (int i = 0; i < 2; ++i)
        dealers += peers.Peer(i).ButtonCaption() == ButtonText::NewParty;
    EXPECT_EQ(dealers, 1);
}
