#include "WindowClock.h"

#include "GuiThread.h"
#include "Wnd.h"

void CWindowClock::Arm(UINT id, UINT ms) {
    if (m_Stopped)
        return;
    // On the GUI thread at once: no moment without the timer.
    if (platform::IsGuiThread()) {
        m_Wnd.SetTimer(id, ms);
        return;
    }
    platform::PostToGuiThread([this, id, ms] {
        if (!m_Stopped)
            m_Wnd.SetTimer(id, ms);
    });
}

void CWindowClock::Disarm(UINT id) {
    platform::PostToGuiThread([this, id] { m_Wnd.KillTimer(id); });
}

bool CWindowClock::IsArmed(UINT id) const {
    return m_Wnd.IsTimerSet(id);
}

void CWindowClock::Stop(std::span<const UINT> ids) {
    m_Stopped = true;
    for (UINT id : ids)
        m_Wnd.KillTimer(id);
}
