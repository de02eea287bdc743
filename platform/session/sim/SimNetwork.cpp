#include "SimNetwork.h"

#include "SessionWire.h"
#include "SimPeerSession.h"
#include "VirtualClock.h"

#include <QHostAddress>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr std::uint16_t kFirstPort = 2301;

} // namespace

CSimNetwork::CSimNetwork(std::uint64_t seed) : m_random(seed) {}

CSimNetwork::~CSimNetwork() = default;

CPeerSession::Factory CSimNetwork::Factory() {
    return [this](CPeerSession::Callback callback) -> std::unique_ptr<CPeerSession> {
        return NewSession(std::move(callback));
    };
}

std::unique_ptr<CSimPeerSession> CSimNetwork::NewSession(CPeerSession::Callback callback) {
    std::lock_guard lock(m_mutex);
    const int h = m_nextHandle++;
    m_members[h].callback = std::move(callback);
    return std::unique_ptr<CSimPeerSession>(new CSimPeerSession(this, h));
}

void CSimNetwork::SetClock(CVirtualClock* clock, int minMs, int maxMs) {
    std::lock_guard lock(m_mutex);
    m_clock = clock;
    m_minMs = std::max(0, minMs);
    m_maxMs = std::max(m_minMs, maxMs);
}

std::uint64_t CSimNetwork::Random(std::uint64_t n) {
    std::lock_guard lock(m_mutex);
    return n == 0 ? 0 : m_random() % n;
}

CSimNetwork::Member* CSimNetwork::Find(int h) {
    const auto it = m_members.find(h);
    return it == m_members.end() ? nullptr : &it->second;
}

const CSimNetwork::Member* CSimNetwork::Find(int h) const {
    const auto it = m_members.find(h);
    return it == m_members.end() ? nullptr : &it->second;
}

int CSimNetwork::InFlight() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

std::uint64_t CSimNetwork::DeliveryPoint() const {
    std::lock_guard lock(m_mutex);
    return m_delivered;
}

std::uint16_t CSimNetwork::FreePort() {
    std::uint16_t port = kFirstPort;
    while (m_ports.count(port))
        ++port;
    return port;
}

void CSimNetwork::Push(Item item) {
    item.serial = m_nextSerial++;
    if (m_clock) {
        const auto spread = static_cast<std::uint64_t>(m_maxMs - m_minMs) + 1;
        item.due = m_clock->NowMs() + m_minMs + static_cast<std::int64_t>(m_random() % spread);
    }
    m_items.push_back(std::move(item));
}

void CSimNetwork::Emit(std::vector<Pending>& out, int h, PeerEvent::Type type, DPNID player,
                       HRESULT result, QByteArray data) {
    PeerEvent e;
    e.type = type;
    e.player = player;
    e.result = result;
    e.data = std::move(data);
    out.push_back(Pending{h, Find(h)->epoch, std::move(e)});
}

void CSimNetwork::Run(std::vector<Pending>& events) {
    for (Pending& p : events) {
        CPeerSession::Callback callback;
        {
            std::lock_guard lock(m_mutex);
            const Member* m = Find(p.member);
            // Closed, crashed or gone since: what remains is not its any more.
            if (m == nullptr || m->epoch != p.epoch || m->state == State::Dead)
                continue;
            callback = m->callback;
        }
        if (callback)
            callback(p.event);
    }
}

bool CSimNetwork::Live(const Member& m, DPNID id) const {
    if (!m.members.count(id))
        return false;
    const auto g = m_groups.find(m.group);
    return g != m_groups.end() && g->second.live.count(id) != 0;
}

void CSimNetwork::ResetMember(Member& m) {
    if (m.port != 0) {
        const auto p = m_ports.find(m.port);
        if (p != m_ports.end() && Find(p->second) == &m)
            m_ports.erase(p);
    }
    const State dead = m.state == State::Dead ? State::Dead : State::None;
    CPeerSession::Callback callback = std::move(m.callback);
    const QByteArray name = m.name;
    const std::uint64_t epoch = m.epoch + 1;
    m = Member{};
    m.callback = std::move(callback);
    m.name = name;
    m.epoch = epoch;
    m.state = dead;
}

// ---- the member's own calls ----

HRESULT CSimNetwork::DoHost(int h, std::uint16_t port, int maxPlayers) {
    Member& m = *Find(h);
    if (m.state != State::None)
        return DPNERR_ALREADYINITIALIZED;
    if (port == 0)
        port = FreePort();
    else if (m_ports.count(port))
        return DPNERR_INVALIDDEVICEADDRESS;
    const int g = m_nextGroup++;
    Group& group = m_groups[g];
    m.state = State::InSession;
    m.group = g;
    m.port = port;
    m_ports[port] = h;
    m.maxPlayers = std::clamp(maxPlayers, 1, sessionwire::kMaxMembers - 1);
    m.local = m.host = group.nextId++;
    m.members[m.local] = m.name;
    m.ports[m.local] = port;
    group.live[m.local] = h;
    return S_OK;
}

void CSimNetwork::DoConnect(int h, const QString& hostName, std::uint16_t port) {
    Member& m = *Find(h);
    Item answer;
    answer.type = Item::ConnectResult;
    answer.to = h;
    if (m.state != State::None) {
        answer.result = DPNERR_ALREADYINITIALIZED;
        Push(std::move(answer));
        return;
    }
    m.state = State::Connecting;
    // Every member listens on this machine's loopback.
    const QHostAddress address(hostName);
    if (hostName.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) != 0 &&
        address.isNull()) {
        answer.result = DPNERR_INVALIDHOSTADDRESS;
        Push(std::move(answer));
        return;
    }
    const auto listener = m_ports.find(port);
    if ((!address.isNull() && !address.isLoopback()) || listener == m_ports.end()) {
        answer.result = DPNERR_NOCONNECTION;
        Push(std::move(answer));
        return;
    }
    Item join;
    join.type = Item::JoinRequest;
    join.to = listener->second;
    join.from = h;
    Push(std::move(join));
}

std::shared_ptr<CSimNetwork::Record> CSimNetwork::DoSend(int h, Kind kind,
                                                         const QByteArray& payload, DPNID about,
                                                         const std::vector<DPNID>* only) {
    Member& m = *Find(h);
    if (m.state != State::InSession || payload.size() > sessionwire::kMaxPayload)
        return nullptr;
    Group& group = m_groups[m.group];
    auto r = std::make_shared<Record>();
    r->origin = m.local;
    r->seq = ++m.ownSeq;
    m.delivered[m.local] = r->seq;
    r->kind = kind;
    r->payload = payload;
    r->about = about;
    r->partial = only != nullptr;
    // What this member has delivered, from departed members too: a
    // survivor that has not yet seen the departure waits for their last
    // records before this one.
    for (const auto& [id, seq] : m.delivered)
        if (seq > 0)
            r->stamp[id] = seq;
    auto& mine = group.sent[m.local];
    mine.push_back(r);
    if (mine.size() > 256) {
        // What every member present has delivered is needed no more.
        std::uint32_t everywhere = r->seq;
        for (const auto& [id, other] : group.live) {
            if (other == h)
                continue;
            const auto& delivered = Find(other)->delivered;
            const auto d = delivered.find(m.local);
            everywhere = std::min(everywhere, d == delivered.end() ? 0 : d->second);
        }
        std::erase_if(mine, [everywhere](const auto& old) { return old->seq <= everywhere; });
    }
    for (const auto& [id, other] : group.live) {
        if (other == h || (only && std::find(only->begin(), only->end(), id) == only->end()))
            continue;
        Item item;
        item.type = Item::Data;
        item.to = other;
        item.record = r;
        Push(std::move(item));
    }
    return r;
}

void CSimNetwork::DoClose(int h, std::vector<Pending>& out) {
    Member& m = *Find(h);
    const State was = m.state;
    const bool admitted = m.admitted || was == State::InSession;
    if (was == State::Dead)
        return;
    if (admitted)
        Depart(h, Way::Leave);
    DropItemsOf(h);
    ResetMember(m);
    if (was == State::Connecting)
        Emit(out, h, PeerEvent::ConnectComplete, 0, DPNERR_USERCANCEL);
    else if (was == State::InSession)
        Emit(out, h, PeerEvent::TerminateSession, 0);
}

DPNID CSimNetwork::Successor(const Member& m) const {
    for (const auto& [other, name] : m.members)
        if (other != m.host)
            return other;
    return 0;
}

bool CSimNetwork::DoExpel(int h, DPNID id) {
    Member& m = *Find(h);
    if (m.state != State::InSession || id == m.local || !Live(m, id))
        return false;
    if (m.local != m.host && !(id == m.host && Successor(m) == m.local))
        return false;
    Depart(m_groups[m.group].live.at(id), Way::Expel);
    return true;
}

// The network's word on a member that goes: the survivors agree on which of
// its records arrive, and each reports its departure after the last of them.
void CSimNetwork::Depart(int h, Way way) {
    Member& x = *Find(h);
    Group& group = m_groups[x.group];
    const DPNID id = x.local;
    if (!group.live.count(id))
        return;
    group.live.erase(id);

    // Its records: everything up to the cut reaches every survivor, nothing after it.
    auto& records = group.sent[id];
    std::uint32_t keep = 0;
    for (const auto& [other, oh] : group.live) {
        const Member& s = *Find(oh);
        if (const auto d = s.delivered.find(id); d != s.delivered.end())
            keep = std::max(keep, d->second);
    }
    std::set<int> survivors;
    for (const auto& [other, oh] : group.live)
        survivors.insert(oh);
    std::set<const Record*> sentTo;
    for (const Item& i : m_items) {
        if (i.type != Item::Data || !survivors.count(i.to))
            continue;
        if (i.record->origin == id) {
            sentTo.insert(i.record.get());
        } else if (const auto s = i.record->stamp.find(id); s != i.record->stamp.end()) {
            // A record on its way that was sent after one of these: the
            // one who sent it had it, and passed it on before acting on it.
            keep = std::max(keep, s->second);
        }
    }
    for (const auto& r : records) {
        // A member it admitted was told of it after the others were, and a
        // record it gave to some survivor is passed on by that survivor.
        if (r->mustKeep || (r->partial && sentTo.count(r.get())))
            keep = std::max(keep, r->seq);
    }
    std::uint32_t cut = x.ownSeq;
    if (way != Way::Leave && cut > keep)
        cut = keep + static_cast<std::uint32_t>(m_random() % (cut - keep + 1));
    std::erase_if(m_items, [&](const Item& i) {
        return i.type == Item::Data && survivors.count(i.to) && i.record->origin == id &&
               i.record->seq > cut;
    });
    for (const auto& r : records) {
        if (r->seq > cut || !r->partial)
            continue;
        for (const auto& [other, oh] : group.live) {
            const Member& s = *Find(oh);
            const auto d = s.delivered.find(id);
            const bool has = (d != s.delivered.end() && d->second >= r->seq) ||
                             std::any_of(m_items.begin(), m_items.end(), [&](const Item& i) {
                                 return i.to == oh && i.record.get() == r.get();
                             });
            if (!has) {
                Item item;
                item.type = Item::Data;
                item.to = oh;
                item.record = r;
                Push(std::move(item));
            }
        }
    }
    std::erase_if(records, [cut](const auto& r) { return r->seq > cut; });

    // Nothing more reaches it; each survivor hears of its going.
    std::erase_if(m_items, [h](const Item& i) { return i.to == h && i.type != Item::JoinRequest; });
    for (const auto& [other, oh] : group.live) {
        Item gone;
        gone.type = Item::Gone;
        gone.to = oh;
        gone.about = id;
        Push(std::move(gone));
    }
    if (way == Way::Expel) {
        // The expelled one goes on alone and sees every other member go.
        const int g = m_nextGroup++;
        Group& alone = m_groups[g];
        alone.nextId = m_groups[x.group].nextId;
        alone.live[id] = h;
        x.group = g;
        for (const auto& [other, name] : x.members) {
            if (other == id)
                continue;
            Item gone;
            gone.type = Item::Gone;
            gone.to = h;
            gone.about = other;
            Push(std::move(gone));
        }
    }
}

// ---- deliveries ----

bool CSimNetwork::Allowed(const Item& item) const {
    const Member* m = Find(item.to);
    if (m == nullptr || m->state == State::Dead)
        return false;
    switch (item.type) {
    case Item::JoinRequest:
        // The host admits once it has settled the departures and arrivals
        // it has been told of, so its welcome lists the members as they are.
        return std::none_of(m_items.begin(), m_items.end(), [&](const Item& i) {
            return i.to == item.to &&
                   (i.type == Item::Gone ||
                    (i.type == Item::Data && i.record->kind == Kind::MemberAdded));
        });
    case Item::Welcome:
    case Item::ConnectResult:
        return true;
    case Item::Gone:
        // After the last record of the departed one, and after its announcement.
        return m->state == State::InSession &&
               std::none_of(m_items.begin(), m_items.end(), [&](const Item& i) {
                   return i.to == item.to && i.type == Item::Data &&
                          (i.record->origin == item.about ||
                           (i.record->kind == Kind::MemberAdded && i.record->about == item.about));
               });
    case Item::Data: {
        if (m->state != State::InSession)
            return false; // a joiner takes records once it is welcomed
        const Record& r = *item.record;
        if (!m->members.count(r.origin) && !m->departed.count(r.origin))
            return false;
        const auto own = m->delivered.find(r.origin);
        if (r.seq != (own == m->delivered.end() ? 0 : own->second) + 1)
            return false;
        for (const auto& [id, seq] : r.stamp) {
            if (id == r.origin || m->departed.count(id))
                continue;
            const auto d = m->delivered.find(id);
            if (d == m->delivered.end() || d->second < seq)
                return false;
        }
        return true;
    }
    }
    return false;
}

std::optional<std::size_t> CSimNetwork::Pick(bool earliest) {
    std::vector<std::size_t> allowed;
    std::int64_t first = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (!Allowed(m_items[i]))
            continue;
        if (earliest) {
            if (!allowed.empty() && m_items[i].due > first)
                continue;
            if (allowed.empty() || m_items[i].due < first)
                allowed.clear();
            first = m_items[i].due;
        }
        allowed.push_back(i);
    }
    if (allowed.empty())
        return std::nullopt;
    return allowed[m_random() % allowed.size()];
}

std::optional<std::int64_t> CSimNetwork::NextDueMs() const {
    std::lock_guard lock(m_mutex);
    std::optional<std::int64_t> due;
    for (const Item& i : m_items)
        if (Allowed(i) && (!due || i.due < *due))
            due = i.due;
    return due;
}

bool CSimNetwork::DeliverNext() { return Deliver(false); }

bool CSimNetwork::DeliverEarliest() { return Deliver(true); }

bool CSimNetwork::Deliver(bool earliest) {
    std::vector<Pending> events;
    {
        std::lock_guard lock(m_mutex);
        const auto picked = Pick(earliest);
        if (!picked)
            return false;
        const Item item = std::move(m_items[*picked]);
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(*picked));
        ++m_delivered;
        Handle(item, events);
    }
    Run(events);
    return true;
}

void CSimNetwork::Handle(const Item& item, std::vector<Pending>& out) {
    Member& m = *Find(item.to);
    switch (item.type) {
    case Item::Data:
        HandleData(m, item.to, *item.record, out);
        break;
    case Item::JoinRequest:
        HandleJoin(item, out);
        break;
    case Item::Welcome: {
        // Itself first, then the others, then the outcome.
        Emit(out, item.to, PeerEvent::CreatePlayer, m.local);
        for (const auto& [id, name] : m.members)
            if (id != m.local)
                Emit(out, item.to, PeerEvent::CreatePlayer, id);
        m.state = State::InSession;
        m.admitted = false;
        Emit(out, item.to, PeerEvent::ConnectComplete, 0, S_OK);
        // Renamed while the host admitted it under the name it asked with:
        // the others hear the new one now.
        if (m.members[m.local] != m.name) {
            m.members[m.local] = m.name;
            DoSend(item.to, Kind::NameChanged, m.name, 0, nullptr);
        }
        break;
    }
    case Item::ConnectResult:
        if (item.result == DPNERR_ALREADYINITIALIZED) {
            // A second connect: the session it has stays as it is.
            Emit(out, item.to, PeerEvent::ConnectComplete, 0, item.result);
        } else if (m.state == State::Connecting) {
            ResetMember(m);
            Emit(out, item.to, PeerEvent::ConnectComplete, 0, item.result);
        }
        break;
    case Item::Gone:
        HandleGone(m, item.to, item.about, out);
        break;
    }
}

void CSimNetwork::HandleData(Member& m, int h, const Record& r, std::vector<Pending>& out) {
    m.delivered[r.origin] = r.seq;
    switch (r.kind) {
    case Kind::User:
        Emit(out, h, PeerEvent::Receive, r.origin, S_OK, r.payload);
        out.back().event.seq = r.seq;
        for (const auto& [id, seq] : r.stamp)
            if (id != r.origin)
                out.back().event.after.emplace_back(id, seq);
        break;
    case Kind::MemberAdded:
        if (r.about != m.local && !m.members.count(r.about) && !m.departed.count(r.about)) {
            m.members[r.about] = r.payload;
            m.ports[r.about] = 0;
            const Group& group = m_groups[m.group];
            if (const auto live = group.live.find(r.about); live != group.live.end())
                m.ports[r.about] = Find(live->second)->port;
            Emit(out, h, PeerEvent::CreatePlayer, r.about);
        }
        break;
    case Kind::NameChanged:
        if (Live(m, r.origin)) {
            m.members[r.origin] = r.payload;
            Emit(out, h, PeerEvent::PeerInfo, r.origin);
        }
        break;
    case Kind::MaxPlayers: {
        const int limit = static_cast<int>(
            std::clamp<std::uint32_t>(qFromLittleEndian<std::uint32_t>(r.payload.constData()), 1,
                                      sessionwire::kMaxMembers - 1));
        if (r.origin == m.host) {
            m.maxPlayers = limit;
        } else if (r.origin == Successor(m)) {
            // It saw the host go before this member did.
            m.limitFrom = r.origin;
            m.limitFromSuccessor = limit;
        } else {
            Emit(out, h, PeerEvent::Warning, r.origin, S_OK,
                 "Refused from " + QByteArray::number(r.origin) +
                     ": a player limit from a member that is not the host");
        }
        break;
    }
    }
}

void CSimNetwork::HandleJoin(const Item& item, std::vector<Pending>& out) {
    const int hostHandle = item.to;
    Member& host = *Find(hostHandle);
    Member* joiner = Find(item.from);
    if (joiner == nullptr || joiner->state != State::Connecting)
        return; // gave up meanwhile
    Item answer;
    answer.type = Item::ConnectResult;
    answer.to = item.from;
    if (host.state != State::InSession) {
        answer.result = DPNERR_NOCONNECTION;
        Push(std::move(answer));
        return;
    }
    if (host.local != host.host) {
        answer.result = DPNERR_NOTHOST;
        Push(std::move(answer));
        return;
    }
    if (static_cast<int>(host.members.size()) >= host.maxPlayers) {
        answer.result = DPNERR_SESSIONFULL;
        Push(std::move(answer));
        return;
    }
    Emit(out, hostHandle, PeerEvent::IndicateConnect, 0);
    Group& group = m_groups[host.group];
    const DPNID id = group.nextId++;
    joiner->port = FreePort();
    m_ports[joiner->port] = item.from;
    // The others hear of it before it hears its id, so the id stays known
    // to every survivor should the host die now.
    DoSend(hostHandle, Kind::MemberAdded, joiner->name, id, nullptr)->mustKeep = true;
    joiner->admitted = true;
    joiner->group = host.group;
    joiner->local = id;
    joiner->host = host.host;
    joiner->maxPlayers = host.maxPlayers;
    joiner->members = host.members;
    joiner->ports = host.ports;
    joiner->members[id] = joiner->name;
    joiner->ports[id] = joiner->port;
    // It counts as delivered what the host has; the rest comes to it.
    joiner->delivered = host.delivered;
    joiner->departed = host.departed;
    for (const auto& [origin, records] : group.sent) {
        if (!group.live.count(origin))
            continue;
        const auto d = joiner->delivered.find(origin);
        const std::uint32_t have = d == joiner->delivered.end() ? 0 : d->second;
        for (const auto& r : records) {
            if (r->seq <= have)
                continue;
            Item copy;
            copy.type = Item::Data;
            copy.to = item.from;
            copy.record = r;
            Push(std::move(copy));
        }
    }
    group.live[id] = item.from;
    host.members[id] = joiner->name;
    host.ports[id] = joiner->port;
    Emit(out, hostHandle, PeerEvent::CreatePlayer, id);
    Item welcome;
    welcome.type = Item::Welcome;
    welcome.to = item.from;
    Push(std::move(welcome));
}

void CSimNetwork::HandleGone(Member& m, int h, DPNID id, std::vector<Pending>& out) {
    m.departed.insert(id);
    if (!m.members.erase(id))
        return;
    m.ports.erase(id);
    Emit(out, h, PeerEvent::DestroyPlayer, id);
    // The new host is the earliest joined of those still present here: one
    // that has left already but whose records still reach this member is
    // present until its departure does.
    if (m.members.count(m.host))
        return;
    for (const auto& [other, name] : m.members) {
        if (other != m.host) {
            m.host = other;
            if (m.limitFrom == other)
                m.maxPlayers = m.limitFromSuccessor;
            m.limitFrom = 0;
            Emit(out, h, PeerEvent::HostMigrate, other);
        }
        break;
    }
}

// ---- driven by the simulation ----

void CSimNetwork::Crash(CPeerSession& member) {
    auto* sim = dynamic_cast<CSimPeerSession*>(&member);
    if (sim == nullptr || sim->m_network != this)
        return;
    std::lock_guard lock(m_mutex);
    Member& m = *Find(sim->m_handle);
    if (m.state == State::Dead)
        return;
    if (m.state == State::InSession || m.admitted)
        Depart(sim->m_handle, Way::Crash);
    DropItemsOf(sim->m_handle);
    ResetMember(m);
    m.state = State::Dead;
}

void CSimNetwork::Leave(CPeerSession& member) {
    member.Close();
}

// What was on its way to a member that stops; a joiner waiting on it learns
// that nobody answers there any more.
void CSimNetwork::DropItemsOf(int h) {
    std::vector<int> joiners;
    std::erase_if(m_items, [&](const Item& i) {
        if (i.type == Item::JoinRequest && i.to == h && i.from != h)
            joiners.push_back(i.from);
        return i.to == h || i.from == h;
    });
    for (int joiner : joiners) {
        Item answer;
        answer.type = Item::ConnectResult;
        answer.to = joiner;
        answer.result = DPNERR_NOCONNECTION;
        Push(std::move(answer));
    }
}

void CSimNetwork::Unregister(int handle) {
    std::lock_guard lock(m_mutex);
    Member* m = Find(handle);
    if (m == nullptr)
        return;
    // Going away in session is a crash to the others.
    if (m->state != State::Dead && (m->state == State::InSession || m->admitted))
        Depart(handle, Way::Crash);
    DropItemsOf(handle);
    ResetMember(*m);
    m_members.erase(handle);
}
