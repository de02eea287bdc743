#include "SessionCore.h"

#include "SessionLog.h"

#include <QCoreApplication>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <future>
#include <utility>

using namespace sessionwire;

namespace {

constexpr int kTickMs = 200;
constexpr int kHeartbeatMs = 500;
constexpr int kSilenceMs = 2500;       // a peer this quiet is gone
constexpr int kHandshakeMs = 5000;     // connect, join or hello answered within this
constexpr int kDepartureWaitMs = 1000; // for the others' word on a departed peer
constexpr int kMaxPendingLinks = 16;
constexpr int kMaxPendingPerAddress = 4; // so one address cannot hold every handshake
constexpr int kProbeMs = 1500;           // a member another said is gone must be heard from
constexpr int kMaxEarlyFrames = 256;
constexpr std::size_t kDigestsKept = 1024;
constexpr int kMaxHeld = 4096;
constexpr int kStaleHeldMs = 15000;
constexpr qint64 kMaxWriteBacklog = 4 << 20;
constexpr int kReadBuffer = 64 * 1024;

QByteArray AddressText(const QHostAddress& a) {
    bool ok = false;
    const quint32 v4 = a.toIPv4Address(&ok);
    return (ok ? QHostAddress(v4) : a).toString().toLatin1();
}

QEvent::Type WakeType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace

// The session thread's context object; a wake event makes it drain the queue.
class SessionCore::Waker : public QObject {
public:
    explicit Waker(SessionCore* core) : m_core(core) {}

protected:
    bool event(QEvent* e) override {
        // The event was made under the queue lock on another thread; taking
        // the lock orders that before our reading it, for thread checkers
        // that cannot see Qt's own queue lock.
        { std::lock_guard lock(m_core->m_queueMutex); }
        if (e->type() != WakeType())
            return QObject::event(e);
        m_core->Drain();
        return true;
    }

private:
    SessionCore* m_core;
};

SessionCore::SessionCore(CPeerSession::Callback callback) : m_callback(std::move(callback)) {
    m_thread.setObjectName(QStringLiteral("peer session"));
    // Made before the thread starts, so the start orders it before any use there.
    auto* context = new Waker(this);
    context->moveToThread(&m_thread);
    m_context = context;
    m_thread.start();
    RunSync([this] {
        m_timer = new QTimer(m_context);
        m_timer->setInterval(kTickMs);
        QObject::connect(m_timer, &QTimer::timeout, m_context, [this] { Tick(); });
    });
}

SessionCore::~SessionCore() {
    RunSync([this] {
        Reset();
        PurgeLinks();
        // Not deleted here: this runs inside its own event handler. The
        // thread deletes it, with its children, as it finishes.
        m_context->deleteLater();
    });
    m_thread.quit();
    m_thread.wait();
}

void SessionCore::RunSync(const std::function<void()>& fn) {
    if (QThread::currentThread() == &m_thread) {
        fn();
        return;
    }
    std::promise<void> done;
    RunAsync([&] {
        fn();
        done.set_value();
    });
    done.get_future().wait();
}

void SessionCore::RunAsync(std::function<void()> fn) {
    QEvent* wake = nullptr;
    {
        std::lock_guard lock(m_queueMutex);
        // One wake is enough for a queue that was not empty: the drain takes all.
        if (m_queue.empty())
            wake = new QEvent(WakeType());
        m_queue.push_back(std::move(fn));
    }
    if (wake)
        QCoreApplication::postEvent(m_context, wake);
}

void SessionCore::Drain() {
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(m_queueMutex);
            if (m_queue.empty())
                return;
            fn = std::move(m_queue.front());
            m_queue.pop_front();
        }
        fn();
    }
}

void SessionCore::Emit(PeerEvent::Type type, DPNID player, HRESULT result, QByteArray data) {
    PeerEvent e;
    e.type = type;
    e.player = player;
    e.result = result;
    e.data = std::move(data);
    if (m_callback)
        m_callback(e);
}

void SessionCore::Warn(DPNID about, const QByteArray& what) {
    qCInfo(lcSession) << "refused from" << about << ":" << what.constData();
    Emit(PeerEvent::Warning, about, S_OK,
         "Refused from " + QByteArray::number(about) + ": " + what);
}

void SessionCore::StartTimer() {
    if (!m_timer->isActive())
        m_timer->start();
}

// Drops every link and forgets the session; no events.
void SessionCore::Reset() {
    m_joining = false;
    for (auto& link : m_links)
        CloseLink(link.get(), "session closed");
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_timer)
        m_timer->stop();
    m_state = State::None;
    m_inSession = false;
    m_joining = false;
    m_meshPending = 0;
    m_local = m_host = 0;
    m_members.clear();
    m_delivered.clear();
    m_held.clear();
    m_departing.clear();
    m_goneReports.clear();
    m_departed.clear();
    m_formerHosts.clear();
    m_successorLimit.reset();
    m_digests.clear();
    m_probes.clear();
    m_nextId = 1;
    m_ownSeq = 0;
}

HRESULT SessionCore::Host(std::uint16_t port, int maxPlayers, const QHostAddress& bind) {
    if (m_state != State::None)
        return DPNERR_ALREADYINITIALIZED;
    m_server = new QTcpServer(m_context);
    m_server->setMaxPendingConnections(kMaxPendingLinks);
    if (!m_server->listen(bind, port)) {
        qCWarning(lcSession) << "cannot listen on port" << port << m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return DPNERR_INVALIDDEVICEADDRESS;
    }
    QObject::connect(m_server, &QTcpServer::newConnection, m_context, [this] {
        while (QTcpSocket* s = m_server->nextPendingConnection())
            AddLink(s, Link::Incoming);
    });
    m_state = State::InSession;
    m_inSession = true;
    m_maxPlayers = std::clamp(maxPlayers, 1, kMaxMembers - 1);
    m_local = m_host = 1;
    m_nextId = 2;
    Member self;
    self.id = m_local;
    self.name = m_name;
    self.address = AddressText(m_server->serverAddress());
    self.port = m_server->serverPort();
    self.since.start();
    m_members[m_local] = self;
    StartTimer();
    qCInfo(lcSession) << "hosting on port" << self.port;
    Emit(PeerEvent::CreatePlayer, m_local);
    return S_OK;
}

void SessionCore::Connect(const QString& hostName, std::uint16_t port) {
    if (m_state != State::None) {
        Emit(PeerEvent::ConnectComplete, 0, DPNERR_ALREADYINITIALIZED);
        return;
    }
    m_state = State::Connecting;
    m_connectHostName = hostName;
    m_connectPort = port;
    m_connectAge.start();
    auto* socket = new QTcpSocket(m_context);
    Link* link = AddLink(socket, Link::Joining);
    QObject::connect(socket, &QTcpSocket::connected, m_context, [this, link] {
        if (link->dead)
            return;
        // Our own port for the others of the mesh, on the address that reached the host.
        m_server = new QTcpServer(m_context);
        if (!m_server->listen(link->socket->localAddress(), 0)) {
            FailConnect(DPNERR_INVALIDDEVICEADDRESS);
            return;
        }
        QObject::connect(m_server, &QTcpServer::newConnection, m_context, [this] {
            while (QTcpSocket* s = m_server->nextPendingConnection())
                AddLink(s, Link::Incoming);
        });
        Write(link, EncodeJoin(JoinFrame{m_server->serverPort(), m_name}));
    });
    socket->connectToHost(hostName, port);
    StartTimer();
}

void SessionCore::FailConnect(HRESULT result) {
    qCInfo(lcSession) << "connect failed" << Qt::hex << static_cast<std::uint32_t>(result);
    Reset();
    Emit(PeerEvent::ConnectComplete, 0, result);
}

void SessionCore::Close() {
    const State was = m_joining ? State::Connecting : m_state;
    for (auto& link : m_links) {
        if (!link->dead && link->kind == Link::Member) {
            Write(link.get(), EncodeEmpty(Bye));
            link->socket->flush();
        }
    }
    Reset();
    if (was == State::Connecting)
        Emit(PeerEvent::ConnectComplete, 0, DPNERR_USERCANCEL);
    else if (was == State::InSession)
        Emit(PeerEvent::TerminateSession, 0);
}

void SessionCore::SetName(const QString& name) {
    m_name = name.toUtf8().left(kMaxNameBytes);
    if (m_state != State::InSession)
        return;
    m_members[m_local].name = m_name;
    BroadcastOwn(NameChanged, m_name);
}

bool SessionCore::Expel(DPNID id) {
    if (m_state != State::InSession || id == m_local || !IsLive(id))
        return false;
    if (m_local != m_host && !(id == m_host && Successor() == m_local))
        return false;
    StartDeparture(id, "holds up the others");
    return true;
}

void SessionCore::SetMaxPlayers(int count) {
    m_maxPlayers = std::clamp(count, 1, kMaxMembers - 1);
    if (m_state == State::InSession)
        BroadcastOwn(MaxPlayers, EncodeU32(static_cast<std::uint32_t>(m_maxPlayers)));
}

bool SessionCore::Send(const QByteArray& record, const std::vector<DPNID>* only) {
    if (m_state != State::InSession || record.size() > kMaxPayload)
        return false;
    BroadcastOwn(UserRecord, record, only);
    if (only) {
        // The caller dies next: what it sent must have left, and unread input
        // would make the kernel reset the connections and drop it.
        for (auto& link : m_links) {
            if (link->dead)
                continue;
            link->socket->waitForBytesWritten(1000);
            link->socket->readAll();
        }
    }
    return true;
}

SessionCore::Link* SessionCore::AddLink(QTcpSocket* socket, Link::Kind kind) {
    if (kind == Link::Incoming) {
        // Handshakes are limited per address and in all; when all are taken,
        // the oldest of the address that holds the most gives way.
        const QHostAddress from = socket->peerAddress();
        std::map<QString, std::vector<Link*>> pending;
        int total = 0;
        for (auto& l : m_links) {
            if (!l->dead && l->kind == Link::Incoming) {
                pending[l->socket->peerAddress().toString()].push_back(l.get());
                ++total;
            }
        }
        const auto& own = pending[from.toString()];
        const std::vector<Link*>* most = &own;
        for (const auto& [address, links] : pending) {
            if (links.size() > most->size())
                most = &links;
        }
        const bool full = total >= kMaxPendingLinks && (most == &own || most->size() <= own.size());
        if (m_state != State::InSession || own.size() >= kMaxPendingPerAddress || full) {
            qCInfo(lcSession) << "refusing a connection from" << from.toString()
                              << ": too many handshakes or no session";
            socket->abort();
            socket->deleteLater();
            return nullptr;
        }
        if (total >= kMaxPendingLinks)
            CloseLink(most->front(), "handshake given way to another address");
    }
    auto owned = std::make_unique<Link>();
    Link* link = owned.get();
    link->kind = kind;
    link->socket = socket;
    link->sinceRecv.start();
    link->sinceSend.start();
    link->age.start();
    socket->setParent(m_context);
    socket->setReadBufferSize(kReadBuffer);
    // Records are small and wait for their answer: no holding them back to
    // fill a segment. A socket still connecting forgets the option, so a
    // link of ours sets it again once it is connected.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject::connect(socket, &QTcpSocket::connected, m_context,
                     [socket] { socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    m_links.push_back(std::move(owned));
    QObject::connect(socket, &QTcpSocket::readyRead, m_context,
                     [this, link] { OnReadyRead(link); });
    QObject::connect(socket, &QTcpSocket::disconnected, m_context,
                     [this, link] { OnDisconnected(link); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, m_context,
                     [this, link](QAbstractSocket::SocketError error) {
                         if (link->dead)
                             return;
                         if (link->kind == Link::Joining) {
                             FailConnect(error == QAbstractSocket::HostNotFoundError
                                             ? DPNERR_INVALIDHOSTADDRESS
                                             : DPNERR_NOCONNECTION);
                             return;
                         }
                         OnDisconnected(link);
                     });
    return link;
}

void SessionCore::CloseLink(Link* link, const char* why) {
    if (link == nullptr || link->dead)
        return;
    qCInfo(lcSession) << "closing link to" << link->peer << ":" << why;
    link->dead = true;
    MeshLinkSettled(link);
    link->socket->disconnect(m_context);
    link->socket->abort();
    link->socket->deleteLater();
    for (Held& h : m_held) {
        if (h.from == link)
            h.from = nullptr;
    }
    if (!m_purgeQueued) {
        m_purgeQueued = true;
        QMetaObject::invokeMethod(
            m_context, [this] { PurgeLinks(); }, Qt::QueuedConnection);
    }
}

void SessionCore::PurgeLinks() {
    m_purgeQueued = false;
    m_links.remove_if([](const auto& l) { return l->dead; });
}

void SessionCore::Write(Link* link, const QByteArray& bytes) {
    if (link->dead)
        return;
    link->socket->write(bytes);
    link->sinceSend.restart();
    if (link->socket->bytesToWrite() > kMaxWriteBacklog) {
        const DPNID peer = link->kind == Link::Member ? link->peer : 0;
        CloseLink(link, "peer does not read");
        if (peer != 0)
            StartDeparture(peer, "peer does not read");
    }
}

SessionCore::Link* SessionCore::LinkOf(DPNID id) {
    for (auto& link : m_links) {
        if (!link->dead && link->kind == Link::Member && link->peer == id)
            return link.get();
    }
    return nullptr;
}

void SessionCore::OnDisconnected(Link* link) {
    if (link->dead)
        return;
    if (link->kind == Link::Joining) {
        FailConnect(DPNERR_NOCONNECTION);
        return;
    }
    const DPNID peer = link->kind == Link::Member ? link->peer : 0;
    CloseLink(link, "connection closed");
    if (peer != 0)
        StartDeparture(peer, "connection closed");
}

void SessionCore::OnReadyRead(Link* link) {
    while (!link->dead && link->socket->bytesAvailable() > 0) {
        char chunk[16384];
        const qint64 n = link->socket->read(chunk, sizeof chunk);
        if (n <= 0)
            break;
        link->sinceRecv.restart();
        link->reader.Append(chunk, n);
        while (!link->dead) {
            auto body = link->reader.Next();
            if (!body)
                break;
            OnFrame(link, *body);
        }
        if (!link->dead && link->reader.Broken()) {
            const DPNID peer = link->kind == Link::Member ? link->peer : 0;
            if (link->kind == Link::Joining) {
                FailConnect(DPNERR_NOCONNECTION);
                return;
            }
            CloseLink(link, "bad frame length");
            if (peer != 0)
                StartDeparture(peer, "bad frame length");
        }
    }
}

void SessionCore::OnFrame(Link* link, const QByteArray& body) {
    const auto type = static_cast<std::uint8_t>(body[0]);
    switch (link->kind) {
    case Link::Incoming:
        if (link->peer != 0) {
            // A newcomer that greeted us before the host's word on it
            // arrived: nothing it sends counts until that word comes.
            if (type == Heartbeat && body.size() == 1)
                return;
            if (type == Data && link->early.size() < kMaxEarlyFrames) {
                link->early.push_back(body);
                return;
            }
            CloseLink(link, "unannounced peer sends too much");
            return;
        }
        if (type == Join && link->peer == 0) {
            if (auto join = DecodeJoin(body)) {
                OnJoin(link, *join);
                return;
            }
        } else if (type == Hello && link->peer == 0) {
            if (auto hello = DecodeHello(body)) {
                OnHello(link, *hello);
                return;
            }
        }
        CloseLink(link, "bad handshake");
        return;
    case Link::Joining:
        if (type == Welcome) {
            if (auto welcome = DecodeWelcome(body)) {
                OnWelcome(link, *welcome);
                return;
            }
        } else if (type == Refuse) {
            if (auto result = DecodeRefuse(body)) {
                FailConnect(static_cast<HRESULT>(*result));
                return;
            }
        }
        FailConnect(DPNERR_NOCONNECTION);
        return;
    case Link::Outgoing:
    case Link::Member:
        if (type == Heartbeat && body.size() == 1)
            return;
        if (type == Hello && link->kind == Link::Member && link->directFrom == 0) {
            // The answer to our greeting: from which record on it speaks here.
            if (auto hello = DecodeHello(body);
                hello && hello->fromId == link->peer && hello->toId == m_local) {
                link->directFrom = hello->nextSeq;
                DeliverHeld();
                return;
            }
        }
        if (type == Data) {
            if (auto data = DecodeData(body)) {
                QByteArray raw(kHeaderSize, '\0');
                qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(body.size()), raw.data());
                OnData(link, std::move(*data), raw + body);
                return;
            }
        }
        const DPNID peer = link->peer;
        const bool bye = type == Bye && body.size() == 1;
        CloseLink(link, bye ? "peer left" : "bad frame");
        StartDeparture(peer, bye ? "peer left" : "bad frame");
        return;
    }
}

void SessionCore::OnJoin(Link* link, const JoinFrame& join) {
    if (m_local != m_host) {
        Write(link, EncodeRefuse(static_cast<std::uint32_t>(DPNERR_NOTHOST)));
        link->socket->flush();
        CloseLink(link, "join at a peer that is not the host");
        return;
    }
    const auto live = std::count_if(m_members.begin(), m_members.end(),
                                    [](const auto& m) { return !m.second.removed; });
    if (live >= m_maxPlayers) {
        Write(link, EncodeRefuse(static_cast<std::uint32_t>(DPNERR_SESSIONFULL)));
        link->socket->flush();
        CloseLink(link, "session full");
        return;
    }
    Emit(PeerEvent::IndicateConnect, 0);
    MemberEntry entry;
    entry.id = m_nextId;
    entry.port = join.listenPort;
    entry.address = AddressText(link->socket->peerAddress());
    entry.name = join.name.left(kMaxNameBytes);
    // The others learn of the newcomer before it learns its id, so a dying
    // host never leaves an id in use that the survivors do not know.
    BroadcastOwn(MemberAdded, EncodeMember(entry));
    AddMember(entry);

    WelcomeFrame w;
    w.yourId = entry.id;
    w.hostId = m_host;
    w.nextId = m_nextId;
    w.maxPlayers = static_cast<std::uint32_t>(m_maxPlayers);
    for (const auto& [id, m] : m_members) {
        if (m.removed || m.leaving)
            continue;
        w.members.push_back(
            MemberEntry{id, m.port, id == m_local ? QByteArray() : m.address, m.name});
    }
    w.delivered = Stamp();
    link->kind = Link::Member;
    link->peer = entry.id;
    link->directFrom = 1;
    Write(link, EncodeWelcome(w));
}

void SessionCore::OnHello(Link* link, const HelloFrame& hello) {
    if (hello.toId != m_local) {
        CloseLink(link, "hello for someone else");
        return;
    }
    if (!IsLive(hello.fromId) || AnyLinkOf(hello.fromId) != nullptr) {
        // A newcomer's hello may overtake the host's word on it: wait for that.
        if (hello.fromId >= m_nextId && m_members.count(hello.fromId) == 0 &&
            m_departed.count(hello.fromId) == 0 && AnyLinkOf(hello.fromId) == nullptr) {
            link->peer = hello.fromId;
            link->directFrom = hello.nextSeq;
            return;
        }
        CloseLink(link, "hello from a stranger");
        return;
    }
    link->peer = hello.fromId;
    link->directFrom = hello.nextSeq;
    Admit(link);
}

// A member's greeting link now counts: we answer with our own greeting and
// take what it sent while it waited.
void SessionCore::Admit(Link* link) {
    link->kind = Link::Member;
    link->sinceRecv.restart();
    SendHello(link);
    std::vector<QByteArray> early;
    early.swap(link->early);
    for (const QByteArray& body : early) {
        if (link->dead)
            break;
        OnFrame(link, body);
    }
    DeliverHeld();
}

void SessionCore::SendHello(Link* link) {
    Write(link, EncodeHello(HelloFrame{m_local, link->peer, m_ownSeq + 1}));
}

SessionCore::Link* SessionCore::AnyLinkOf(DPNID id) const {
    for (const auto& link : m_links) {
        if (!link->dead && link->peer == id && link->kind != Link::Joining)
            return link.get();
    }
    return nullptr;
}

void SessionCore::OnWelcome(Link* link, const WelcomeFrame& w) {
    const bool listed = std::any_of(w.members.begin(), w.members.end(),
                                    [&](const MemberEntry& m) { return m.id == w.yourId; });
    if (!listed) {
        FailConnect(DPNERR_NOCONNECTION);
        return;
    }
    m_state = State::InSession;
    m_inSession = true;
    m_local = w.yourId;
    m_host = w.hostId;
    m_nextId = w.nextId;
    m_maxPlayers = static_cast<int>(std::clamp<std::uint32_t>(w.maxPlayers, 1, kMaxMembers - 1));
    for (const MemberEntry& e : w.members) {
        Member m;
        m.id = e.id;
        m.name = e.name;
        m.address = e.address;
        m.port = e.port;
        if (e.id == w.hostId) {
            m.address = AddressText(link->socket->peerAddress());
            m.port = m_connectPort;
        }
        if (e.id == m_local) {
            m_renamedWhileJoining = e.name != m_name;
            m.name = m_name;
            m.address = AddressText(m_server->serverAddress());
            m.port = m_server->serverPort();
        }
        m.since.start();
        m_members[e.id] = m;
    }
    for (const StampEntry& s : w.delivered) {
        if (m_members.count(s.id))
            m_delivered[s.id] = s.seq;
    }
    link->kind = Link::Member;
    link->peer = m_host;
    link->sinceRecv.restart();
    // The host's records after the ones we count as delivered come over this link.
    link->directFrom = m_delivered[m_host] + 1;

    m_joining = true;
    for (const auto& [id, m] : m_members) {
        if (id == m_local || id == m_host)
            continue;
        auto* socket = new QTcpSocket(m_context);
        Link* out = AddLink(socket, Link::Outgoing);
        out->peer = id;
        out->awaitingMesh = true;
        ++m_meshPending;
        const DPNID self = m_local;
        QObject::connect(socket, &QTcpSocket::connected, m_context, [this, out, self] {
            if (out->dead)
                return;
            Write(out, EncodeHello(HelloFrame{self, out->peer, m_ownSeq + 1}));
            out->kind = Link::Member;
            MeshLinkSettled(out);
        });
        socket->connectToHost(QString::fromLatin1(m.address), m.port);
    }
    if (m_meshPending == 0)
        FinishJoin();
}

void SessionCore::MeshLinkSettled(Link* link) {
    if (!link->awaitingMesh)
        return;
    link->awaitingMesh = false;
    if (--m_meshPending == 0 && m_joining)
        FinishJoin();
}

// Reported once the mesh stands (or the time for it ran out), so that a
// joiner's first record reaches every peer directly.
void SessionCore::FinishJoin() {
    m_joining = false;
    m_meshPending = 0;
    qCInfo(lcSession) << "joined as" << m_local << "host" << m_host;
    Emit(PeerEvent::CreatePlayer, m_local);
    for (const auto& [id, m] : m_members) {
        if (id != m_local && !m.removed)
            Emit(PeerEvent::CreatePlayer, id);
    }
    if (m_state != State::InSession)
        return; // closed from the callback
    Emit(PeerEvent::ConnectComplete, 0, S_OK);
    // Renamed while the host admitted us: the others hear the new name now.
    if (m_state == State::InSession && std::exchange(m_renamedWhileJoining, false))
        BroadcastOwn(NameChanged, m_name);
    DeliverHeld();
}

std::vector<StampEntry> SessionCore::Stamp() const {
    std::vector<StampEntry> s;
    for (const auto& [id, seq] : m_delivered) {
        const auto it = m_members.find(id);
        if (seq > 0 && it != m_members.end() && !it->second.removed)
            s.push_back(StampEntry{id, seq});
    }
    return s;
}

void SessionCore::BroadcastOwn(DataKind kind, const QByteArray& payload,
                               const std::vector<DPNID>* only) {
    DataFrame f;
    f.origin = m_local;
    f.seq = ++m_ownSeq;
    m_delivered[m_local] = f.seq;
    f.kind = kind;
    f.stamp = Stamp();
    f.payload = payload;
    auto& digests = m_digests[m_local];
    digests[f.seq] = Digest(f);
    if (digests.size() > kDigestsKept)
        digests.erase(digests.begin());
    const QByteArray raw = EncodeData(f);
    for (auto& link : m_links) {
        if (link->dead || link->kind != Link::Member)
            continue;
        if (only && std::find(only->begin(), only->end(), link->peer) == only->end())
            continue;
        Write(link.get(), raw);
    }
}

bool SessionCore::IsLive(DPNID id) const {
    const auto it = m_members.find(id);
    return it != m_members.end() && !it->second.removed && !it->second.leaving;
}

void SessionCore::OnData(Link* link, DataFrame frame, const QByteArray& raw) {
    // A departed sender's records are still taken: a survivor may have them.
    const DPNID via = link->peer;
    if (frame.origin == m_local) {
        // Nobody has a record of ours that we have not sent.
        if (frame.seq > m_ownSeq) {
            Warn(via, "a record passed on that differs from its sender's own");
            StartDeparture(via, "forged a record");
        } else {
            CheckSame(frame.origin, frame.seq, Digest(frame), via);
        }
        return;
    }
    if (const auto d = m_delivered.find(frame.origin);
        d != m_delivered.end() && frame.seq <= d->second) {
        CheckSame(frame.origin, frame.seq, Digest(frame), via);
        return;
    }
    for (Held& h : m_held) {
        if (h.frame.origin != frame.origin || h.frame.seq != frame.seq)
            continue;
        if (Digest(h.frame) == Digest(frame)) {
            // The same record; the origin's own copy is the one to keep.
            if (via == frame.origin && h.via != frame.origin) {
                h.from = link;
                h.via = via;
                DeliverHeld();
            }
            return;
        }
        if (via != frame.origin && h.via == frame.origin) {
            CheckSame(frame.origin, frame.seq, Digest(frame), via);
            return;
        }
        if (via == frame.origin && h.via != frame.origin) {
            // The origin's own record arrives after another member's forgery of it.
            const DPNID liar = h.via;
            h = Held{std::move(frame), raw, link, via, {}};
            h.age.start();
            Warn(liar, "a record passed on that differs from its sender's own");
            StartDeparture(liar, "forged a record");
            DeliverHeld();
            return;
        }
        Warn(via, "a second copy that differs from the first");
        return;
    }
    if (static_cast<int>(m_held.size()) >= kMaxHeld) {
        CloseLink(link, "too many records waiting for their causes");
        StartDeparture(via, "flood");
        return;
    }
    Held h{std::move(frame), raw, link, via, {}};
    h.age.start();
    m_held.push_back(std::move(h));
    DeliverHeld();
}

std::size_t SessionCore::Digest(const DataFrame& f) {
    return qHash(f.payload) ^ (static_cast<std::size_t>(f.kind) * 0x9e3779b97f4a7c15ULL);
}

void SessionCore::CheckSame(DPNID origin, std::uint32_t seq, std::size_t digest, DPNID via) {
    const auto o = m_digests.find(origin);
    if (o == m_digests.end())
        return;
    const auto d = o->second.find(seq);
    if (d == o->second.end() || d->second == digest)
        return;
    // An honest member passes on records untouched, and a sender numbers
    // each record once: a different copy is a lie of the one that brought it.
    Warn(via, via == origin ? "a record number used twice" : "a record passed on that differs "
                                                              "from its sender's own");
    StartDeparture(via, "forged a record");
}

bool SessionCore::RelayTaken(DPNID origin, std::uint32_t seq) const {
    if (!IsLive(origin))
        return true; // what its own link did not bring before it closed
    if (const Link* own = AnyLinkOf(origin))
        return own->directFrom != 0 && seq < own->directFrom;
    // A member we have no link to is heard through the others, once the
    // time for its greeting has passed.
    const auto m = m_members.find(origin);
    return m != m_members.end() && m->second.since.isValid() &&
           m->second.since.elapsed() >= kHandshakeMs;
}

bool SessionCore::Deliverable(const Held& h) const {
    const DataFrame& f = h.frame;
    if (m_members.count(f.origin) == 0 && m_departed.count(f.origin) == 0)
        return false; // a newcomer the host has not announced here yet
    if (h.via != f.origin && !RelayTaken(f.origin, f.seq))
        return false;
    const auto own = m_delivered.find(f.origin);
    const std::uint32_t have = own == m_delivered.end() ? 0 : own->second;
    if (f.seq != have + 1)
        return false;
    for (const StampEntry& e : f.stamp) {
        if (e.id == f.origin)
            continue;
        if (m_departed.count(e.id))
            continue; // the survivors already agreed on what it sent
        const auto m = m_members.find(e.id);
        const auto d = m_delivered.find(e.id);
        if (m == m_members.end() || d == m_delivered.end() || d->second < e.seq)
            return false;
    }
    return true;
}

void SessionCore::DeliverHeld() {
    bool progress = true;
    while (progress && m_state == State::InSession && !m_joining) {
        progress = false;
        for (auto it = m_held.begin(); it != m_held.end(); ++it) {
            if (!Deliverable(*it))
                continue;
            const Held h = std::move(*it);
            m_held.erase(it);
            Deliver(h);
            progress = true;
            break;
        }
    }
}

void SessionCore::Deliver(const Held& h) {
    const DataFrame& f = h.frame;
    m_delivered[f.origin] = f.seq;
    auto& digests = m_digests[f.origin];
    digests[f.seq] = Digest(f);
    if (digests.size() > kDigestsKept)
        digests.erase(digests.begin());
    // Other copies of it that waited are checked against it and go.
    std::vector<std::pair<DPNID, std::size_t>> copies;
    m_held.remove_if([&](const Held& other) {
        if (other.frame.origin != f.origin || other.frame.seq != f.seq)
            return false;
        copies.emplace_back(other.via, Digest(other.frame));
        return true;
    });
    for (const auto& [via, digest] : copies)
        CheckSame(f.origin, f.seq, digest, via);
    // Pass it on before acting on it: if we have it, every survivor will.
    for (auto& link : m_links) {
        if (link->dead || link->kind != Link::Member || link.get() == h.from ||
            link->peer == f.origin)
            continue;
        Write(link.get(), h.raw);
    }
    switch (f.kind) {
    case UserRecord: {
        PeerEvent e;
        e.type = PeerEvent::Receive;
        e.player = f.origin;
        e.data = f.payload;
        e.seq = f.seq;
        for (const StampEntry& s : f.stamp)
            if (s.id != f.origin)
                e.after.emplace_back(s.id, s.seq);
        if (m_callback)
            m_callback(e);
        break;
    }
    case MemberAdded:
        // Only the host admits; a host that died may have admitted one just before.
        if (f.origin != m_host && m_formerHosts.count(f.origin) == 0) {
            Warn(f.origin, "a member added by a member that is not the host");
            break;
        }
        if (auto entry = DecodeMember(f.payload))
            AddMember(*entry);
        break;
    case MemberGone:
        if (auto id = DecodeU32(f.payload); id && *id != m_local)
            OnMemberGone(f.origin, *id);
        break;
    case MaxPlayers: {
        const auto n = DecodeU32(f.payload);
        const int limit = static_cast<int>(std::clamp<std::uint32_t>(n.value_or(kMaxMembers - 1), 1, kMaxMembers - 1));
        if (f.origin == m_host) {
            if (n)
                m_maxPlayers = limit;
        } else if (f.origin == Successor()) {
            // It saw the host go before this member did.
            if (n)
                m_successorLimit = std::pair(f.origin, limit);
        } else {
            Warn(f.origin, "a player limit from a member that is not the host");
        }
        break;
    }
    case NameChanged:
        if (IsLive(f.origin)) {
            m_members[f.origin].name = f.payload.left(kMaxNameBytes);
            Emit(PeerEvent::PeerInfo, f.origin);
        }
        break;
    }
}

void SessionCore::AddMember(const MemberEntry& entry) {
    if (m_members.count(entry.id) || m_departed.count(entry.id) ||
        m_members.size() >= static_cast<size_t>(kMaxMembers))
        return;
    Member m;
    m.id = entry.id;
    m.name = entry.name;
    m.address = entry.address;
    m.port = entry.port;
    m.since.start();
    m_members[entry.id] = m;
    m_nextId = std::max(m_nextId, entry.id + 1);
    Emit(PeerEvent::CreatePlayer, entry.id);
    // A hello that overtook this word is now known.
    std::vector<Link*> waiting;
    for (auto& link : m_links) {
        if (!link->dead && link->kind == Link::Incoming && link->peer == entry.id)
            waiting.push_back(link.get());
    }
    for (Link* link : waiting)
        Admit(link);
}

// The host's word on a departure stands, and so does its successor's on the
// host; anyone else's is a hint, checked on our own link.
void SessionCore::OnMemberGone(DPNID origin, DPNID id) {
    m_goneReports[id].insert(origin);
    // Only a member still present speaks for the session: a host on its way
    // out has lost that right to whoever declared it gone.
    if (IsLive(id)) {
        if (IsLive(origin) && (origin == m_host || (id == m_host && origin == Successor())))
            StartDeparture(id, "declared gone by the host");
        else if (AnyLinkOf(id) == nullptr)
            StartDeparture(id, "reported gone, and no link of ours");
        else if (m_probes.count(id) == 0)
            m_probes[id].start();
    }
    CheckDepartures(false);
}

// A member reported gone stays while its link to us still carries anything.
void SessionCore::CheckProbes() {
    for (auto it = m_probes.begin(); it != m_probes.end();) {
        const DPNID id = it->first;
        const Link* link = LinkOf(id);
        if (!IsLive(id) || (link && link->sinceRecv.elapsed() < it->second.elapsed())) {
            if (IsLive(id))
                Warn(id, "reported gone by another member, but still here");
            it = m_probes.erase(it);
            continue;
        }
        if (link == nullptr || it->second.elapsed() >= kProbeMs) {
            it = m_probes.erase(it);
            StartDeparture(id, "reported gone, and silent here too");
            continue;
        }
        ++it;
    }
}

DPNID SessionCore::Successor() const {
    for (const auto& [id, m] : m_members) {
        if (id != m_host && !m.removed && !m.leaving)
            return id;
    }
    return 0;
}

void SessionCore::StartDeparture(DPNID id, const char* why) {
    if (m_state != State::InSession || !IsLive(id) || id == m_local)
        return;
    qCInfo(lcSession) << "member" << id << "departs:" << why;
    m_members[id].leaving = true;
    // The departing one hears it too while its link stands: whatever it says
    // after comes after our word, everywhere.
    BroadcastOwn(MemberGone, EncodeU32(id));
    if (Link* own = LinkOf(id))
        own->socket->flush();
    for (auto& link : m_links) {
        if (!link->dead && link->peer == id)
            CloseLink(link.get(), why);
    }
    Departure d;
    d.since.start();
    for (const auto& [other, m] : m_members) {
        if (other != m_local && other != id && !m.removed && !m.leaving &&
            !m_goneReports[id].count(other))
            d.waitFor.insert(other);
    }
    m_departing[id] = std::move(d);
    for (auto& [other, dep] : m_departing)
        dep.waitFor.erase(id);
    CheckDepartures(false);
}

void SessionCore::CheckDepartures(bool deadlinePassed) {
    for (;;) {
        DPNID ready = 0;
        for (auto& [id, d] : m_departing) {
            for (DPNID reporter : m_goneReports[id])
                d.waitFor.erase(reporter);
            if (d.waitFor.empty() || (deadlinePassed && d.since.elapsed() >= kDepartureWaitMs)) {
                ready = id;
                break;
            }
        }
        if (ready == 0 || m_state != State::InSession)
            return;
        Finalize(ready);
    }
}

void SessionCore::Finalize(DPNID id) {
    m_departing.erase(id);
    m_goneReports.erase(id);
    // Forgotten but for its id, so a long session does not fill up with the departed.
    m_members.erase(id);
    m_departed.insert(id);
    for (auto& [other, dep] : m_departing)
        dep.waitFor.erase(id);
    Emit(PeerEvent::DestroyPlayer, id);
    if (m_state != State::InSession)
        return;
    DPNID next = 0;
    for (const auto& [other, m] : m_members) {
        if (!m.removed && !m.leaving) {
            next = other;
            break;
        }
    }
    if (next != 0 && (m_host == id || !IsLive(m_host)) && next != m_host) {
        m_formerHosts.insert(m_host);
        m_host = next;
        if (m_successorLimit && m_successorLimit->first == next)
            m_maxPlayers = m_successorLimit->second;
        m_successorLimit.reset();
        qCInfo(lcSession) << "host is now" << next;
        Emit(PeerEvent::HostMigrate, next);
    }
    DeliverHeld();
}

void SessionCore::Tick() {
    if (m_state == State::Connecting && m_connectAge.elapsed() >= kHandshakeMs) {
        FailConnect(DPNERR_NORESPONSE);
        return;
    }
    if (m_joining && m_connectAge.elapsed() >= kHandshakeMs)
        FinishJoin();
    for (auto& owned : m_links) {
        Link* link = owned.get();
        if (link->dead)
            continue;
        if (link->kind == Link::Member) {
            if (link->directFrom == 0 && link->age.elapsed() >= kHandshakeMs) {
                // It never said from which record on it speaks here: the
                // others' copies of its records serve instead.
                CloseLink(link, "no answer to our greeting");
            } else if (link->sinceRecv.elapsed() >= kSilenceMs) {
                const DPNID peer = link->peer;
                CloseLink(link, "silent");
                StartDeparture(peer, "silent");
            } else if (link->sinceSend.elapsed() >= kHeartbeatMs) {
                Write(link, EncodeEmpty(Heartbeat));
            }
        } else if (link->kind != Link::Joining && link->age.elapsed() >= kHandshakeMs) {
            CloseLink(link, "handshake not finished in time");
        }
    }
    CheckProbes();
    CheckDepartures(true);
    // What still waits for its causes this long never gets them: a sender's
    // lie or a departed peer's loose end.
    m_held.remove_if([](const Held& h) { return h.age.elapsed() >= kStaleHeldMs; });
    // Copies passed on for a member without a link of ours may now stand for its own.
    DeliverHeld();
}
