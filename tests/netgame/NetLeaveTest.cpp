// Players leaving a table, as the others see it: who is offered the deal
// after a client or the host goes mid-game, and the leaver named by the name
// he took last. (Departures at every other moment, sitting-out players and
// four at a table included, are the simulation's, NetTableSim.)

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

} // namespace

// A client in the middle of a circle, or the host mid-game: the game is
// interrupted, a new host (when the host went) offers the deal.
TEST(NetLeave, ALeaverInterruptsTheGameAndTheDealIsOfferedAgain) {
    for (const bool host : {false, true}) {
        SCOPED_TRACE(host ? "the host leaves" : "a client leaves");
        NetPeers peers(3, !host, host ? 9 : 5);
        if (!host)
            peers.SetStars(1);
        ASSERT_EQ(peers.PlayUntil([&] { return peers.Table(0).GetNumberCardsOnTable() >= (host ? 1 : 2); })
                      .toStdString(),
                  "");
        const int leaver = host ? 0 : 2;
        const QString name = peers.Name(leaver);
        peers.Drop(leaver);
        ExpectDealOffered(peers);
        EXPECT_TRUE(peers.Notices().contains(QStringLiteral("Игрок ") + name +
                                             QStringLiteral(" вышел из игры!")));
        EXPECT_EQ(peers.Peer(0).m_DirectPlay.m_SessionState +
                      peers.Peer(1).m_DirectPlay.m_SessionState,
                  3);
        EXPECT_EQ(peers.PlayParty().toStdString(), "");
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

// With seats held, a player who leaves mid-game keeps his seat: the host's
// table plays it (every table says so by his name) and the party goes on to
// its end, after which his seat is freed.
TEST(NetLeave, AHeldSeatIsPlayedByTheComputerToThePartysEnd) {
    NetPeers peers(3, true, 5);
    peers.SetStars(1);
    peers.Peer(0).m_HoldSeats = true;
    peers.Peer(0).SendSettings();
    ASSERT_EQ(peers.PlayUntil([&] { return peers.Table(0).GetNumberCardsOnTable() >= 2; }).toStdString(), "");
    const QString name = peers.Name(2);
    const int game = peers.Table(0).m_NumberGame;
    peers.Leave(2);
    ASSERT_TRUE(peers.WaitSettled()) << peers.State().toStdString();
    for (int i = 0; i < peers.Count(); ++i) {
        QStringList labels;
        for (const CPlayer& p : peers.Table(i).m_Players)
            labels << p.m_LabelName.GetCaption();
        EXPECT_TRUE(labels.contains(name + QStringLiteral(" (компьютер)"))) << i << labels.join(',').toStdString();
        EXPECT_EQ(peers.Peer(i).NumberPlayers(), 3) << i;
        EXPECT_EQ(peers.Table(i).m_NumberGame, game) << i;
    }
    EXPECT_TRUE(peers.Notices().contains(QStringLiteral("Игрок ") + name +
                                         QStringLiteral(" вышел из игры! До конца партии за него играет компьютер.")));
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
    for (int i = 0; i < peers.Count(); ++i)
        EXPECT_TRUE(testutil::WaitFor([&] { return peers.Peer(i).NumberPlayers() == 2; })) << i;
}
