#include "SimScheduler.h"

#include "SimNetwork.h"
#include "VirtualClock.h"

CSimScheduler::CSimScheduler(CSimNetwork& network, CVirtualClock& clock, int minMs, int maxMs)
    : m_network(network), m_clock(clock) {
    m_network.SetClock(&m_clock, minMs, maxMs);
}

bool CSimScheduler::Step() {
    const auto delivery = m_network.NextDueMs();
    const auto timer = m_clock.NextDueMs();
    if (!delivery && !timer)
        return false;
    const bool deliver = delivery && (!timer || *delivery < *timer ||
                                      (*delivery == *timer && m_network.Random(2) == 0));
    if (!deliver)
        return m_clock.AdvanceToNext();
    // A delivery that waited for its causes happens now, not back in time.
    m_clock.MoveTo(*delivery);
    return m_network.DeliverEarliest();
}

bool CSimScheduler::RunUntil(const std::function<bool()>& done, int maxSteps) {
    for (int i = 0; i < maxSteps; ++i) {
        if (done())
            return true;
        if (!Step())
            return done();
    }
    return done();
}
