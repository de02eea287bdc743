// A member that lies, and a stranger on the port, against honest peers: no
// record is taken as another member's, membership changes only on the word
// of those entitled to it, and nobody blocks the port for the others.

#include "HostileMember.h"
#include "PeerSession.h"
#include "SessionPeers.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <thread>

using namespace sessiontest;
using namespace sessionwire;

namespace {

// Holds true for the whole time.
template <typename Cond>
bool Throughout(Cond cond, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (!cond())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool Warned(Recorder& rec, const char* what) {
    for (const PeerEvent& e : rec.Events())
        if (e.type == PeerEvent::Warning && e.data.contains(what))
            return true;
    return false;
}

// The host and two clients, all honest, and a liar among them.
struct Table {
    Peer host, a, b;
    HostileMember liar;
    quint16 port = 0;

    Table() {
        port = HostOn(host);
        EXPECT_EQ(ConnectResult(a, QStringLiteral("127.0.0.1"), port), S_OK);
        EXPECT_EQ(ConnectResult(b, QStringLiteral("127.0.0.1"), port), S_OK);
        EXPECT_TRUE(liar.Join(port));
        for (Peer* p : {&a, &b})
            EXPECT_TRUE(p->rec.Wait(PeerEvent::CreatePlayer, 5000, liar.Id()));
        // Every honest peer has answered the liar's greeting.
        for (int i = 1; i <= 3; ++i) {
            host.session.SendToAll(QByteArray("warm") + char('0' + i));
            a.session.SendToAll("a");
        }
        EXPECT_TRUE(b.rec.WaitRecords(Host(), 3));
        EXPECT_TRUE(b.rec.WaitRecords(A(), 3));
    }
    DPNID Host() { return host.session.LocalPlayer(); }
    DPNID A() { return a.session.LocalPlayer(); }
    DPNID B() { return b.session.LocalPlayer(); }
};

DataFrame Frame(DPNID origin, std::uint32_t seq, DataKind kind, QByteArray payload) {
    DataFrame f;
    f.origin = origin;
    f.seq = seq;
    f.kind = kind;
    f.payload = std::move(payload);
    return f;
}

} // namespace

TEST(HostileSession, AForgedRecordOfAnotherMemberIsNeverDeliveredAndCostsTheForger) {
    Table t;
    ASSERT_TRUE(testutil::WaitFor([&] { return t.liar.LastSeq(t.A()) >= 3; }, 8000));
    // a's next number, to b alone, before a itself uses it: b takes a's own.
    t.liar.SendFrame(Frame(t.A(), t.liar.LastSeq(t.A()) + 1, UserRecord, "forged"), t.B());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    t.a.session.SendToAll("real a");
    ASSERT_TRUE(t.b.rec.WaitRecords(t.A(), 4));
    EXPECT_EQ(t.b.rec.From(t.A()).back(), QByteArray("real a"));
    EXPECT_TRUE(t.b.rec.Wait(PeerEvent::DestroyPlayer, 5000, t.liar.Id())) << "b drops the forger";
    EXPECT_TRUE(Warned(t.b.rec, "differs from its sender's own"));

    // The host's next number, to everyone: the host knows it never sent it,
    // and its word removes the forger everywhere.
    ASSERT_TRUE(testutil::WaitFor([&] { return t.liar.LastSeq(t.Host()) >= 3; }, 8000));
    t.liar.SendFrame(Frame(t.Host(), t.liar.LastSeq(t.Host()) + 1, UserRecord, "forged"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    t.host.session.SendToAll("real host");
    for (Peer* p : {&t.a, &t.b}) {
        ASSERT_TRUE(p->rec.WaitRecords(t.Host(), 4));
        EXPECT_EQ(p->rec.From(t.Host()).back(), QByteArray("real host"));
        EXPECT_TRUE(p->rec.Wait(PeerEvent::DestroyPlayer, 5000, t.liar.Id()));
    }
    EXPECT_TRUE(Warned(t.host.rec, "differs from its sender's own"));
    // The honest ones still hear each other, and nothing forged was taken.
    t.b.session.SendToAll("after");
    ASSERT_TRUE(t.a.rec.WaitRecords(t.B(), 1));
    ASSERT_TRUE(t.host.rec.WaitRecords(t.B(), 1));
    for (Peer* p : {&t.host, &t.a, &t.b}) {
        EXPECT_EQ(p->session.Players().size(), 3u);
        for (DPNID from : {t.Host(), t.A()})
            for (const QByteArray& r : p->rec.From(from))
                EXPECT_NE(r, QByteArray("forged"));
    }
}

TEST(HostileSession, AStrangerOnAClientsPortIsNeverHeard) {
    Peer host, a;
    const quint16 port = HostOn(host);
    ASSERT_EQ(ConnectResult(a, QStringLiteral("127.0.0.1"), port), S_OK);
    HostileMember stranger;
    ASSERT_TRUE(stranger.Greet(a.session.GetLocalHostAddresses().at(0).second, 50,
                               a.session.LocalPlayer()));
    // Records "from the host" with every number it may use next.
    for (std::uint32_t seq = 1; seq <= 300; ++seq)
        stranger.SendFrame(Frame(host.session.LocalPlayer(), seq, UserRecord, "stranger"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (int i = 0; i < 3; ++i)
        host.session.SendToAll("host " + QByteArray::number(i));
    ASSERT_TRUE(a.rec.WaitRecords(host.session.LocalPlayer(), 3));
    EXPECT_TRUE(Throughout([&] { return a.rec.From(host.session.LocalPlayer()).size() == 3; }, 500));
    EXPECT_EQ(a.rec.From(host.session.LocalPlayer()),
              (std::vector<QByteArray>{"host 0", "host 1", "host 2"}));
    EXPECT_EQ(a.session.Players().size(), 2u);
}

TEST(HostileSession, MembershipChangesOnlyOnTheHostsWord) {
    Table t;
    const DPNID ghost = t.liar.Id() + 20;
    t.liar.SendOwn(MemberGone, EncodeU32(t.A()));
    t.liar.SendOwn(MemberGone, EncodeU32(t.Host()));
    t.liar.SendOwn(MemberAdded, EncodeMember(MemberEntry{ghost, 1, "127.0.0.1", "Ghost"}));
    t.liar.SendOwn(MaxPlayers, EncodeU32(1));
    // Nobody is removed or invented, and the host stays.
    EXPECT_TRUE(Throughout(
        [&] {
            for (Peer* p : {&t.host, &t.a, &t.b})
                if (p->session.Players().size() != 4u || p->session.HostPlayer() != t.Host() ||
                    p->rec.Count(PeerEvent::HostMigrate) != 0 ||
                    p->rec.Count(PeerEvent::CreatePlayer, ghost) != 0)
                    return false;
            return true;
        },
        3000));
    EXPECT_TRUE(Warned(t.b.rec, "not the host"));
    EXPECT_TRUE(Warned(t.a.rec, "still here"));
    // The liar's limit did not stick: a new player may join the free seat.
    t.b.session.Close();
    ASSERT_TRUE(t.host.rec.Wait(PeerEvent::DestroyPlayer, 5000, t.B()));
    Peer c;
    EXPECT_EQ(ConnectResult(c, QStringLiteral("127.0.0.1"), t.port), S_OK);
}

TEST(HostileSession, ADepartureTheHostDeclaresStandsAndOnlyTheEntitledMayDeclareOne) {
    Table t;
    EXPECT_FALSE(t.a.session.Expel(t.B())) << "a member that is not the host";
    EXPECT_FALSE(t.b.session.Expel(t.Host())) << "not the host's successor";
    ASSERT_TRUE(t.host.session.Expel(t.liar.Id()));
    for (Peer* p : {&t.a, &t.b})
        EXPECT_TRUE(p->rec.Wait(PeerEvent::DestroyPlayer, 5000, t.liar.Id()));
    EXPECT_TRUE(testutil::WaitFor([&] { return !t.liar.Connected(); }, 8000));
    // The successor (the earliest joiner) may declare the host gone.
    ASSERT_TRUE(t.a.session.Expel(t.Host()));
    EXPECT_TRUE(t.b.rec.Wait(PeerEvent::HostMigrate, 5000, t.A()));
    EXPECT_EQ(t.b.session.HostPlayer(), t.A());
}

TEST(HostileSession, ARecordAheadOfItsSendersPreviousOneWaitsForIt) {
    Table t;
    const DPNID liar = t.liar.Id();
    t.liar.SendFrame(Frame(liar, 2, UserRecord, "second"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(t.a.rec.From(liar).empty());
    t.liar.SendFrame(Frame(liar, 1, UserRecord, "first"));
    for (Peer* p : {&t.host, &t.a, &t.b}) {
        ASSERT_TRUE(p->rec.WaitRecords(liar, 2));
        EXPECT_EQ(p->rec.From(liar), (std::vector<QByteArray>{"first", "second"}));
    }
}

TEST(HostileSession, SilentConnectionsFromOneAddressDoNotBlockJoins) {
    Peer host;
    const quint16 port = HostOn(host);
    HostileMember squatter;
    EXPECT_LE(squatter.HoldSilent(port, 16, QHostAddress(QStringLiteral("127.0.0.2"))), 4);
    Peer a;
    EXPECT_EQ(ConnectResult(a, QStringLiteral("127.0.0.1"), port), S_OK);
}
