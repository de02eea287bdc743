#pragma once
// Peer sessions in one process for the session's tests: each records the
// events its callback receives, and a test waits for them with a deadline.

#include "TcpPeerSession.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace sessiontest {

// Collects a peer's events from the session thread.
class Recorder {
public:
    CPeerSession::Callback Callback() {
        return [this](const PeerEvent& e) {
            std::lock_guard lock(m_mutex);
            m_events.push_back(e);
            m_changed.notify_all();
        };
    }
    std::vector<PeerEvent> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    // Waits for an event of the type; returns it.
    std::optional<PeerEvent> Wait(PeerEvent::Type type, int timeoutMs = 8000, DPNID player = 0) {
        std::unique_lock lock(m_mutex);
        std::optional<PeerEvent> found;
        m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const PeerEvent& e : m_events) {
                if (e.type == type && (player == 0 || e.player == player)) {
                    found = e;
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    // The records received from one sender, in their order.
    std::vector<QByteArray> From(DPNID sender) {
        std::lock_guard lock(m_mutex);
        std::vector<QByteArray> out;
        for (const PeerEvent& e : m_events)
            if (e.type == PeerEvent::Receive && e.player == sender)
                out.push_back(e.data);
        return out;
    }
    // Waits until n records from sender have arrived.
    bool WaitRecords(DPNID sender, size_t n, int timeoutMs = 8000) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            return static_cast<size_t>(std::count_if(m_events.begin(), m_events.end(),
                                                     [&](const PeerEvent& e) {
                                                         return e.type == PeerEvent::Receive &&
                                                                e.player == sender;
                                                     })) >= n;
        });
    }
    int Count(PeerEvent::Type type, DPNID player) {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count_if(m_events.begin(), m_events.end(), [&](const PeerEvent& e) {
            return e.type == type && e.player == player;
        }));
    }
    int Count(PeerEvent::Type type) {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count_if(m_events.begin(), m_events.end(),
                                              [&](const PeerEvent& e) { return e.type == type; }));
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<PeerEvent> m_events;
};

struct Peer {
    Recorder rec;
    CTcpPeerSession session{rec.Callback()};
};

inline quint16 HostOn(Peer& p, int max = 4) {
    EXPECT_EQ(p.session.Host(0, max, QHostAddress::LocalHost), S_OK);
    return p.session.GetLocalHostAddresses().at(0).second;
}

inline HRESULT ConnectResult(Peer& p, const QString& host, quint16 port, int timeoutMs = 8000) {
    EXPECT_EQ(p.session.Connect(host, port), DPNSUCCESS_PENDING);
    const auto e = p.rec.Wait(PeerEvent::ConnectComplete, timeoutMs);
    return e ? e->result : E_FAIL;
}

} // namespace sessiontest
