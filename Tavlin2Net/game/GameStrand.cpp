#include "GameStrand.h"

#include "GuiThread.h"

#include <chrono>

CGameStrand::CGameStrand(Mode mode) : m_Mode(mode) {
    if (m_Mode == Mode::OwnThread)
        m_Thread = std::thread([this] { Run(); });
}

bool CGameStrand::IsStrandThread() const {
    if (m_Mode == Mode::OwnThread)
        return std::this_thread::get_id() == m_Thread.get_id();
    std::lock_guard lock(m_Mutex);
    return m_Running == std::this_thread::get_id();
}

CGameStrand::~CGameStrand() { Stop(); }

bool CGameStrand::Post(std::function<void()> step) {
    {
        std::lock_guard lock(m_Mutex);
        if (m_Stopping)
            return false;
        m_Steps.push_back(std::move(step));
        ++m_Pending;
    }
    if (m_Mode == Mode::OwnThread)
        m_Wake.notify_one();
    return true;
}

void CGameStrand::RunQueued() {
    if (m_Mode != Mode::Caller)
        return;
    {
        std::lock_guard lock(m_Mutex);
        if (m_Running != std::thread::id())
            return; // the step running now posted this one: it comes next
        m_Running = std::this_thread::get_id();
    }
    for (;;) {
        std::function<void()> step;
        {
            std::lock_guard lock(m_Mutex);
            if (m_Stopping || m_Steps.empty()) {
                m_Running = std::thread::id();
                return;
            }
            step = std::move(m_Steps.front());
            m_Steps.pop_front();
        }
        step();
        --m_Pending;
    }
}

void CGameStrand::Run() {
    for (;;) {
        std::function<void()> step;
        {
            std::unique_lock lock(m_Mutex);
            m_Wake.wait(lock, [this] { return m_Stopping || !m_Steps.empty(); });
            if (m_Stopping)
                return;
            step = std::move(m_Steps.front());
            m_Steps.pop_front();
        }
        step();
        --m_Pending;
    }
}

void CGameStrand::Stop() {
    {
        std::lock_guard lock(m_Mutex);
        if (m_Stopping && !m_Thread.joinable())
            return;
        m_Stopping = true;
        m_Pending -= static_cast<int>(m_Steps.size());
        m_Steps.clear();
    }
    m_Wake.notify_all();
    if (!m_Thread.joinable())
        return;
    // The running step may be waiting for the GUI thread: serve it until the
    // step has ended.
    if (platform::IsGuiThread()) {
        while (m_Pending.load() > 0) {
            platform::DrainGuiQueue();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    m_Thread.join();
}
