// The table flow on its own, with no game window: two flows over a simulated
// session, each with its table on a window never shown, a virtual clock that
// only the test moves and a view that only records. Every pause of the game
// must come from the clock, and the end of a deal waits for the tables'
// reports.

#include "NetPeers.h"
#include "SimTable.h"

#include "Card.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <gtest/gtest.h>


namespace {
using Table = SimTable;

// Lets the strands run and the session deliver, the clocks standing still,
// until done holds with both flows idle and nothing on its way.
bool Settle(CSimNetwork& net, Table& a, Table& b, const std::function<bool()>& done) {
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        a.flow.RunQueuedSteps();
        b.flow.RunQueuedSteps();
        if (net.DeliverNext())
            continue;
        if (a.flow.IsIdle() && b.flow.IsIdle() && net.InFlight() == 0 && done())
            return true;
    }
    return false;
}

// The same, running out the earliest timer of each clock between settlings.
bool RunClocks(CSimNetwork& net, Table& a, Table& b, const std::function<bool()>& done) {
    for (int round = 0; round < 400; ++round) {
        if (Settle(net, a, b, [] { return true; }) && done())
            return true;
        a.clock.AdvanceToNext();
        b.clock.AdvanceToNext();
    }
    return false;
}
} // namespace

TEST(NetTableFlow, SeatsDealsAndGivesTheFirstTurnOnlyAsItsClockRunsOut) {
    testutil::PauseCounter noPauses;
    const std::uint32_t seed = NetPeers::ShuffleSeed(2, false);
    ASSERT_NE(seed, 0u);
    CSimNetwork net(seed);
    Table host(net, QStringLiteral("Хозяин")), guest(net, QStringLiteral("Гость"));
    ASSERT_EQ(host.session.Host(nullptr, 0), S_OK);
    QByteArray address;
    DWORD port = 0;
    ASSERT_EQ(host.session.GetLocalAddress(address, port), S_OK);
    guest.session.Connect("127.0.0.1", port); // completes as the network delivers

    // The host seats the newcomer when its clock says so, not before.
    ASSERT_TRUE(Settle(net, host, guest, [&] { return host.clock.IsArmed(CNetTableFlow::TIMER_SEAT); }));
    EXPECT_EQ(host.flow.Snapshot().players, 1);
    ASSERT_TRUE(RunClocks(net, host, guest, [&] {
        return host.flow.Snapshot().players == 2 && guest.flow.Snapshot().players == 2;
    }));
    EXPECT_TRUE(host.flow.Snapshot().mayDeal);
    EXPECT_FALSE(guest.flow.Snapshot().mayDeal);

    // Dealt, the deal waits for both tables to report its end: nobody plays.
    const std::uint32_t before = CPack::m_Shuffle.exchange(seed);
    host.flow.RequestDeal(true);
    ASSERT_TRUE(Settle(net, host, guest, [&] { return guest.flow.Snapshot().dealPending; }));
    CPack::m_Shuffle = before;
    for (Table* t : {&host, &guest}) {
        const CFlowSnapshot shown = t->flow.Snapshot();
        EXPECT_TRUE(shown.gameRuns);
        EXPECT_TRUE(shown.dealPending);
        EXPECT_FALSE(shown.canAct);
        EXPECT_TRUE(t->clock.IsArmed(CNetTableFlow::TIMER_END_DISTR));
    }

    // The clocks run out: the ends are reported, and one player has the turn.
    ASSERT_TRUE(RunClocks(net, host, guest,
                          [&] {
                              const CFlowSnapshot h = host.flow.Snapshot(),
                                                  g = guest.flow.Snapshot();
                              return !h.dealPending && !g.dealPending && h.canAct != g.canAct &&
                                     h.sent == g.received && g.sent == h.received;
                          }))
        << "host " << host.flow.Snapshot().canAct << " guest " << guest.flow.Snapshot().canAct;
    EXPECT_EQ(host.flow.DumpTable(), guest.flow.DumpTable());
    EXPECT_TRUE(host.view.Notices().isEmpty());
}
