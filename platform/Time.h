#pragma once
// Time services: a timed pause that pumps no messages (animations pace their
// steps with it; tests may replace the wait to count pauses instead of
// sleeping through them) and the millisecond tick count.

#include "WinTypes.h"

namespace platform {

void TimedPause(int milliseconds);

using PauseHook = void (*)(int milliseconds);
// Installs a replacement for the wait (nullptr restores the real one);
// returns the previous hook.
PauseHook SetPauseHook(PauseHook hook);

} // namespace platform

// Milliseconds since an arbitrary start (the system's boot), wrapping at 2^32.
DWORD GetTickCount();
