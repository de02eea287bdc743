#include "SelfPlayParty.h"
#include "Star.h"
#include "MyLabel.h"
#include "TestUtil.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#ifndef ZANTA_SELFPLAY_PARTIES
#define ZANTA_SELFPLAY_PARTIES 100
#endif

namespace {

struct Kind {
    int players;
    bool game31;
};

class SelfPlay : public testing::TestWithParam<Kind> {};

// Star and label animations are cut short: parties run as fast as the rules go.
void BreakAnimations() {
    CStar::m_staticBreak = true;
    CMyLabel::m_staticBreak = true;
}

} // namespace

// Headless play waits for nothing: every animation pause returns at once.
void NoPause(int) {}

// Every party differs in more than its seed: seat 1 is a computer or a user
// pressing random cards, and thrown cards lie face up or face down.
TEST_P(SelfPlay, WholePartiesKeepEveryInvariant) {
    const Kind kind = GetParam();
    const auto previousPause = platform::SetPauseHook(&NoPause);
    CWnd window;
    window.resize(800, 600);
    SelfPlayStats total;
    for (int party = 0; party < ZANTA_SELFPLAY_PARTIES; ++party) {
        const std::uint32_t seed = 1000u * kind.players + (kind.game31 ? 0u : 500000u) +
                                   static_cast<std::uint32_t>(party);
        CSelfPlayParty play(&window, kind.players, kind.game31, seed);
        play.SetBreakHook(&BreakAnimations);
        play.SetRandomUser(party % 2 == 0);
        play.Table().m_ClosedCardReset = party % 4 < 2;
        ASSERT_TRUE(play.PlayParty()) << "seed " << seed << ": " << play.Failure().toStdString();
        const SelfPlayStats& s = play.Stats();
        total.parties += s.parties;
        total.games += s.games;
        total.zantaGames += s.zantaGames;
        total.zantaDeals += s.zantaDeals;
        total.allTakenGames += s.allTakenGames;
        total.moves += s.moves;
        // Star threads touch the seats: let them finish before the table goes.
        ASSERT_TRUE(testutil::WaitFor([] { return CStar::m_staticCountThreads == 0; }));
    }
    std::printf("[ selfplay ] %d players, %s: %d parties, %d games, %d won by zanta, %d zanta "
                "deals, %d with every card taken, %lld moves\n",
                kind.players, kind.game31 ? "to 31 points" : "to 12 balls", total.parties,
                total.games, total.zantaGames, total.zantaDeals, total.allTakenGames,
                static_cast<long long>(total.moves));
    platform::SetPauseHook(previousPause);
}

INSTANTIATE_TEST_SUITE_P(AllTables, SelfPlay,
                         testing::Values(Kind{2, true}, Kind{3, true}, Kind{4, true},
                                         Kind{2, false}, Kind{3, false}, Kind{4, false}),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return std::to_string(info.param.players) +
                                    (info.param.game31 ? "PlayersTo31" : "PlayersTo12");
                         });

TEST(SelfPlayEnd, ThirtyOneGameWithEveryCardTakenAndNobodyAbove30EndsByTurnOrder) {
    testutil::PauseCounter noWaiting;
    CWnd window;
    CSelfPlayParty play(&window, 4, true, 7);
    CPublic& t = play.Table();
    t.ResetStars(5);
    BreakAnimations();
    // Every seat takes one whole suit: 30 points each, and nobody above 30.
    for (int i = 0; i < 36; ++i) {
        CCard* c = t.m_Pack.GetCard(i);
        c->m_Place = e_Take;
        c->m_Player = c->m_Mast;
    }
    for (int seat = 1; seat <= 4; ++seat)
        t.m_Players[seat - 1].m_Tablo.SetScoreValue(30);
    t.m_CurrentPlayer = 3;
    EXPECT_EQ(t.IsEndGame(), -1);
    EXPECT_FALSE(play.AfterTrick()); // the game is over rather than dealt from an empty pack
    EXPECT_EQ(t.m_CurrentPlayer, 3);
    EXPECT_EQ(t.m_Players[2].m_Star.GetNumberStars(), 6);
    EXPECT_EQ(t.m_Players[0].m_Star.GetNumberStars(), 4);
    EXPECT_EQ(play.Stats().allTakenGames, 1);
    EXPECT_TRUE(testutil::WaitFor([] { return CStar::m_staticCountThreads == 0; }));
}
