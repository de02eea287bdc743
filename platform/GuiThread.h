#pragma once
// Hand-off of work to the user-interface thread.
//
// Every widget belongs to the GUI thread. A worker that wants a window changed
// queues the change here and, for a blocking call, waits until the GUI thread
// has run it, as a cross-thread window call waits on the old platform. The
// queue is our own (std::mutex), so the hand-off of the work itself is visible
// to thread checkers; a Qt event only wakes the GUI thread.

#include <functional>

namespace platform {

bool IsGuiThread();

// Runs fn on the GUI thread and returns when it has run. On the GUI thread it
// runs at once.
void RunOnGuiThread(const std::function<void()>& fn);

// Queues fn for the GUI thread and returns at once.
void PostToGuiThread(std::function<void()> fn);

// Runs everything queued so far (the GUI thread's own loop does this too).
void DrainGuiQueue();

} // namespace platform
