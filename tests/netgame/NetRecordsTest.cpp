// Records no honest table would send: the other tables ignore them and stay
// in step, and the party goes on.

#include "NetPeers.h"

#include "Card.h"
#include "NetRecords.h"

#include <gtest/gtest.h>

namespace {
int CurrentWindow(NetPeers& peers) {
    for (int i = 0; i < peers.Count(); ++i)
        if (peers.Table(i).m_CurrentPlayer == 1)
            return i;
    return -1;
}

// A card of window i's hand, or of another's when other is set.
CCard* HeldCard(CPublic& t, bool other) {
    for (CCard* c : t.m_Pack.m_Cards)
        if (c->m_Place == e_Hand && (c->m_Player == 1) != other)
            return c;
    return nullptr;
}

QByteArray Lead(int mast, int value, DPNID player) {
    netrec::GoCardRecord r;
    r.mast = static_cast<BYTE>(mast);
    r.value = static_cast<BYTE>(value);
    r.player = player;
    return netrec::Build(r);
}

QByteArray Lead(const CCard* c, DPNID player) {
    return Lead(c->m_Mast, c->m_Value, player);
}
} // namespace

TEST(NetRecords, BadRecordsFromOnePeerLeaveTheTablesInStep) {
    NetPeers peers(3, true, 29);
    peers.SetStars(1);
    // A first player with a zanta would end the game before any record.
    CPack::m_Shuffle = NetPeers::ShuffleSeed(peers.Count(), false);
    peers.Peer(0).PressButton();
    ASSERT_TRUE(peers.WaitSettled());
    const int cur = CurrentWindow(peers);
    ASSERT_NE(cur, -1);
    const int idle = (cur + 1) % peers.Count();
    const DPNID curId = peers.Peer(cur).m_DirectPlay.m_LocalPlayer;
    const DPNID idleId = peers.Peer(idle).m_DirectPlay.m_LocalPlayer;
    const QString before = peers.Peer(0).DumpTable();

    std::vector<std::pair<int, QByteArray>> bad;
    // A card the deck does not have.
    bad.push_back({cur, Lead(7, 99, curId)});
    // A card another player holds.
    bad.push_back({cur, Lead(HeldCard(peers.Table(cur), true), curId)});
    // A lead from a player whose turn it is not, and one in another's name.
    bad.push_back({idle, Lead(HeldCard(peers.Table(idle), false), idleId)});
    bad.push_back({idle, Lead(HeldCard(peers.Table(cur), false), curId)});
    // An answer with nothing on the table; a beat of a card not led.
    netrec::TableRecord beat;
    CCard* own = HeldCard(peers.Table(cur), false);
    beat.mast = static_cast<BYTE>(own->m_Mast);
    beat.value = static_cast<BYTE>(own->m_Value);
    beat.beatenMast = beat.mast;
    beat.beatenValue = 1;
    bad.push_back({cur, netrec::Build(beat)});
    // A take, a refill, a turn and a deal nobody is due.
    bad.push_back({cur, netrec::BuildSignal(e_TakeCards)});
    netrec::TurnRecord turn;
    turn.id = e_ContinueGame;
    turn.player = curId;
    bad.push_back({idle, netrec::Build(turn)});
    turn.id = e_NextPlayerGo;
    turn.player = idleId;
    bad.push_back({idle, netrec::Build(turn)});
    netrec::PartyRecord party;
    party.id = e_NextGame;
    party.firstPlayer = idleId;
    bad.push_back({idle, netrec::Build(party)});
    // No kind at all, and records too short for their kind (a legal lead
    // cut by a byte among them).
    bad.push_back({cur, QByteArray(12, char(0xEE))});
    const QByteArray lead = Lead(own, curId);
    bad.push_back({cur, lead.left(lead.size() - 1)});
    bad.push_back({cur, QByteArray(1, char(e_NextPlayerGo))});
    bad.push_back({cur, QByteArray()});

    for (size_t k = 0; k < bad.size(); ++k) {
        peers.Inject(bad[k].first, bad[k].second);
        ASSERT_TRUE(peers.WaitIdle()) << k;
        for (int i = 0; i < peers.Count(); ++i)
            ASSERT_EQ(peers.Peer(i).DumpTable().toStdString(), before.toStdString())
                << "record " << k << " on " << i;
    }
    // The game goes on as if nothing came.
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}
