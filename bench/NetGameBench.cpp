// Network game windows in one process over the loopback, animations off:
// how long a card clicked on one table takes to lie on every other table
// (p50 and p99 in the counters), and how many whole 4-table games are played
// per second, every seat by clicks on its own window.

#include "NetPeers.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace {

double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

void BM_CardToEveryTable(benchmark::State& state) {
    const int players = static_cast<int>(state.range(0));
    NetPeers peers(players, true, 5);
    peers.SetStars(1);
    std::vector<double> us;
    for (auto _ : state) {
        // Plays until the next action is a card, the time going to that card.
        state.PauseTiming();
        bool clicked = false;
        for (int n = 0; n < 200 && !clicked; ++n) {
            if (!peers.WaitSettled()) {
                state.SkipWithError("the tables stopped");
                return;
            }
            std::vector<int> before;
            for (int i = 0; i < peers.Count(); ++i)
                before.push_back(peers.Peer(i).RecordsReceived());
            state.ResumeTiming();
            QElapsedTimer clock;
            clock.start();
            if (!peers.Act()) {
                state.SkipWithError("nobody could act");
                return;
            }
            clicked = peers.LastWasCard();
            const int actor = peers.LastActor();
            // Every other table has the record and has laid the card.
            QDeadlineTimer deadline(10000);
            for (;;) {
                bool all = true;
                for (int i = 0; i < peers.Count(); ++i)
                    all = all && (i == actor || (peers.Peer(i).RecordsReceived() >
                                                     before[static_cast<size_t>(i)] &&
                                                 peers.Peer(i).IsIdle()));
                if (all || deadline.hasExpired())
                    break;
                QApplication::processEvents();
            }
            if (clicked)
                us.push_back(static_cast<double>(clock.nsecsElapsed()) / 1000.0);
            else
                state.PauseTiming();
        }
    }
    state.counters["p50_us"] = Percentile(us, 0.5);
    state.counters["p99_us"] = Percentile(us, 0.99);
}
BENCHMARK(BM_CardToEveryTable)
    ->Arg(2)
    ->Arg(4)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(300);

void BM_FourTableGames(benchmark::State& state) {
    NetPeers peers(4, true, 7);
    peers.SetStars(1);
    std::int64_t games = 0;
    for (auto _ : state) {
        if (const QString failure = peers.PlayParty(); !failure.isEmpty()) {
            state.SkipWithError(failure.toStdString().c_str());
            break;
        }
        games += peers.Table(0).m_NumberGame;
    }
    state.counters["games/s"] = benchmark::Counter(double(games), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FourTableGames)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(10.0);

} // namespace
