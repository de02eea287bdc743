// Players leaving a table: in the middle of a circle, the host mid-game, a
// sitting-out player at a barrier, a table still animating, a player at the
// moment of a deal among four, a renamed player.

#include "NetCommands.h"
#include "NetPeers.h"

#include <gtest/gtest.h>

namespace {
// After an interrupted game exactly one table offers the new party and the
// others name its player as the dealer.
void ExpectDealOffered(NetPeers& peers) {
    ASSERT_TRUE(peers.WaitSettled()) << peers.State().toStdString();
    int dealer = -1;
    for (int i = 0; i < peers.Count(); ++i)
        if (peers.Message(i) == QStringLiteral("Вам сдавать!")) {
            EXPECT_EQ(dealer, -1) << "two dealers";
            dealer = i;
            EXPECT_EQ(peers.Peer(i).ButtonCaption(), QStringLiteral("Новая партия!"));
        }
    ASSERT_NE(dealer, -1) << peers.Message(0).toStdString();
    for (int i = 0; i < peers.Count(); ++i) {
        EXPECT_EQ(peers.Peer(i).NumberPlayers(), peers.Count()) << i;
        if (i == dealer)
            continue;
        EXPECT_EQ(peers.Message(i),
                  QStringLiteral("Сдает ") + peers.Name(dealer) + QStringLiteral("!"))
            << i;
        EXPECT_EQ(peers.Peer(i).ButtonCaption(), QString()) << i;
    }
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
}

bool CardsOnTable(NetPeers& peers, int n) {
    return peers.Table(0).GetNumberCardsOnTable() >= n;
}
} // namespace

TEST(NetLeave, AClientLeavingMidCircleInterruptsTheGame) {
    NetPeers peers(3, true, 5);
    peers.SetStars(1);
    ASSERT_EQ(peers.PlayUntil([&] { return CardsOnTable(peers, 2); }).toStdString(), "");
    const QString name = peers.Name(2);
    peers.Drop(2);
    ExpectDealOffered(peers);
    EXPECT_TRUE(peers.Notices().contains(QStringLiteral("Игрок ") + name +
                                         QStringLiteral(" вышел из игры!")));
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

TEST(NetLeave, TheHostLeavingMidGameLeavesANewHostWhoOffersTheDeal) {
    NetPeers peers(3, false, 9);
    ASSERT_EQ(peers.PlayUntil([&] { return CardsOnTable(peers, 1); }).toStdString(), "");
    peers.Drop(0);
    ExpectDealOffered(peers);
    EXPECT_EQ(peers.Peer(0).m_DirectPlay.m_SessionState + peers.Peer(1).m_DirectPlay.m_SessionState,
              3);
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

namespace {
// Two play, a third joins during the game and sits out; one table is slowed
// down until the tables stop, and the sitting-out player leaves. A slow
// player holds the deal's or take's barrier open; a slow sitter holds nobody
// up (no table awaits a waiting newcomer's ends: a dealer may not know him).
void SitterLeavesAtABarrier(bool acknowledged) {
    NetPeers peers(2, true, acknowledged ? 17 : 19);
    peers.SetStars(1);
    peers.SetLockAddPlayers(false);
    ASSERT_EQ(peers.PlayUntil([&] { return CardsOnTable(peers, 1); }).toStdString(), "");
    ASSERT_TRUE(peers.Join());
    const int holder = acknowledged ? 1 : 2;
    peers.Peer(holder).m_PacePercent = 100000;
    bool stopped = false;
    bool held = false;
    for (int n = 0; n < 500 && !stopped; ++n) {
        if (!peers.WaitSettled(1500)) {
            stopped = true;
            held = peers.Peer(0).WaitsForPeers();
            break;
        }
        ASSERT_EQ(peers.Disagreement().toStdString(), "");
        ASSERT_TRUE(peers.Act());
    }
    ASSERT_TRUE(stopped);
    ASSERT_EQ(held, acknowledged);
    peers.Drop(2);
    if (acknowledged) {
        // The table that held the barrier acknowledges now.
        peers.Peer(1).m_PacePercent = 2;
        for (UINT id :
             {CPlayNet::TIMER_END_DISTR, CPlayNet::TIMER_END_TAKE, CPlayNet::TIMER_CONTINUE})
            peers.Peer(1).RunOut(id);
    }
    ASSERT_TRUE(peers.WaitSettled());
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}
} // namespace

TEST(NetLeave, ASlowSittingOutPlayerHoldsNoBarrierAndLeaves) {
    SitterLeavesAtABarrier(false);
}

TEST(NetLeave, ASittingOutPlayerLeavingAtABarrierAfterItsAcknowledgement) {
    SitterLeavesAtABarrier(true);
}

// A game stopped by the departure still owes the end of its deal or take to
// the tables that saw it go on; none of them may be left waiting for it. When
// the departure stops a deal that had just begun, its dealer deals again at
// once, also on the tables that saw the departure before the deal.
TEST(NetLeave, ADepartureWhileATableAnimatesItsCards) {
    // The second table shows its cards moving; the third leaves while they do.
    NetPeers peers(3, true, 23, 1);
    peers.SetStars(1);
    ASSERT_EQ(
        peers.PlayUntil([&] { return peers.Table(0).GetNumberCardsOnTable() >= 3; }).toStdString(),
        "");
    bool moving = false;
    for (int n = 0; n < 200 && !moving; ++n) {
        ASSERT_TRUE(peers.WaitSettled());
        ASSERT_TRUE(peers.Act());
        moving = testutil::WaitFor([&] { return !peers.Peer(1).IsIdle(); }, 100);
    }
    ASSERT_TRUE(moving);
    peers.Drop(2);
    ASSERT_TRUE(peers.WaitSettled()) << peers.State().toStdString();
    if (peers.Table(0).m_Pack.IsPackFull()) {
        ExpectDealOffered(peers);
    } else {
        EXPECT_EQ(peers.Peer(0).NumberPlayers(), 2);
        EXPECT_EQ(peers.Disagreement().toStdString(), "");
    }
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

// Four at the table; the dealer deals at the very moment another player's
// program goes. Whoever it is, the three left end up in step with someone
// able to act.
TEST(NetLeave, ADepartureAtTheMomentOfADealAmongFour) {
    // Each seat after the dealer at a party's start; one between games.
    const std::pair<int, bool> cases[] = {{1, false}, {2, false}, {3, false}, {2, true}};
    for (const auto& [gone, betweenGames] : cases) {
        {
            SCOPED_TRACE(testing::Message() << "gone " << gone << " between games " << betweenGames);
            NetPeers peers(4, true, 31u + static_cast<unsigned>(gone));
            if (betweenGames) {
                // Play the first game out; the next deal is offered.
                ASSERT_TRUE(peers.Act());
                ASSERT_EQ(peers.PlayUntil([&] {
                                   for (int i = 0; i < peers.Count(); ++i)
                                       if (peers.Peer(i).IsCommandEnabled(netcmd::ID_NEXT_GAME))
                                           return true;
                                   return false;
                               }, 400).toStdString(),
                          "");
            }
            int dealer = -1;
            for (int i = 0; i < peers.Count(); ++i)
                if (!peers.Peer(i).ButtonCaption().isEmpty())
                    dealer = i;
            ASSERT_NE(dealer, -1) << peers.State().toStdString();
            const int leaver = (dealer + gone) % peers.Count();
            peers.Peer(dealer).PressButton();
            peers.Drop(leaver);
            ASSERT_TRUE(peers.WaitSettled()) << peers.State().toStdString();
            EXPECT_EQ(peers.Disagreement().toStdString(), "");
            EXPECT_EQ(peers.PlayParty().toStdString(), "");
        }
    }
}

TEST(NetLeave, ARenamedPlayerIsCalledByHisNewNameAsDealerAndWhenHeLeaves) {
    NetPeers peers(3);
    ASSERT_TRUE(peers.WaitIdle());
    ASSERT_EQ(peers.Message(1), QStringLiteral("Сдает Игрок1!"));
    peers.Peer(0).ChangeName(QStringLiteral("Вера"));
    peers.Peer(2).ChangeName(QStringLiteral("Валя"));
    for (int i = 1; i < peers.Count(); ++i)
        EXPECT_TRUE(testutil::WaitFor([&] {
            return peers.Message(i) == QStringLiteral("Сдает Вера!");
        })) << i
            << " " << peers.Message(i).toStdString();
    // Every other table knows the new name before she goes.
    const DPNID valya = peers.Peer(2).m_DirectPlay.m_LocalPlayer;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(testutil::WaitFor([&] {
            for (const CPlayer& p : peers.Table(i).m_Players)
                if (p.m_PlayerID == valya)
                    return p.m_LabelName.GetCaption() == QStringLiteral("Валя");
            return false;
        })) << i;
    peers.Leave(2);
    ASSERT_TRUE(peers.WaitIdle());
    QStringList left;
    for (const QString& n : peers.Notices())
        if (n.endsWith(QStringLiteral(" вышел из игры!")))
            left << n;
    EXPECT_EQ(left, QStringList(2, QStringLiteral("Игрок Валя вышел из игры!")));
}
