#pragma once
// The game window's one worker thread. Every step that reads or changes the
// table runs here, one after another in the order it was posted: the local
// player's moves, the peers' records and the session's events. Steps move
// cards with animation while the window keeps painting; anything they do to
// a window runs on the GUI thread while the step waits (platform/GuiThread).

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class CGameStrand {
public:
    enum class Mode {
        OwnThread, // the strand's own worker thread, as the program runs it
        // Steps wait until the owner runs them (RunQueued) on its own
        // thread, at a moment of its choosing: one thread of time, for a
        // simulation.
        Caller,
    };
    explicit CGameStrand(Mode mode = Mode::OwnThread);
    // Drops whatever waits and lets the running step end; see Stop.
    ~CGameStrand();
    CGameStrand(const CGameStrand&) = delete;
    CGameStrand& operator=(const CGameStrand&) = delete;

    // Queues a step; refused once the strand is stopping.
    bool Post(std::function<void()> step);
    // Caller mode: runs what is queued, and what those steps queue, on this
    // thread (nothing if it runs steps already). Nothing in OwnThread mode.
    void RunQueued();
    // Nothing queued and nothing running.
    bool IsIdle() const { return m_Pending.load() == 0; }
    // True on the strand's own thread (in Caller mode: while it runs steps).
    bool IsStrandThread() const;
    // Refuses further steps, drops those waiting and waits for the running
    // one. On the GUI thread it keeps running the calls the step hands to
    // the GUI thread meanwhile, so the step can always end.
    void Stop();

private:
    void Run();

    mutable std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::deque<std::function<void()>> m_Steps;
    std::atomic<int> m_Pending{0};
    bool m_Stopping = false;
    const Mode m_Mode;
    std::thread::id m_Running; // Caller mode: the thread running steps now
    std::thread m_Thread;
};
