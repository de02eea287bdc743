#include "TimerClock.h"

#include "GuiThread.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimerEvent>
#include <map>
#include <mutex>

// Each arming is made under our lock and given a number; the GUI thread then
// makes the Qt timers match what is armed (Sync). Qt hands a killed timer's
// id to the next timer started, so a Qt timer is only ever known through the
// ticker's table of those running, and killed by what it stands for, never
// by an id remembered from before.
struct CTimerClock::State {
    struct Timer {
        std::uint64_t arming = 0;
        std::chrono::steady_clock::time_point due;
        Fire fire;
    };
    std::mutex mutex;
    std::map<UINT, Timer> timers;
    std::uint64_t nextArming = 1;
    Ticker* ticker = nullptr; // lives on the GUI thread

    // On the GUI thread: starts, restarts or stops the Qt timer of id.
    void Sync(UINT id);
    // On the GUI thread: a Qt timer went off for this arming of id.
    void Expired(UINT id, std::uint64_t arming);
};

class CTimerClock::Ticker : public QObject {
public:
    explicit Ticker(std::weak_ptr<State> state) : m_state(std::move(state)) {}

    struct Running {
        UINT id = 0;
        std::uint64_t arming = 0;
    };
    // GUI thread only: the Qt timers running, and which runs for each id.
    std::map<int, Running> running;
    std::map<UINT, int> byId;

    void Stop(UINT id) {
        const auto it = byId.find(id);
        if (it == byId.end())
            return;
        killTimer(it->second);
        running.erase(it->second);
        byId.erase(it);
    }

    void Start(UINT id, std::uint64_t arming, int ms) {
        Stop(id);
        const int qtId = startTimer(ms, Qt::PreciseTimer);
        if (qtId == 0)
            return;
        running[qtId] = Running{id, arming};
        byId[id] = qtId;
    }

    std::uint64_t ArmingOf(UINT id) const {
        const auto it = byId.find(id);
        return it == byId.end() ? 0 : running.at(it->second).arming;
    }

protected:
    void timerEvent(QTimerEvent* e) override {
        const auto it = running.find(e->timerId());
        if (it == running.end())
            return;
        const Running went = it->second;
        Stop(went.id);
        if (auto state = m_state.lock())
            state->Expired(went.id, went.arming);
    }

private:
    std::weak_ptr<State> m_state;
};

void CTimerClock::State::Sync(UINT id) {
    std::uint64_t arming = 0;
    std::chrono::steady_clock::time_point due;
    {
        std::lock_guard lock(mutex);
        const auto it = timers.find(id);
        if (it != timers.end()) {
            arming = it->second.arming;
            due = it->second.due;
        }
    }
    if (arming == 0) {
        ticker->Stop(id);
        return;
    }
    if (ticker->ArmingOf(id) == arming)
        return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        due - std::chrono::steady_clock::now());
    ticker->Start(id, arming, static_cast<int>(std::max<std::int64_t>(0, left.count())));
}

void CTimerClock::State::Expired(UINT id, std::uint64_t arming) {
    Fire fire;
    {
        std::lock_guard lock(mutex);
        const auto it = timers.find(id);
        // Armed again or disarmed since: the new time stands, or none.
        if (it == timers.end() || it->second.arming != arming)
            return;
        fire = std::move(it->second.fire);
        timers.erase(it);
    }
    if (fire)
        fire();
}

CTimerClock::CTimerClock()
    : m_state(std::make_shared<State>()), m_start(std::chrono::steady_clock::now()) {
    auto* ticker = new Ticker(m_state);
    if (QCoreApplication::instance())
        ticker->moveToThread(QCoreApplication::instance()->thread());
    m_state->ticker = ticker;
}

CTimerClock::~CTimerClock() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->timers.clear();
    }
    // Its Qt timers stop with it, on its own thread.
    if (platform::IsGuiThread())
        delete m_state->ticker;
    else
        m_state->ticker->deleteLater();
}

void CTimerClock::Sync(UINT id) {
    if (platform::IsGuiThread()) {
        m_state->Sync(id);
        return;
    }
    const std::weak_ptr<State> weak = m_state;
    platform::PostToGuiThread([weak, id] {
        if (auto state = weak.lock())
            state->Sync(id);
    });
}

void CTimerClock::Arm(UINT id, int ms, Fire fire) {
    {
        std::lock_guard lock(m_state->mutex);
        auto& timer = m_state->timers[id];
        timer.arming = m_state->nextArming++;
        timer.due = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
        timer.fire = std::move(fire);
    }
    Sync(id);
}

void CTimerClock::Disarm(UINT id) {
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->timers.erase(id) == 0)
            return;
    }
    Sync(id);
}

bool CTimerClock::IsArmed(UINT id) const {
    std::lock_guard lock(m_state->mutex);
    return m_state->timers.count(id) != 0;
}

std::int64_t CTimerClock::NowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 m_start)
        .count();
}
