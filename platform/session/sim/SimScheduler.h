#pragma once
// CSimScheduler: one loop for a simulation's deliveries and timers. The
// network's deliveries take virtual time on the clock (CSimNetwork::SetClock);
// each Step lets the next thing happen: the allowed delivery due first or
// the timer due first, whichever is earlier (a tie chosen by the network's
// generator), moving the clock's time to it.

#include <cstdint>
#include <functional>

class CSimNetwork;
class CVirtualClock;

class CSimScheduler {
public:
    // Joins the network to the clock; deliveries take minMs..maxMs.
    CSimScheduler(CSimNetwork& network, CVirtualClock& clock, int minMs = 1, int maxMs = 50);

    // False when nothing is in flight or armed.
    bool Step();
    // Steps until done() holds or nothing is left, at most maxSteps times;
    // returns whether done() held.
    bool RunUntil(const std::function<bool()>& done, int maxSteps);

private:
    CSimNetwork& m_network;
    CVirtualClock& m_clock;
};
