#pragma once
// CClock: the game's one-shot timers, known by the game's own timer ids, and
// its notion of now. The window's timers stand behind CTimerClock; a
// simulation puts a CVirtualClock (session/sim/) in its place, whose time
// moves only when the simulation says.

#include "WinTypes.h"

#include <cstdint>
#include <functional>

class CClock {
public:
    using Fire = std::function<void()>;

    CClock() = default;
    virtual ~CClock() = default;
    CClock(const CClock&) = delete;
    CClock& operator=(const CClock&) = delete;

    // After ms, fire runs once. Arming an id that is armed replaces its time
    // and its fire. Callable from any thread.
    virtual void Arm(UINT id, int ms, Fire fire) = 0;
    // Once it returns, the id's fire does not run (unless it is running now).
    virtual void Disarm(UINT id) = 0;
    virtual bool IsArmed(UINT id) const = 0;
    // Milliseconds since the clock was made.
    virtual std::int64_t NowMs() const = 0;
};
