#pragma once
// The timers of the network table's flow: every pause and every poll of the
// game is armed here by its id. A timer that runs out calls the flow back
// (CNetTableFlow::Fire) with its id; an armed id is armed once, however often
// it is armed again.

#include "WinTypes.h"

class IFlowClock {
public:
    virtual ~IFlowClock() = default;
    // Fires id once after ms milliseconds; arming it again starts it afresh.
    virtual void Arm(UINT id, UINT ms) = 0;
    virtual void Disarm(UINT id) = 0;
    virtual bool IsArmed(UINT id) const = 0;
};
