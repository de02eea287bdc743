// Several peers in one process: the order of session events, the results of
// connects, names, and leaving in order.

#include "PeerSession.h"
#include "SessionPeers.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>

using namespace sessiontest;

TEST(PeerSession, JoinReportsLocalPlayerFirstThenOthersThenCompletion) {
    Peer host, a, b;
    host.session.SetName(QStringLiteral("Хозяин"));
    const quint16 port = HostOn(host);
    ASSERT_EQ(host.rec.Events().at(0).type, PeerEvent::CreatePlayer);
    EXPECT_EQ(host.rec.Events().at(0).player, host.session.LocalPlayer());
    EXPECT_NE(host.session.LocalPlayer(), 0u);

    ASSERT_EQ(ConnectResult(a, QStringLiteral("127.0.0.1"), port), S_OK);
    b.session.SetName(QStringLiteral("Бета"));
    ASSERT_EQ(ConnectResult(b, QStringLiteral("localhost"), port), S_OK);

    const auto events = b.rec.Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].type, PeerEvent::CreatePlayer);
    EXPECT_EQ(events[0].player, b.session.LocalPlayer());
    EXPECT_EQ(events[1].type, PeerEvent::CreatePlayer);
    EXPECT_EQ(events[2].type, PeerEvent::CreatePlayer);
    EXPECT_EQ(events[3].type, PeerEvent::ConnectComplete);
    std::set<DPNID> ids{events[0].player, events[1].player, events[2].player};
    EXPECT_EQ(ids, (std::set<DPNID>{host.session.LocalPlayer(), a.session.LocalPlayer(),
                                    b.session.LocalPlayer()}));
    EXPECT_FALSE(ids.count(0));

    // Everyone learns of b; names and flags read the same everywhere.
    ASSERT_TRUE(a.rec.Wait(PeerEvent::CreatePlayer, 5000, b.session.LocalPlayer()));
    for (Peer* p : {&host, &a, &b}) {
        const auto info = p->session.GetPeerInfo(b.session.LocalPlayer());
        ASSERT_TRUE(info);
        EXPECT_EQ(info->name, QStringLiteral("Бета"));
        const auto hostInfo = p->session.GetPeerInfo(host.session.LocalPlayer());
        ASSERT_TRUE(hostInfo);
        EXPECT_TRUE(hostInfo->flags & DPNPLAYER_HOST);
        EXPECT_EQ(p->session.HostPlayer(), host.session.LocalPlayer());
        const auto addr = p->session.GetPeerAddress(a.session.LocalPlayer());
        ASSERT_TRUE(addr);
        EXPECT_EQ(addr->first, QStringLiteral("127.0.0.1"));
    }
    EXPECT_EQ(host.session.GetPeerInfo(host.session.LocalPlayer())->flags,
              DPNPLAYER_LOCAL | DPNPLAYER_HOST);

    // A name change reaches the others as peer information.
    a.session.SetName(QStringLiteral("Новое имя"));
    ASSERT_TRUE(b.rec.Wait(PeerEvent::PeerInfo, 5000, a.session.LocalPlayer()));
    EXPECT_EQ(b.session.GetPeerInfo(a.session.LocalPlayer())->name, QStringLiteral("Новое имя"));

    // Records reach the others whole; one too long is refused. (Never echoed,
    // in order, through the host's departure: MultiProcess.)
    ASSERT_TRUE(a.session.SendToAll(QByteArray("\x04\x01\x02", 3)));
    ASSERT_TRUE(b.rec.WaitRecords(a.session.LocalPlayer(), 1, 5000));
    EXPECT_EQ(b.rec.From(a.session.LocalPlayer()).front(), QByteArray("\x04\x01\x02", 3));
    EXPECT_FALSE(a.session.SendToAll(QByteArray(2000, 'x')));

    // An orderly leave: the others see the departure, the leaver its own end.
    const DPNID aId = a.session.LocalPlayer();
    a.session.Close();
    EXPECT_EQ(a.rec.Count(PeerEvent::TerminateSession), 1);
    EXPECT_FALSE(a.session.SendToAll("x"));
    ASSERT_TRUE(host.rec.Wait(PeerEvent::DestroyPlayer, 3000, aId));
    ASSERT_TRUE(b.rec.Wait(PeerEvent::DestroyPlayer, 3000, aId));
    EXPECT_EQ(b.rec.Count(PeerEvent::HostMigrate), 0);

    // A name changed once the host has admitted the joiner under the name
    // it asked with, and before the joiner hears so, is the one the others
    // end up with.
    Peer d;
    d.session.SetName(QStringLiteral("Старое"));
    const int admitted = host.rec.Count(PeerEvent::IndicateConnect);
    ASSERT_EQ(d.session.Connect(QStringLiteral("127.0.0.1"), port), DPNSUCCESS_PENDING);
    ASSERT_TRUE(testutil::WaitFor([&] { return host.rec.Count(PeerEvent::IndicateConnect) > admitted; }, 5000));
    d.session.SetName(QStringLiteral("Новое"));
    ASSERT_TRUE(d.rec.Wait(PeerEvent::ConnectComplete, 8000));
    for (Peer* p : {&host, &b})
        EXPECT_TRUE(testutil::WaitFor([&] {
            const auto info = p->session.GetPeerInfo(d.session.LocalPlayer());
            return info && info->name == QStringLiteral("Новое");
        }, 8000));
}

TEST(PeerSession, ConnectResultsArriveWithinTheirTime) {
    // A port nobody listens on.
    quint16 closedPort = 0;
    {
        QTcpServer s;
        ASSERT_TRUE(s.listen(QHostAddress::LocalHost));
        closedPort = s.serverPort();
    }
    QElapsedTimer clock;
    clock.start();
    {
        Peer p;
        EXPECT_EQ(ConnectResult(p, QStringLiteral("127.0.0.1"), closedPort), DPNERR_NOCONNECTION);
    }
    {
        Peer p;
        EXPECT_EQ(ConnectResult(p, QStringLiteral("no-such-host.invalid"), 2301, 12000),
                  DPNERR_INVALIDHOSTADDRESS);
    }
    EXPECT_LT(clock.elapsed(), 8000);

    // A listener that accepts and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    {
        Peer p;
        clock.restart();
        EXPECT_EQ(ConnectResult(p, QStringLiteral("127.0.0.1"), silent.serverPort(), 9000),
                  DPNERR_NORESPONSE);
        EXPECT_GE(clock.elapsed(), 4500);
        EXPECT_LT(clock.elapsed(), 7000);
    }
    // Closing while the connect is pending.
    {
        Peer p;
        EXPECT_EQ(p.session.Connect(QStringLiteral("127.0.0.1"), silent.serverPort()),
                  DPNSUCCESS_PENDING);
        p.session.Close();
        const auto e = p.rec.Wait(PeerEvent::ConnectComplete, 3000);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->result, DPNERR_USERCANCEL);
    }
}
