// The network tables' simulation: two to four tables without windows over a
// simulated session, each run 600 seeded moments on virtual clocks. How many
// runs, games and virtual seconds of play go by in a second of real time.
// The pauses of label effects and card flips are not slept, as in the test.

#include "TableSim.h"

#include "TestUtil.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SimulatedRuns(benchmark::State& state) {
    constexpr int kMoments = 600;
    testutil::PauseCounter noPauses;
    std::uint64_t seed = 1;
    std::int64_t games = 0, virtualMs = 0;
    for (auto _ : state) {
        TableSim sim(seed++);
        if (const QString broken = sim.Run(kMoments); !broken.isEmpty()) {
            state.SkipWithError(broken.toStdString().c_str());
            return;
        }
        games += sim.Games();
        virtualMs += sim.VirtualMs();
    }
    state.counters["runs/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
    state.counters["games/s"] = benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
    state.counters["moments/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kMoments,
                                                     benchmark::Counter::kIsRate);
    state.counters["virtual s/s"] = benchmark::Counter(static_cast<double>(virtualMs) / 1000.0,
                                                       benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SimulatedRuns)->Unit(benchmark::kMillisecond)->MinTime(5.0);

} // namespace
