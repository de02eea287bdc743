// The simulated session under many seeds: the order guarantees, agreement on
// a crashed sender, joins and their refusals, leaving and expulsion, host
// migration as the TCP session does it, and a run that replays from its seed.

#include "SessionPeers.h"
#include "SimNetwork.h"
#include "SimPeerSession.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <deque>
#include <map>
#include <memory>
#include <set>

namespace {

constexpr int kMaxSteps = 200000; // bounds every drive of the network

struct SimPeer {
    explicit SimPeer(CSimNetwork& net)
        : session(net.NewSession([this](const PeerEvent& e) { events.push_back(e); })) {}
    DPNID Id() const { return session->LocalPlayer(); }
    int Count(PeerEvent::Type type, DPNID player = 0) const {
        return static_cast<int>(
            std::count_if(events.begin(), events.end(), [&](const PeerEvent& e) {
                return e.type == type && (player == 0 || e.player == player);
            }));
    }
    std::vector<PeerEvent> events;
    std::unique_ptr<CSimPeerSession> session;
};

bool Drain(CSimNetwork& net) {
    for (int i = 0; i < kMaxSteps; ++i)
        if (!net.DeliverNext())
            return true;
    return false;
}

HRESULT Join(CSimNetwork& net, SimPeer& p, quint16 port, const QString& host = "127.0.0.1") {
    const int before = p.Count(PeerEvent::ConnectComplete);
    EXPECT_EQ(p.session->Connect(host, port), DPNSUCCESS_PENDING);
    for (int i = 0; i < kMaxSteps && p.Count(PeerEvent::ConnectComplete) == before; ++i)
        if (!net.DeliverNext())
            break;
    for (auto e = p.events.rbegin(); e != p.events.rend(); ++e)
        if (e->type == PeerEvent::ConnectComplete)
            return p.Count(PeerEvent::ConnectComplete) > before ? e->result : E_FAIL;
    return E_FAIL;
}

// (type, player) of every event, in order: what two sessions are compared by.
std::vector<std::pair<int, DPNID>> Shape(const std::vector<PeerEvent>& events) {
    std::vector<std::pair<int, DPNID>> out;
    for (const PeerEvent& e : events)
        if (e.type != PeerEvent::Warning)
            out.emplace_back(e.type, e.player);
    return out;
}

// A record names its sender's count and, for every origin, how many of that
// origin's records the sender had received when it sent this one.
QByteArray Tagged(int seq, const std::map<DPNID, int>& seen) {
    QByteArray r = QByteArray::number(seq);
    for (const auto& [id, n] : seen)
        r += ' ' + QByteArray::number(id) + ':' + QByteArray::number(n);
    return r;
}
std::pair<int, std::map<DPNID, int>> Untag(const QByteArray& r) {
    const QList<QByteArray> parts = r.split(' ');
    std::map<DPNID, int> deps;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QList<QByteArray> kv = parts[i].split(':');
        deps[kv[0].toUInt()] = kv[1].toInt();
    }
    return {parts[0].toInt(), deps};
}

// A party of up to four simulated tables that talk at random: each record
// is sent on its own or in answer to one received. Some join late; one may
// crash at a chosen delivery point, after giving a last record to some only.
struct Party {
    explicit Party(std::uint64_t seed) : net(seed) {}
    CSimNetwork net;
    std::deque<SimPeer> peers;
    std::vector<std::map<DPNID, int>> seen; // per peer: records received per origin
    std::vector<int> sent;
    std::set<int> late; // peers that joined after traffic began
    std::map<DPNID, int> lastSent;
    quint16 port = 0;
    std::vector<int> crashed;      // peers that crashed, in order
    std::vector<DPNID> crashedIds; // their ids (0: it had not joined)
    std::set<DPNID> partialFrom;   // gave a last record to one member only, then crashed

    bool Crashed(int i) const {
        return std::find(crashed.begin(), crashed.end(), i) != crashed.end();
    }

    SimPeer& Add() {
        peers.emplace_back(net);
        seen.emplace_back();
        sent.push_back(0);
        return peers.back();
    }
    void Send(int i) {
        SimPeer& p = peers[i];
        if (p.session->SendToAll(Tagged(sent[i] + 1, seen[i])))
            lastSent[p.Id()] = ++sent[i];
    }
    void Note(int i) {
        // What peer i received since last time, and perhaps an answer.
        for (const PeerEvent& e : peers[i].events)
            if (e.type == PeerEvent::Receive)
                seen[i][e.player] = std::max(seen[i][e.player], Untag(e.data).first);
    }

    // Two members at first, up to two more join during the traffic.
    // Joins wait until no more than joinBelow records are left to send; a
    // member crashes at each of the delivery points crashAt.
    void Play(int records, int joiners, std::vector<std::uint64_t> crashAt = {},
              int joinBelow = 1 << 30) {
        port = 0;
        SimPeer& host = Add();
        ASSERT_EQ(host.session->Host(0, 4), S_OK);
        port = host.session->GetLocalHostAddresses().at(0).second;
        ASSERT_EQ(Join(net, Add(), port), S_OK);
        int joined = 0;
        for (int step = 0; step < kMaxSteps; ++step) {
            const int live = static_cast<int>(peers.size());
            const auto roll = net.Random(10);
            if (roll < 3 && records > 0) {
                const int i = static_cast<int>(net.Random(live));
                if (!Crashed(i)) {
                    Note(i);
                    Send(i);
                    --records;
                }
            } else if (roll == 3 && joined < joiners && records <= joinBelow) {
                late.insert(static_cast<int>(peers.size()));
                SimPeer& p = Add();
                p.session->Connect(QStringLiteral("127.0.0.1"), port);
                ++joined;
            }
            if (crashed.size() < crashAt.size() && net.DeliveryPoint() >= crashAt[crashed.size()]) {
                int v = static_cast<int>(net.Random(peers.size()));
                while (Crashed(v))
                    v = (v + 1) % static_cast<int>(peers.size());
                SimPeer& victim = peers[v];
                if (victim.Id() != 0 && net.Random(2) == 0) {
                    // Its last record leaves for one other member only.
                    for (int o = 0; o < static_cast<int>(peers.size()); ++o) {
                        if (o != v && !Crashed(o) && peers[o].Id() != 0) {
                            partialFrom.insert(victim.Id());
                            Note(v);
                            victim.session->SendToSomeForTest(Tagged(sent[v] + 1, seen[v]),
                                                              {peers[o].Id()});
                            lastSent[victim.Id()] = ++sent[v];
                            break;
                        }
                    }
                }
                crashed.push_back(v);
                crashedIds.push_back(victim.Id());
                net.Crash(*victim.session);
            }
            if (!net.DeliverNext() && records == 0 && joined == joiners) {
                if (crashed.size() == crashAt.size())
                    return;
                crashAt[crashed.size()] = 0; // nothing else happens: the crash comes now
            }
        }
        FAIL() << "the party did not settle";
    }

    // Every trace of every peer, to compare two runs.
    std::vector<std::vector<std::pair<int, DPNID>>> Trace() const {
        std::vector<std::vector<std::pair<int, DPNID>>> out;
        for (const SimPeer& p : peers)
            out.push_back(Shape(p.events));
        return out;
    }
};

// The guarantees, checked on what each peer saw.
void CheckOrder(const Party& party) {
    for (std::size_t r = 0; r < party.peers.size(); ++r) {
        if (party.Crashed(static_cast<int>(r)))
            continue;
        const SimPeer& p = party.peers[r];
        const DPNID self = p.Id();
        if (self == 0)
            continue;               // refused or never answered: nothing to check
        std::map<DPNID, int> last;  // per origin: the last record received
        std::map<DPNID, int> first; // per origin: the first one
        std::set<DPNID> known, gone;
        bool complete = false;
        for (const PeerEvent& e : p.events) {
            SCOPED_TRACE(testing::Message() << "peer " << self << " from " << e.player);
            switch (e.type) {
            case PeerEvent::CreatePlayer:
                EXPECT_FALSE(known.count(e.player) || gone.count(e.player));
                known.insert(e.player);
                break;
            case PeerEvent::DestroyPlayer:
                EXPECT_TRUE(known.erase(e.player));
                gone.insert(e.player);
                break;
            case PeerEvent::ConnectComplete:
                complete = true;
                break;
            case PeerEvent::Receive: {
                ASSERT_NE(e.player, self) << "echoed";
                EXPECT_TRUE(known.count(e.player)) << "a record from a member not present here";
                EXPECT_TRUE(complete || r == 0) << "a record before the joiner's completion";
                const auto [seq, deps] = Untag(e.data);
                if (last.count(e.player))
                    EXPECT_EQ(seq, last[e.player] + 1) << "per-sender order";
                else
                    first[e.player] = seq;
                last[e.player] = seq;
                // Causal order: what its sender had received, this peer has,
                // unless that came before this peer joined.
                for (const auto& [origin, n] : deps) {
                    if (origin == self || n == 0)
                        continue;
                    if (last.count(origin))
                        EXPECT_GE(last[origin], n) << "causal order, origin " << origin;
                    else
                        EXPECT_TRUE(party.late.count(static_cast<int>(r)))
                            << "causal order: nothing yet from " << origin;
                }
                break;
            }
            default:
                break;
            }
        }
        // Reliability: from every member still present, everything it sent,
        // from the first record on for the peers there from the start.
        for (const SimPeer& other : party.peers) {
            const DPNID id = other.Id();
            if (&other == &p || id == 0 || !party.lastSent.count(id) ||
                party.Crashed(static_cast<int>(&other - &party.peers[0])))
                continue;
            const bool late = party.late.count(static_cast<int>(r)) != 0;
            if (late && !last.count(id))
                continue; // it sent all before this peer joined
            EXPECT_EQ(last[id], party.lastSent.at(id)) << "peer " << self << " from " << id;
            if (!late) {
                EXPECT_EQ(first[id], 1) << "peer " << self << " from " << id;
            }
        }
    }
}

} // namespace

TEST(SimSession, RecordsKeepSenderAndCausalOrderAcrossJoinsUnderManySeeds) {
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        Party party(seed);
        party.Play(60, 2);
        CheckOrder(party);
        if (HasFailure())
            return;
    }
    // Long enough that what everyone has is forgotten, joins coming late.
    for (std::uint64_t seed = 1; seed <= 2; ++seed) {
        SCOPED_TRACE(testing::Message() << "long, seed " << seed);
        Party party(seed);
        party.Play(1200, 2, {}, 300);
        CheckOrder(party);
    }
}

// One member crashes, or two, one after the other.
TEST(SimSession, CrashedSenderReachesAllSurvivorsOrNoneAndTheLowestIdHosts) {
    int cutShort = 0, delivered = 0;
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        Party party(seed);
        std::vector<std::uint64_t> crashAt{party.net.Random(80)};
        if (seed % 2 == 0)
            crashAt.push_back(crashAt[0] + party.net.Random(60));
        party.Play(40, 2, crashAt);
        ASSERT_TRUE(Drain(party.net));
        CheckOrder(party);
        DPNID lowest = 0;
        for (int i = 0; i < static_cast<int>(party.peers.size()); ++i) {
            const DPNID id = party.peers[i].Id();
            if (!party.Crashed(i) && id != 0 && (lowest == 0 || id < lowest))
                lowest = id;
        }
        for (const DPNID dead : party.crashedIds) {
            if (dead == 0)
                continue;
            // What each survivor got from it, and what happened after.
            std::optional<int> agreed;
            for (int i = 0; i < static_cast<int>(party.peers.size()); ++i) {
                const SimPeer& p = party.peers[i];
                if (party.Crashed(i) || p.Id() == 0 || p.Count(PeerEvent::CreatePlayer, dead) == 0)
                    continue; // joined after the departure: never heard of it
                int last = 0;
                bool destroyed = false;
                for (const PeerEvent& e : p.events) {
                    if (e.type == PeerEvent::Receive && e.player == dead) {
                        EXPECT_FALSE(destroyed) << "a record after its sender's departure";
                        last = Untag(e.data).first;
                    }
                    destroyed =
                        destroyed || (e.type == PeerEvent::DestroyPlayer && e.player == dead);
                }
                EXPECT_TRUE(destroyed) << "peer " << p.Id() << " about " << dead;
                EXPECT_EQ(p.session->HostPlayer(), lowest);
                if (party.late.count(i) && last == 0)
                    continue; // joined after the dead one's last record
                if (!agreed)
                    agreed = last;
                EXPECT_EQ(last, *agreed) << "survivors disagree on " << dead << "'s records";
            }
            if (agreed && party.lastSent.count(dead)) {
                if (party.partialFrom.count(dead)) {
                    EXPECT_EQ(*agreed, party.lastSent.at(dead)) << "a record one survivor had";
                }
                (*agreed < party.lastSent.at(dead) ? cutShort : delivered)++;
            }
        }
        if (HasFailure())
            return;
    }
    // The network tries both: records lost with their sender, and kept.
    EXPECT_GT(cutShort, 0);
    EXPECT_GT(delivered, 0);
}

// X answers Y's record and both die before anyone else has either: X's
// answer, if it arrives, brings Y's record with it everywhere.
TEST(SimSession, ARecordThatArrivesFromTheDeadBringsWhatItAnswered) {
    int cases = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        CSimNetwork net(seed);
        std::deque<SimPeer> p;
        for (int i = 0; i < 4; ++i)
            p.emplace_back(net);
        ASSERT_EQ(p[0].session->Host(0, 4), S_OK);
        for (int i = 1; i < 4; ++i)
            ASSERT_EQ(Join(net, p[i], 2301), S_OK);
        ASSERT_TRUE(Drain(net));
        SimPeer& x = p[1];
        SimPeer& y = p[2];
        y.session->SendToAll("y");
        for (int i = 0; i < 10 && x.Count(PeerEvent::Receive) == 0; ++i)
            ASSERT_TRUE(net.DeliverNext());
        if (x.Count(PeerEvent::Receive) == 0 || p[0].Count(PeerEvent::Receive) ||
            p[3].Count(PeerEvent::Receive))
            continue; // another member had it first: not this case
        ++cases;
        x.session->SendToAll("x");
        const DPNID xId = x.Id(), yId = y.Id();
        net.Crash(*x.session);
        net.Crash(*y.session);
        ASSERT_TRUE(Drain(net));
        for (SimPeer* s : {&p[0], &p[3]}) {
            EXPECT_EQ(s->Count(PeerEvent::DestroyPlayer, xId), 1);
            EXPECT_EQ(s->Count(PeerEvent::DestroyPlayer, yId), 1);
            EXPECT_GE(s->Count(PeerEvent::Receive, yId), s->Count(PeerEvent::Receive, xId));
        }
    }
    EXPECT_GT(cases, 5);
}

TEST(SimSession, JoinsAreRefusedAsTheTcpSessionRefusesThem) {
    CSimNetwork net(7);
    SimPeer host(net), a(net), b(net), c(net), d(net);
    host.session->SetName(QStringLiteral("Хозяин"));
    ASSERT_EQ(host.session->Host(0, 2), S_OK);
    const quint16 port = host.session->GetLocalHostAddresses().at(0).second;
    EXPECT_EQ(host.session->Host(0, 2), DPNERR_ALREADYINITIALIZED);
    EXPECT_EQ(b.session->Host(port, 4), DPNERR_INVALIDDEVICEADDRESS);
    EXPECT_EQ(b.session->LocalPlayer(), 0u);

    ASSERT_EQ(Join(net, a, port, QStringLiteral("localhost")), S_OK);
    EXPECT_EQ(Join(net, a, port), DPNERR_ALREADYINITIALIZED);
    EXPECT_EQ(a.session->LocalPlayer(), 2u) << "a second connect leaves the session as it is";
    EXPECT_EQ(Join(net, b, port), DPNERR_SESSIONFULL);
    EXPECT_EQ(b.session->LocalPlayer(), 0u);
    EXPECT_FALSE(b.session->SendToAll("x"));
    EXPECT_EQ(Join(net, b, a.session->GetLocalHostAddresses().at(0).second), DPNERR_NOTHOST);
    EXPECT_EQ(Join(net, b, static_cast<quint16>(port + 100)), DPNERR_NOCONNECTION);
    EXPECT_EQ(Join(net, b, port, QStringLiteral("no-such-host.invalid")),
              DPNERR_INVALIDHOSTADDRESS);
    // Closing while the connect is pending.
    b.events.clear();
    b.session->Connect(QStringLiteral("127.0.0.1"), port);
    b.session->Close();
    ASSERT_EQ(b.Count(PeerEvent::ConnectComplete), 1);
    EXPECT_EQ(b.events.back().result, DPNERR_USERCANCEL);
    EXPECT_TRUE(Drain(net));
    EXPECT_EQ(b.Count(PeerEvent::ConnectComplete), 1);

    // The host raises the limit; every member learns it, and one more fits.
    host.session->SetMaxPlayers(3);
    EXPECT_EQ(Join(net, c, port), S_OK);
    EXPECT_EQ(Join(net, d, port), DPNERR_SESSIONFULL);
    ASSERT_TRUE(Drain(net));
    EXPECT_EQ(a.session->MaxPlayers(), 3);
    EXPECT_EQ(c.session->MaxPlayers(), 3);
    // Names and flags as the host set them.
    const auto info = c.session->GetPeerInfo(host.Id());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, QStringLiteral("Хозяин"));
    EXPECT_EQ(info->flags, DWORD{DPNPLAYER_HOST});
    EXPECT_EQ(c.session->GetPeerInfo(c.Id())->flags, DWORD{DPNPLAYER_LOCAL});
    a.session->SetName(QStringLiteral("Новое"));
    ASSERT_TRUE(Drain(net));
    EXPECT_EQ(c.Count(PeerEvent::PeerInfo, a.Id()), 1);
    EXPECT_EQ(c.session->GetPeerInfo(a.Id())->name, QStringLiteral("Новое"));
    // A limit from a member that is not the host changes nothing elsewhere:
    // the host's successor's waits for the host's departure, anyone else's
    // is refused.
    a.session->SetMaxPlayers(4);
    c.session->SetMaxPlayers(4);
    ASSERT_TRUE(Drain(net));
    EXPECT_EQ(host.session->MaxPlayers(), 3);
    EXPECT_EQ(host.Count(PeerEvent::Warning, a.Id()) + c.Count(PeerEvent::Warning, a.Id()), 0);
    EXPECT_EQ(host.Count(PeerEvent::Warning, c.Id()), 1);
}

TEST(SimSession, LeavingDeliversEverythingAndExpulsionFollowsTheHostsAuthority) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        CSimNetwork net(seed);
        std::deque<SimPeer> p;
        for (int i = 0; i < 4; ++i)
            p.emplace_back(net);
        ASSERT_EQ(p[0].session->Host(0, 4), S_OK);
        const quint16 port = p[0].session->GetLocalHostAddresses().at(0).second;
        for (int i = 1; i < 4; ++i)
            ASSERT_EQ(Join(net, p[i], port), S_OK);
        ASSERT_TRUE(Drain(net));
        // An orderly leave right after five records: all of them arrive first.
        for (int n = 0; n < 5; ++n)
            p[3].session->SendToAll(QByteArray::number(n));
        const DPNID leaver = p[3].Id();
        net.Leave(*p[3].session);
        EXPECT_EQ(p[3].events.back().type, PeerEvent::TerminateSession);
        ASSERT_TRUE(Drain(net));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(p[i].Count(PeerEvent::Receive, leaver), 5);
            EXPECT_EQ(p[i].events.back().type, PeerEvent::DestroyPlayer);
        }
        // Only the host expels, and its successor only the host.
        EXPECT_FALSE(p[2].session->Expel(p[1].Id()));
        EXPECT_FALSE(p[2].session->Expel(p[0].Id()));
        EXPECT_FALSE(p[0].session->Expel(p[0].Id()));
        ASSERT_TRUE(p[1].session->Expel(p[0].Id()));
        ASSERT_TRUE(Drain(net));
        for (int i = 1; i < 3; ++i) {
            EXPECT_EQ(p[i].Count(PeerEvent::DestroyPlayer, p[0].Id()) +
                          p[i].Count(PeerEvent::HostMigrate, p[1].Id()),
                      2);
            EXPECT_EQ(p[i].session->HostPlayer(), p[1].Id());
        }
        // The expelled host goes on alone.
        EXPECT_EQ(p[0].session->Players(), std::vector<DPNID>{p[0].Id()});
        EXPECT_EQ(p[0].Count(PeerEvent::DestroyPlayer, p[1].Id()), 1);
        EXPECT_TRUE(p[1].session->Expel(p[2].Id()));
        ASSERT_TRUE(Drain(net));
        EXPECT_EQ(p[1].session->Players(), std::vector<DPNID>{p[1].Id()});
        // Ids are never given twice: the next joiner of the new host gets a new one.
        SimPeer late(net);
        ASSERT_EQ(Join(net, late, p[1].session->GetLocalHostAddresses().at(0).second), S_OK);
        EXPECT_EQ(late.Id(), 5u);
        if (HasFailure())
            return;
    }
}

// A joiner counts as delivered what the host had when it admitted it, and
// gets every later record, however many were on their way.
TEST(SimSession, AJoinerGetsEveryRecordTheHostHadNotYetDelivered) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        CSimNetwork net(seed);
        SimPeer host(net), b(net), joiner(net);
        ASSERT_EQ(host.session->Host(0, 4), S_OK);
        const quint16 port = host.session->GetLocalHostAddresses().at(0).second;
        ASSERT_EQ(Join(net, b, port), S_OK);
        for (int n = 1; n <= 300; ++n)
            b.session->SendToAll(QByteArray::number(n));
        ASSERT_EQ(Join(net, joiner, port), S_OK);
        ASSERT_TRUE(Drain(net));
        int hadAtAdmission = 0;
        for (const PeerEvent& e : host.events) {
            if (e.type == PeerEvent::CreatePlayer && e.player == joiner.Id())
                break;
            hadAtAdmission += e.type == PeerEvent::Receive;
        }
        std::vector<int> got;
        for (const PeerEvent& e : joiner.events)
            if (e.type == PeerEvent::Receive && e.player == b.Id())
                got.push_back(e.data.toInt());
        ASSERT_EQ(static_cast<int>(got.size()), 300 - hadAtAdmission);
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], hadAtAdmission + 1 + static_cast<int>(i));
        if (HasFailure())
            return;
    }
}

TEST(SimSession, SameSeedReplaysTheSameRun) {
    const auto run = [](std::uint64_t seed) {
        Party party(seed);
        party.Play(40, 2, {30});
        Drain(party.net);
        return party.Trace();
    };
    EXPECT_EQ(run(11), run(11));
    EXPECT_EQ(run(12), run(12));
    EXPECT_NE(run(11), run(12));
}

// The same joins and the same departure of the host over TCP on the loopback
// and in the simulation: the same ids, the same events in the same order,
// the same new host.
TEST(SimSession, JoinsAndHostMigrationMatchTheTcpSession) {
    using namespace sessiontest;
    Peer host, a, b, c;
    const quint16 port = HostOn(host);
    for (Peer* p : {&a, &b, &c})
        ASSERT_EQ(ConnectResult(*p, QStringLiteral("127.0.0.1"), port), S_OK);
    for (Peer* p : {&host, &a, &b})
        ASSERT_TRUE(p->rec.Wait(PeerEvent::CreatePlayer, 5000, c.session.LocalPlayer()));
    host.session.Close();
    for (Peer* p : {&a, &b, &c})
        ASSERT_TRUE(p->rec.Wait(PeerEvent::HostMigrate, 5000));

    CSimNetwork net(3);
    std::deque<SimPeer> sim;
    for (int i = 0; i < 4; ++i)
        sim.emplace_back(net);
    ASSERT_EQ(sim[0].session->Host(0, 4), S_OK);
    const quint16 simPort = sim[0].session->GetLocalHostAddresses().at(0).second;
    for (int i = 1; i < 4; ++i)
        ASSERT_EQ(Join(net, sim[i], simPort), S_OK);
    ASSERT_TRUE(Drain(net));
    sim[0].session->Close();
    ASSERT_TRUE(Drain(net));

    Peer* tcp[] = {&host, &a, &b, &c};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(testing::Message() << "member " << i);
        EXPECT_EQ(Shape(sim[i].events), Shape(tcp[i]->rec.Events()));
    }
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(sim[i].session->HostPlayer(), tcp[i]->session.HostPlayer());
}
