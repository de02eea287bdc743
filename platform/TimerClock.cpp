#include "TimerClock.h"

#include "GuiThread.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimerEvent>
#include <map>
#include <mutex>
#include <set>

struct CTimerClock::State {
    struct Timer {
        std::uint64_t armed = 0;   // which arming this is
        std::uint64_t started = 0; // the arming the Qt timer was started for
        int qtId = 0;
        Fire fire;
    };
    std::mutex mutex;
    std::map<UINT, Timer> timers;
    std::uint64_t nextArming = 1;
    Ticker* ticker = nullptr; // lives on the GUI thread

    // On the GUI thread.
    void Start(UINT id, std::uint64_t arming, int ms);
    void Kill(int qtId);
    void Expired(int qtId);
};

class CTimerClock::Ticker : public QObject {
public:
    explicit Ticker(std::weak_ptr<State> state) : m_state(std::move(state)) {}
    std::set<int> live; // Qt timers running, GUI thread only

protected:
    void timerEvent(QTimerEvent* e) override {
        const int qtId = e->timerId();
        if (live.erase(qtId))
            killTimer(qtId);
        if (auto state = m_state.lock())
            state->Expired(qtId);
    }

private:
    std::weak_ptr<State> m_state;
};

void CTimerClock::State::Start(UINT id, std::uint64_t arming, int ms) {
    std::lock_guard lock(mutex);
    const auto it = timers.find(id);
    if (it == timers.end() || it->second.armed != arming)
        return; // disarmed or armed again meanwhile
    if (it->second.qtId != 0 && ticker->live.erase(it->second.qtId))
        ticker->killTimer(it->second.qtId);
    it->second.qtId = ticker->startTimer(ms, Qt::PreciseTimer);
    it->second.started = arming;
    ticker->live.insert(it->second.qtId);
}

void CTimerClock::State::Kill(int qtId) {
    if (ticker->live.erase(qtId))
        ticker->killTimer(qtId);
}

void CTimerClock::State::Expired(int qtId) {
    Fire fire;
    {
        std::lock_guard lock(mutex);
        for (auto it = timers.begin(); it != timers.end(); ++it) {
            if (it->second.qtId != qtId)
                continue;
            // A Qt timer of an earlier arming that went off before the new
            // one was started: the new time stands.
            if (it->second.started != it->second.armed)
                return;
            fire = std::move(it->second.fire);
            timers.erase(it);
            break;
        }
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

void CTimerClock::Arm(UINT id, int ms, Fire fire) {
    std::uint64_t arming = 0;
    {
        std::lock_guard lock(m_state->mutex);
        arming = m_state->nextArming++;
        auto& timer = m_state->timers[id];
        timer.armed = arming;
        timer.fire = std::move(fire);
    }
    const std::weak_ptr<State> weak = m_state;
    const int wait = ms < 0 ? 0 : ms;
    auto start = [weak, id, arming, wait] {
        if (auto state = weak.lock())
            state->Start(id, arming, wait);
    };
    if (platform::IsGuiThread())
        start();
    else
        platform::PostToGuiThread(std::move(start));
}

void CTimerClock::Disarm(UINT id) {
    int qtId = 0;
    {
        std::lock_guard lock(m_state->mutex);
        const auto it = m_state->timers.find(id);
        if (it == m_state->timers.end())
            return;
        qtId = it->second.qtId;
        m_state->timers.erase(it);
    }
    if (qtId == 0)
        return;
    const std::weak_ptr<State> weak = m_state;
    auto kill = [weak, qtId] {
        if (auto state = weak.lock())
            state->Kill(qtId);
    };
    if (platform::IsGuiThread())
        kill();
    else
        platform::PostToGuiThread(std::move(kill));
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
