#pragma once
// A member of a peer session that speaks the wire protocol on its own, not
// through the session, and says whatever its test tells it to: a modified
// program among honest ones, or a stranger on a listen port. Its sockets live
// on a thread of their own, which answers greetings and keeps every link
// alive with heartbeats, so a game test may wait as long as it likes; the
// calls below run there and return once done.

#include "SessionWire.h"

#include <QByteArray>
#include <QHostAddress>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class HostileMember {
public:
    explicit HostileMember(QByteArray name = "Hostile");
    ~HostileMember();
    HostileMember(const HostileMember&) = delete;
    HostileMember& operator=(const HostileMember&) = delete;

    // Joins through the host's port and greets every other member; false
    // when no welcome came in time.
    bool Join(quint16 hostPort, int timeoutMs = 5000);
    // As a stranger: connects to a listen port and greets as fromId.
    bool Greet(quint16 port, std::uint32_t fromId, std::uint32_t toId);
    // Opens connections from the address that never say a word; returns how
    // many the port accepted and still holds after a moment.
    int HoldSilent(quint16 port, int count, const QHostAddress& from);

    std::uint32_t Id();
    std::uint32_t HostId();
    // The highest record number seen from origin (its own or passed on).
    std::uint32_t LastSeq(std::uint32_t origin);
    // Whether any member link is still open.
    bool Connected();

    // A record of its own, numbered next, with an empty stamp.
    void SendOwn(sessionwire::DataKind kind, const QByteArray& payload);
    // Any data frame, to every member link (or to the one to toOnly).
    void SendFrame(const sessionwire::DataFrame& frame, std::uint32_t toOnly = 0);
    void Close();

private:
    struct Link;
    void Run();
    // Runs fn on the member's thread and waits for it.
    void Call(const std::function<void()>& fn);
    std::unique_ptr<Link> Open(quint16 port);
    void Service();
    void ReadLink(Link& link);
    void Write(Link& link, const QByteArray& bytes);

    QByteArray m_name;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::deque<std::function<void()>> m_calls;
    bool m_quit = false;

    // Owned by the member's thread.
    std::vector<std::unique_ptr<Link>> m_links;
    std::uint32_t m_id = 0;
    std::uint32_t m_host = 0;
    std::uint32_t m_ownSeq = 0;
    std::map<std::uint32_t, std::uint32_t> m_lastSeq;
};
