#pragma once
// The flow's clock on a window's own timers: armed and killed on the GUI
// thread, whichever thread asks; the window's OnTimer reports them.

#include "FlowClock.h"

#include <atomic>
#include <span>

class CWnd;

class CWindowClock final : public IFlowClock {
public:
    explicit CWindowClock(CWnd& wnd) : m_Wnd(wnd) {}

    void Arm(UINT id, UINT ms) override;
    void Disarm(UINT id) override;
    bool IsArmed(UINT id) const override;
    // No timer starts any more, and those given stop now (GUI thread).
    void Stop(std::span<const UINT> ids);

private:
    CWnd& m_Wnd;
    std::atomic<bool> m_Stopped{false};
};
