#pragma once
// CSimNetwork: the peer sessions of several tables in one process, without
// sockets or threads. It holds every member, a seeded generator, and the
// deliveries in flight (records, join requests and answers, departures); the
// simulation drives it: each DeliverNext hands one delivery that the
// session's guarantees allow, chosen by the generator, to its member and runs
// that member's callback on the caller's thread. The same seed and the same
// calls give the same run.
//
// What the members see keeps the TCP session's guarantees and order of
// events: per-sender and causal order, never an echo, a departed sender's
// records reaching all survivors or none, destroy-player only after the
// departed member's last record, the lowest remaining id as the new host,
// joins refused when full or at a member that is not the host.
//
// A join is the member's own Connect (to "localhost" or a loopback address
// and the port a member listens on); a leave is its Close; a crash is Crash.
// The network must outlive its sessions. Its calls may come from any thread
// (a run replays when they come in the same order).
//
// Where it differs from the TCP session:
// - No wire and no time-outs: a member departs only when it closes, crashes,
//   is expelled or destroyed (destroying a session in session is a crash);
//   no DPNERR_NORESPONSE. Any name but "localhost" or an address is
//   DPNERR_INVALIDHOSTADDRESS; every member is at 127.0.0.1, ports from 2301.
// - Causal order holds without exception: a record also waits for the last
//   records of a departed member that its sender had delivered, and no record
//   of a departed member arrives after its destroy-player (the TCP session's
//   known limits do not occur here).
// - The host admits a joiner only once it has reported the departures and
//   arrivals it was told of, so a welcome never lists a departing member.
// - Members are honest: the trust rules against lying members have nothing
//   to catch; the one warning is a player limit from a member not the host.
// - SendToSomeForTest leaves the member alive; the others get the record only
//   if it then crashes.
// - An expelled member goes on alone and sees every other member depart.

#include "PeerSession.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <set>

class CSimPeerSession;
class CVirtualClock;

class CSimNetwork {
public:
    explicit CSimNetwork(std::uint64_t seed);
    ~CSimNetwork();
    CSimNetwork(const CSimNetwork&) = delete;
    CSimNetwork& operator=(const CSimNetwork&) = delete;

    // Sessions of this network, for a user that is given a factory (CDirectPlay).
    CPeerSession::Factory Factory();
    std::unique_ptr<CSimPeerSession> NewSession(CPeerSession::Callback callback);

    // Deliveries then take minMs..maxMs (chosen by the generator) of the
    // clock's time; see CSimScheduler.
    void SetClock(CVirtualClock* clock, int minMs, int maxMs);

    // Hands one allowed delivery, chosen by the generator, to its member;
    // false when nothing can be delivered.
    bool DeliverNext();
    // Hands the allowed delivery due first (ties chosen by the generator).
    bool DeliverEarliest();
    // When the allowed delivery due first is due.
    std::optional<std::int64_t> NextDueMs() const;
    // Deliveries waiting, allowed or not.
    int InFlight() const;
    // Deliveries handed so far: the points at which a simulation injects events.
    std::uint64_t DeliveryPoint() const;

    // The member dies without a word: no event of its own, and each of its
    // records still in flight reaches all survivors or none (chosen by the
    // generator among what the survivors' agreement allows). Its session
    // object stays, dead.
    void Crash(CPeerSession& member);
    // An orderly leave: everything it sent arrives first (its Close()).
    void Leave(CPeerSession& member);

    // The generator, for the simulation's own choices: a number below n.
    std::uint64_t Random(std::uint64_t n);

private:
    friend class CSimPeerSession;
    enum class Kind { User, MemberAdded, NameChanged, MaxPlayers };
    struct Record {
        DPNID origin = 0;
        std::uint32_t seq = 0;
        Kind kind = Kind::User;
        QByteArray payload;
        DPNID about = 0; // the member added
        std::map<DPNID, std::uint32_t> stamp;
        bool mustKeep = false; // announced a member that was then welcomed
        bool partial = false;  // sent to some only (a fault test)
    };
    struct Item {
        enum Type { Data, JoinRequest, Welcome, ConnectResult, Gone };
        Type type = Data;
        std::uint64_t serial = 0;
        int to = 0;   // the member it is for
        int from = 0; // the joiner, of a join request
        std::shared_ptr<const Record> record;
        DPNID about = 0; // the departed member
        HRESULT result = S_OK;
        std::int64_t due = 0;
    };
    enum class State { None, Connecting, InSession, Dead };
    struct Member {
        CPeerSession::Callback callback;
        State state = State::None;
        std::uint64_t epoch = 0; // a new one at each close, so old events are dropped
        int group = -1;
        bool admitted = false; // the host has taken it; waiting for its welcome
        DPNID local = 0;
        DPNID host = 0;
        int maxPlayers = 4;
        // A limit from the host's successor that came before the host's
        // departure: it holds once the successor is host.
        DPNID limitFrom = 0;
        int limitFromSuccessor = 0;
        QByteArray name; // UTF-8
        std::uint16_t port = 0;
        std::map<DPNID, QByteArray> members; // known here, itself included: id -> name
        std::map<DPNID, std::uint16_t> ports;
        std::map<DPNID, std::uint32_t> delivered;
        std::set<DPNID> departed;
        std::uint32_t ownSeq = 0;
    };
    struct Group {
        DPNID nextId = 1;
        std::map<DPNID, int> live; // present members, as the network knows them
        std::map<DPNID, std::vector<std::shared_ptr<Record>>> sent;
    };
    struct Pending {
        int member;
        std::uint64_t epoch;
        PeerEvent event;
    };
    enum class Way { Crash, Leave, Expel };

    // Everything below runs under m_mutex; events go to out and are run
    // after it is released.
    void Unregister(int handle);
    HRESULT DoHost(int h, std::uint16_t port, int maxPlayers);
    void DoConnect(int h, const QString& hostName, std::uint16_t port);
    std::shared_ptr<Record> DoSend(int h, Kind kind, const QByteArray& payload, DPNID about,
                                   const std::vector<DPNID>* only);
    void DoClose(int h, std::vector<Pending>& out);
    bool DoExpel(int h, DPNID id);
    void Depart(int h, Way way);
    void ResetMember(Member& m);
    void DropItemsOf(int h);
    std::uint16_t FreePort();
    void Push(Item item);
    bool Allowed(const Item& item) const;
    std::optional<std::size_t> Pick(bool earliest);
    // Hands the delivery Pick chooses to its member; false when none is allowed.
    bool Deliver(bool earliest);
    void Handle(const Item& item, std::vector<Pending>& out);
    void HandleData(Member& m, int h, const Record& r, std::vector<Pending>& out);
    void HandleJoin(const Item& item, std::vector<Pending>& out);
    void HandleGone(Member& m, int h, DPNID id, std::vector<Pending>& out);
    void Emit(std::vector<Pending>& out, int h, PeerEvent::Type type, DPNID player,
              HRESULT result = S_OK, QByteArray data = {});
    bool Live(const Member& m, DPNID id) const;
    // The member that becomes host when the host departs, as m sees it.
    DPNID Successor(const Member& m) const;
    // Runs the events, each only while its member still is as it was.
    void Run(std::vector<Pending>& events);
    Member* Find(int h);
    const Member* Find(int h) const;

    mutable std::mutex m_mutex;
    std::mt19937_64 m_random;
    CVirtualClock* m_clock = nullptr;
    int m_minMs = 0;
    int m_maxMs = 0;
    std::map<int, Member> m_members;
    int m_nextHandle = 1;
    std::map<int, Group> m_groups;
    int m_nextGroup = 1;
    std::map<std::uint16_t, int> m_ports; // listening port -> member
    std::deque<Item> m_items;
    std::uint64_t m_nextSerial = 1;
    std::uint64_t m_delivered = 0;
};
