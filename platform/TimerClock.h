#pragma once
// CTimerClock: CClock over Qt timers of the GUI thread. Fires run on the GUI
// thread, as the window's WM_TIMER does; arming and disarming may come from a
// worker. The ids, their times and their fires are kept under our own lock;
// the GUI thread is only asked to bring its Qt timers in line with them.

#include "Clock.h"

#include <chrono>
#include <memory>

class CTimerClock : public CClock {
public:
    CTimerClock();
    ~CTimerClock() override;

    void Arm(UINT id, int ms, Fire fire) override;
    void Disarm(UINT id) override;
    bool IsArmed(UINT id) const override;
    std::int64_t NowMs() const override;

private:
    struct State;
    class Ticker;
    // Makes the GUI thread's Qt timer of id match what is armed.
    void Sync(UINT id);
    std::shared_ptr<State> m_state;
    const std::chrono::steady_clock::time_point m_start;
};
