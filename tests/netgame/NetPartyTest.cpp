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
