#pragma once
// CVirtualClock: a CClock whose time moves only when the simulation moves
// it. Fires run on the thread that advances it, one at a time; timers due
// at the same moment fire in the order they were armed.

#include "Clock.h"

#include <map>
#include <mutex>
#include <optional>

class CVirtualClock : public CClock {
public:
    void Arm(UINT id, int ms, Fire fire) override;
    void Disarm(UINT id) override;
    bool IsArmed(UINT id) const override;
    std::int64_t NowMs() const override;

    // When the earliest armed timer is due; none when nothing is armed.
    std::optional<std::int64_t> NextDueMs() const;
    // Moves time to the earliest armed timer and fires it; false when
    // nothing is armed.
    bool AdvanceToNext();
    // Moves time forward to t (never back), firing every timer due by then,
    // those armed by the fires included.
    void AdvanceTo(std::int64_t t);
    // Moves time forward towards t without firing anything: never past the
    // earliest armed timer.
    void MoveTo(std::int64_t t);
    int ArmedCount() const;

private:
    struct Timer {
        std::int64_t due = 0;
        std::uint64_t order = 0;
        Fire fire;
    };
    // Takes the earliest timer due by limit (any when none) and moves time to it.
    bool FireEarliest(std::optional<std::int64_t> limit);

    mutable std::mutex m_mutex;
    std::int64_t m_now = 0;
    std::uint64_t m_nextOrder = 1;
    std::map<UINT, Timer> m_timers;
};
