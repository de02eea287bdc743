// Complete 4-player parties to 31 points played by computer seats with
// animations off and no pauses: parties and games per second.

#include "SelfPlayParty.h"
#include "MyLabel.h"
#include "Star.h"
#include "Time.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

void NoPause(int) {}
void BreakAnimations() {
    CStar::m_staticBreak = true;
    CMyLabel::m_staticBreak = true;
}

void BM_FourPlayerPartiesTo31(benchmark::State& state) {
    platform::SetPauseHook(&NoPause);
    CWnd window;
    window.resize(800, 600);
    std::int64_t parties = 0;
    std::int64_t games = 0;
    // One table for the whole run, as in the game: parties follow each other.
    CSelfPlayParty play(&window, 4, true, 1);
    play.SetBreakHook(&BreakAnimations);
    play.SetCheckInvariants(false);
    for (auto _ : state) {
        const SelfPlayStats before = play.Stats();
        if (!play.PlayParty()) {
            state.SkipWithError(play.Failure().toStdString().c_str());
            break;
        }
        parties += play.Stats().parties - before.parties;
        games += play.Stats().games - before.games;
        // Star threads wait on the GUI thread for their repaints.
        while (CStar::m_staticCountThreads != 0)
            QApplication::processEvents();
    }
    state.counters["parties/s"] = benchmark::Counter(double(parties), benchmark::Counter::kIsRate);
    state.counters["games/s"] = benchmark::Counter(double(games), benchmark::Counter::kIsRate);
    platform::SetPauseHook(nullptr);
}
BENCHMARK(BM_FourPlayerPartiesTo31)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace
