#include "VirtualClock.h"

#include <algorithm>

void CVirtualClock::Arm(UINT id, int ms, Fire fire) {
    std::lock_guard lock(m_mutex);
    m_timers[id] = Timer{m_now + std::max(ms, 0), m_nextOrder++, std::move(fire)};
}

void CVirtualClock::Disarm(UINT id) {
    std::lock_guard lock(m_mutex);
    m_timers.erase(id);
}

bool CVirtualClock::IsArmed(UINT id) const {
    std::lock_guard lock(m_mutex);
    return m_timers.count(id) != 0;
}

std::int64_t CVirtualClock::NowMs() const {
    std::lock_guard lock(m_mutex);
    return m_now;
}

int CVirtualClock::ArmedCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_timers.size());
}

std::optional<std::int64_t> CVirtualClock::NextDueMs() const {
    std::lock_guard lock(m_mutex);
    std::optional<std::int64_t> due;
    for (const auto& [id, t] : m_timers)
        if (!due || t.due < *due)
            due = t.due;
    return due;
}

bool CVirtualClock::FireEarliest(std::optional<std::int64_t> limit) {
    Fire fire;
    {
        std::lock_guard lock(m_mutex);
        auto best = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (best == m_timers.end() || it->second.due < best->second.due ||
                (it->second.due == best->second.due && it->second.order < best->second.order))
                best = it;
        }
        if (best == m_timers.end() || (limit && best->second.due > *limit))
            return false;
        m_now = std::max(m_now, best->second.due);
        fire = std::move(best->second.fire);
        m_timers.erase(best);
    }
    if (fire)
        fire();
    return true;
}

bool CVirtualClock::AdvanceToNext() {
    return FireEarliest(std::nullopt);
}

void CVirtualClock::AdvanceTo(std::int64_t t) {
    while (FireEarliest(t)) {
    }
    std::lock_guard lock(m_mutex);
    m_now = std::max(m_now, t);
}

void CVirtualClock::MoveTo(std::int64_t t) {
    std::lock_guard lock(m_mutex);
    for (const auto& [id, timer] : m_timers)
        t = std::min(t, timer.due);
    m_now = std::max(m_now, t);
}
