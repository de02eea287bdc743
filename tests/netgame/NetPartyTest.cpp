// A whole party between two in-process windows over the loopback, every seat
// played by clicks on its own window, and what each window says at its start.

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
