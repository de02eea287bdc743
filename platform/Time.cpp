#include "Time.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {
std::atomic<PauseHook> g_hook{nullptr};
}

void TimedPause(int milliseconds) {
    if (PauseHook hook = g_hook.load()) {
        hook(milliseconds);
        return;
    }
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PauseHook SetPauseHook(PauseHook hook) { return g_hook.exchange(hook); }

} // namespace platform

DWORD GetTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
