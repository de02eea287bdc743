// A modified program at the table: a member that never ends its deal, one
// with an over-long name. The honest tables stay in step and can play on.

#include "HostileMember.h"
#include "NetPeers.h"

#include <gtest/gtest.h>

namespace {

QString SeatNameOf(CPublic& t, DPNID id) {
    for (const CPlayer& p : t.m_Players)
        if (p.m_PlayerID == id)
            return p.m_LabelName.GetCaption();
    return QStringLiteral("<not seated>");
}

bool Logged(NetPeers& peers, int i, const char* what) {
    return peers.Peer(i).m_DirectPlay.m_Log.Text().contains(what);
}

} // namespace

TEST(NetHostile, AMemberThatNeverEndsItsDealIsDeclaredDepartedAndTheTableGoesOn) {
    NetPeers peers(2);
    HostileMember mute("Mute");
    ASSERT_TRUE(mute.Join(peers.Port()));
    ASSERT_TRUE(peers.WaitSeated(3)) << peers.State().toStdString();
    for (int i = 0; i < peers.Count(); ++i)
        peers.Peer(i).m_BarrierBoundMs = 1500;
    // The deal waits for every table's end of deal; the mute one never sends it.
    ASSERT_TRUE(peers.Act()) << peers.State().toStdString();
    ASSERT_TRUE(testutil::WaitFor(
        [&] { return peers.Peer(0).NumberPlayers() == 2 && peers.Peer(1).NumberPlayers() == 2; },
        20000))
        << peers.State().toStdString();
    EXPECT_TRUE(Logged(peers, 0, "holds up the game"));
    // The two honest tables agree and play on.
    int played = 0;
    EXPECT_EQ(peers.PlayUntil([&] { return ++played > 40; }, 400).toStdString(), "");
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
}

TEST(NetHostile, AnOverlongNameIsCutAlikeOnEveryTable) {
    NetPeers peers(2);
    HostileMember longName(QByteArray(255, 'W'));
    ASSERT_TRUE(longName.Join(peers.Port()));
    ASSERT_TRUE(peers.WaitSeated(3)) << peers.State().toStdString();
    const DPNID id = longName.Id();
    EXPECT_EQ(SeatNameOf(peers.Table(0), id), QString(11, QLatin1Char('W')));
    EXPECT_EQ(SeatNameOf(peers.Table(1), id), QString(11, QLatin1Char('W')));
}
