// The clocks of the game's timers: the virtual one of a simulation, its
// scheduler with a simulated network, and the one over Qt timers.

#include "SimNetwork.h"
#include "SimPeerSession.h"
#include "SimScheduler.h"
#include "TimerClock.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <atomic>
#include <deque>
#include <functional>
#include <thread>

TEST(VirtualClock, FiresInTimeOrderTiesInArmingOrderAndOnlyWhenAdvanced) {
    CVirtualClock clock;
    std::vector<std::pair<int, std::int64_t>> fired;
    const auto note = [&](int what) {
        return [&, what] { fired.emplace_back(what, clock.NowMs()); };
    };
    clock.Arm(1, 30, note(1));
    clock.Arm(2, 10, note(2));
    clock.Arm(3, 10, note(3));
    clock.Arm(4, 5, note(4));
    clock.Arm(4, 40, note(44)); // armed again: the new time and fire stand
    clock.Arm(5, 20, note(5));
    clock.Disarm(5);
    EXPECT_FALSE(clock.IsArmed(5));
    EXPECT_EQ(clock.NowMs(), 0);
    EXPECT_EQ(clock.NextDueMs(), 10);

    ASSERT_TRUE(clock.AdvanceToNext());
    ASSERT_TRUE(clock.AdvanceToNext());
    EXPECT_EQ(fired, (std::vector<std::pair<int, std::int64_t>>{{2, 10}, {3, 10}}));
    // A fire that arms a timer due before the time advanced to fires too.
    clock.Arm(6, 5, [&] {
        fired.emplace_back(6, clock.NowMs());
        clock.Arm(7, 0, note(7));
    });
    clock.AdvanceTo(35);
    EXPECT_EQ(clock.NowMs(), 35);
    EXPECT_EQ(fired, (std::vector<std::pair<int, std::int64_t>>{
                         {2, 10}, {3, 10}, {6, 15}, {7, 15}, {1, 30}}));
    clock.MoveTo(100); // stops at the next timer, fires nothing
    EXPECT_EQ(clock.NowMs(), 40);
    EXPECT_EQ(clock.ArmedCount(), 1);
    ASSERT_TRUE(clock.AdvanceToNext());
    EXPECT_EQ(fired.back(), (std::pair<int, std::int64_t>{44, 40}));
    EXPECT_FALSE(clock.AdvanceToNext());
}

// Deliveries take virtual time and timers fire between them, in time order.
TEST(SimScheduler, DeliveriesAndTimersHappenInTimeOrderWithinTheirLatency) {
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        CSimNetwork net(seed);
        CVirtualClock clock;
        CSimScheduler scheduler(net, clock, 10, 40);
        std::deque<std::vector<std::int64_t>> arrivals; // per table: when a record came
        std::vector<std::unique_ptr<CSimPeerSession>> tables;
        std::int64_t lastSeen = 0;
        bool backwards = false;
        for (int i = 0; i < 3; ++i) {
            arrivals.emplace_back();
            auto* times = &arrivals.back();
            tables.push_back(net.NewSession([&, times](const PeerEvent& e) {
                backwards = backwards || clock.NowMs() < lastSeen;
                lastSeen = clock.NowMs();
                if (e.type == PeerEvent::Receive)
                    times->push_back(clock.NowMs() - e.data.toLongLong());
            }));
        }
        ASSERT_EQ(tables[0]->Host(0, 4), S_OK);
        for (int i = 1; i < 3; ++i)
            tables[i]->Connect(QStringLiteral("127.0.0.1"), 2301);
        ASSERT_TRUE(scheduler.RunUntil([&] { return tables[2]->LocalPlayer() != 0; }, 1000));
        ASSERT_TRUE(scheduler.RunUntil([&] { return net.InFlight() == 0; }, 1000));
        // Each table sends on a timer of its own, twice.
        int fires = 0;
        for (int i = 0; i < 3; ++i) {
            for (int k = 0; k < 2; ++k) {
                const auto id = static_cast<UINT>(100 + i * 10 + k);
                clock.Arm(id, 25 + 30 * k + i, [&, i] {
                    ++fires;
                    backwards = backwards || clock.NowMs() < lastSeen;
                    lastSeen = clock.NowMs();
                    tables[i]->SendToAll(QByteArray::number(clock.NowMs()));
                });
            }
        }
        EXPECT_FALSE(scheduler.RunUntil([] { return false; }, 1000));
        EXPECT_FALSE(scheduler.Step());
        EXPECT_EQ(fires, 6);
        EXPECT_FALSE(backwards);
        for (const auto& times : arrivals) {
            EXPECT_EQ(times.size(), 4u);
            for (std::int64_t took : times)
                EXPECT_GE(took, 10) << "a record arrived before its latency";
        }
        if (HasFailure())
            return;
    }
}

TEST(TimerClock, FiresOnTheGuiThreadOnceAndDisarmFromAWorkerHolds) {
    CTimerClock clock;
    std::atomic<int> first{0}, second{0}, disarmed{0};
    std::atomic<bool> offGui{false};
    std::thread worker([&] {
        clock.Arm(1, 20, [&] {
            offGui = offGui || QThread::currentThread() != QCoreApplication::instance()->thread();
            ++first;
        });
        clock.Arm(2, 40, [&] { ++disarmed; });
        clock.Disarm(2);
        clock.Arm(3, 10, [&] { ++disarmed; });
        clock.Arm(3, 30, [&] { ++second; }); // armed again: only the new fire runs
    });
    worker.join();
    EXPECT_TRUE(clock.IsArmed(1));
    EXPECT_FALSE(clock.IsArmed(2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return first == 1 && second == 1; }, 5000));
    QTest::qWait(100); // past every time armed: nothing more fires
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(disarmed, 0);
    EXPECT_FALSE(offGui);
    EXPECT_FALSE(clock.IsArmed(1));
    EXPECT_GE(clock.NowMs(), 30);
}

// Qt gives a stopped timer's id to the next timer started. A worker arms one
// id, then arms again or disarms another whose Qt timer is due: however the
// GUI thread orders that timer's going off and the worker's requests, the
// new timer goes off and the others do not.
TEST(TimerClock, AWorkersLaterRequestNeverStopsATimerItArmedBefore) {
    for (const bool disarm : {false, true}) {
        CTimerClock clock;
        std::atomic<int> fired{0};
        clock.Arm(2, 0, [&] { fired += 100; });
        std::thread([&] {
            clock.Arm(4, 10, [&] { ++fired; });
            if (disarm)
                clock.Disarm(2);
            else
                clock.Arm(2, 20, [&] { fired += 10; });
        }).join();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(QTest::qWaitFor([&] { return fired == (disarm ? 1 : 11); }, 2000)) << fired;
        QTest::qWait(30);
        EXPECT_EQ(fired, disarm ? 1 : 11);
        EXPECT_FALSE(clock.IsArmed(2) || clock.IsArmed(4));
    }
}
