#pragma once
// The session's state and sockets, confined to the session's own thread.
// Calls from other threads go through a mutex-guarded queue; Qt's event only
// wakes the thread, so every hand-off is visible to the thread checker.

#include "PeerSession.h"
#include "SessionWire.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

class QTcpServer;
class QTcpSocket;
class QTimer;

class SessionCore {
public:
    explicit SessionCore(CPeerSession::Callback callback);
    ~SessionCore();

    // Runs fn on the session thread and waits for it (inline when already there).
    void RunSync(const std::function<void()>& fn);
    void RunAsync(std::function<void()> fn);

    HRESULT Host(std::uint16_t port, int maxPlayers, const QHostAddress& bind);
    void Connect(const QString& hostName, std::uint16_t port);
    bool Send(const QByteArray& record, const std::vector<DPNID>* only);
    void Close();
    void SetName(const QString& name);
    void SetMaxPlayers(int count);
    // The host, or the host's successor for the host itself, declares a
    // member departed; false from anyone else.
    bool Expel(DPNID id);

    struct Member {
        DPNID id = 0;
        QByteArray name; // UTF-8
        QByteArray address;
        std::uint16_t port = 0;
        bool leaving = false;
        bool removed = false;
        QElapsedTimer since; // known here since
    };
    enum class State { None, Connecting, InSession };

    // Read on the session thread only (through RunSync).
    State m_state = State::None;
    std::atomic<bool> m_inSession{false}; // mirrors m_state for senders on other threads
    DPNID m_local = 0;
    DPNID m_host = 0;
    int m_maxPlayers = 4;
    std::map<DPNID, Member> m_members;
    QTcpServer* m_server = nullptr;
    QByteArray m_name;

private:
    struct Link {
        enum Kind { Incoming, Joining, Outgoing, Member };
        Kind kind = Incoming;
        QTcpSocket* socket = nullptr;
        sessionwire::FrameReader reader;
        DPNID peer = 0;
        QElapsedTimer sinceRecv;
        QElapsedTimer sinceSend;
        QElapsedTimer age;
        bool dead = false;
        bool awaitingMesh = false; // a joiner's link to a member, not yet up
        // The peer's own records from this sequence on come over this link
        // (0: not yet told).
        std::uint32_t directFrom = 0;
        // What a newcomer sent before the host's word on it arrived here.
        std::vector<QByteArray> early;
    };
    struct Held {
        sessionwire::DataFrame frame;
        QByteArray raw;
        Link* from = nullptr;
        DPNID via = 0; // the member whose link brought it
        QElapsedTimer age;
    };
    struct Departure {
        std::set<DPNID> waitFor;
        QElapsedTimer since;
    };

    void Drain();
    void Emit(PeerEvent::Type type, DPNID player, HRESULT result = S_OK, QByteArray data = {});
    // A frame or a word of a peer that is not taken: reported once per kind
    // of refusal and member, then only counted.
    void Warn(DPNID about, const QByteArray& what);
    void StartTimer();
    void Tick();
    void Reset();

    Link* AddLink(QTcpSocket* socket, Link::Kind kind);
    void CloseLink(Link* link, const char* why);
    void PurgeLinks();
    void Write(Link* link, const QByteArray& bytes);
    void OnReadyRead(Link* link);
    void OnDisconnected(Link* link);
    void OnFrame(Link* link, const QByteArray& body);
    void OnJoin(Link* link, const sessionwire::JoinFrame& join);
    void OnHello(Link* link, const sessionwire::HelloFrame& hello);
    void OnWelcome(Link* link, const sessionwire::WelcomeFrame& welcome);
    void FailConnect(HRESULT result);
    void MeshLinkSettled(Link* link);
    void FinishJoin();
    Link* LinkOf(DPNID id);

    void BroadcastOwn(sessionwire::DataKind kind, const QByteArray& payload,
                      const std::vector<DPNID>* only = nullptr);
    std::vector<sessionwire::StampEntry> Stamp() const;
    void OnData(Link* link, sessionwire::DataFrame frame, const QByteArray& raw);
    bool Deliverable(const Held& h) const;
    // Whether a copy of origin's record seq that another member passed on
    // may stand for origin's own: only for what origin's link will not bring.
    bool RelayTaken(DPNID origin, std::uint32_t seq) const;
    Link* AnyLinkOf(DPNID id) const;
    void Admit(Link* link);
    void SendHello(Link* link);
    // Two different records under one origin and sequence: the one that
    // brought the copy that is not the origin's own lied.
    void CheckSame(DPNID origin, std::uint32_t seq, std::size_t digest, DPNID via);
    static std::size_t Digest(const sessionwire::DataFrame& f);
    DPNID Successor() const;
    void OnMemberGone(DPNID origin, DPNID id);
    void CheckProbes();
    void DeliverHeld();
    void Deliver(const Held& h);
    void AddMember(const sessionwire::MemberEntry& entry);
    bool IsLive(DPNID id) const;

    void StartDeparture(DPNID id, const char* why);
    void CheckDepartures(bool deadlinePassed);
    void Finalize(DPNID id);

    class Waker;
    CPeerSession::Callback m_callback;
    QThread m_thread;
    QObject* m_context = nullptr; // lives on m_thread
    std::mutex m_queueMutex;
    std::deque<std::function<void()>> m_queue;

    QTimer* m_timer = nullptr;
    std::list<std::unique_ptr<Link>> m_links;
    bool m_purgeQueued = false;
    QElapsedTimer m_connectAge;
    QString m_connectHostName;
    std::uint16_t m_connectPort = 0;
    bool m_joining = false; // welcomed, the mesh not yet standing
    bool m_renamedWhileJoining = false; // the host admitted us under an older name
    int m_meshPending = 0;
    DPNID m_nextId = 1;
    std::uint32_t m_ownSeq = 0;
    std::map<DPNID, std::uint32_t> m_delivered;
    std::list<Held> m_held;
    std::map<DPNID, Departure> m_departing;
    std::map<DPNID, std::set<DPNID>> m_goneReports; // departing id -> who reported it
    std::set<DPNID> m_departed;
    std::set<DPNID> m_formerHosts;
    // A player limit from the host's successor that came before the host's
    // departure did: it holds once the successor is host.
    std::optional<std::pair<DPNID, int>> m_successorLimit;
    // What each origin's recent records were, to catch a copy that differs.
    std::map<DPNID, std::map<std::uint32_t, std::size_t>> m_digests;
    // Members another member said are gone, with when we began to listen for them.
    std::map<DPNID, QElapsedTimer> m_probes;
    std::map<QByteArray, int> m_warned;
};
