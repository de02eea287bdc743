// Real peers in real processes over loopback: membership, ordering, limits,
// crashes, stopped peers and hostile bytes on the port.

#include "ProbeProcess.h"
#include "SessionWire.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QtEndian>
#include <csignal>
#include <map>
#include <memory>

namespace {

using Probes = std::vector<std::unique_ptr<ProbeProcess>>;

std::unique_ptr<ProbeProcess> Join(quint16 port, const QString& name) {
    return std::make_unique<ProbeProcess>(QStringList{
        QStringLiteral("join"), QStringLiteral("127.0.0.1"), QString::number(port), name});
}

// A host and count-1 joins, each join complete before the next starts.
Probes Session(int count, int max = 4) {
    Probes p;
    p.push_back(
        std::make_unique<ProbeProcess>(QStringList{QStringLiteral("host"), QStringLiteral("0"),
                                                   QString::number(max), QStringLiteral("Host")}));
    const quint16 port = p[0]->HostedPort();
    EXPECT_NE(port, 0);
    for (int i = 1; i < count; ++i) {
        p.push_back(Join(port, QStringLiteral("Peer%1").arg(i)));
        EXPECT_TRUE(p.back()->WaitLine(QStringLiteral("complete ")));
        EXPECT_EQ(p.back()->Find(QStringLiteral("complete ")), QStringLiteral("0"));
    }
    for (auto& probe : p) {
        EXPECT_TRUE(probe->WaitLine(
            [&](const QString&) { return probe->Count(QStringLiteral("create ")) >= count; }));
    }
    return p;
}

// "me <id> host <id> port <p> max <n> players ..." split into its fields.
std::map<QString, QString> Fields(const QString& me) {
    const QStringList f = me.split(u' ');
    std::map<QString, QString> out;
    for (qsizetype i = 0; i + 1 < f.size() && f[i] != QLatin1String("players"); i += 2)
        out[f[i]] = f[i + 1];
    out[QStringLiteral("players")] = me.section(QStringLiteral(" players"), 1);
    return out;
}

quint32 Word(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

bool WaitAll(const Probes& p, const std::function<bool(ProbeProcess&)>& cond, int timeoutMs) {
    for (auto& probe : p) {
        if (!probe || probe->Pid() == 0)
            continue;
        if (!probe->WaitLine([&](const QString&) { return cond(*probe); }, timeoutMs))
            return false;
    }
    return true;
}

qint64 RssKb(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

TEST(MultiProcess, FourPeersAgreeOnMembersAndDeliverInSenderAndCausalOrder) {
    Probes p = Session(4);
    const auto first = Fields(p[0]->WhoAmI());
    std::set<QString> ids;
    for (auto& probe : p) {
        const auto me = Fields(probe->WhoAmI());
        EXPECT_EQ(me.at(QStringLiteral("host")), first.at(QStringLiteral("host")));
        EXPECT_EQ(me.at(QStringLiteral("players")), first.at(QStringLiteral("players")));
        EXPECT_NE(me.at(QStringLiteral("me")), QStringLiteral("0"));
        ids.insert(me.at(QStringLiteral("me")));
    }
    EXPECT_EQ(ids.size(), 4u);
    auto fifth = Join(p[0]->HostedPort(), QStringLiteral("Fifth"));
    ASSERT_TRUE(fifth->WaitLine(QStringLiteral("complete ")));
    EXPECT_EQ(fifth->Find(QStringLiteral("complete ")), QStringLiteral("80158610"));
    EXPECT_EQ(first.at(QStringLiteral("host")), Fields(p[0]->WhoAmI()).at(QStringLiteral("me")));

    constexpr int kRounds = 4;
    const int perRound = ZANTA_NET_RECORDS / kRounds;
    for (int r = 0; r < kRounds; ++r) {
        for (auto& probe : p) {
            probe->Command(QStringLiteral("send %1").arg(perRound));
            probe->Command(QStringLiteral("ask"));
        }
    }
    const int records = perRound * kRounds * 3, asks = kRounds * 3, answers = kRounds * 9;
    ASSERT_TRUE(WaitAll(
        p,
        [&](ProbeProcess& pr) {
            return pr.Count(QStringLiteral("recv ")) >= records + asks + answers;
        },
        60000));

    for (auto& probe : p) {
        std::map<quint32, quint32> lastCounter; // sender -> its last counter
        std::set<std::pair<quint32, quint32>> questions;
        const quint32 me = Fields(probe->WhoAmI()).at(QStringLiteral("me")).toUInt();
        int got = 0;
        for (const QString& line : probe->Lines()) {
            if (!line.startsWith(QLatin1String("recv ")))
                continue;
            ++got;
            const quint32 from = line.section(u' ', 1, 1).toUInt();
            const QByteArray rec = QByteArray::fromHex(line.section(u' ', 2, 2).toLatin1());
            ASSERT_EQ(rec.size(), 12) << line.toStdString();
            EXPECT_NE(from, me) << "a record came back to its sender";
            if (rec[0] == 'R' || rec[0] == 'Q') {
                EXPECT_EQ(Word(rec, 4), lastCounter[from] + 1)
                    << "sender order broken from " << from;
                lastCounter[from] = Word(rec, 4);
                if (rec[0] == 'Q')
                    questions.insert({from, Word(rec, 4)});
            } else if (rec[0] == 'A' && Word(rec, 4) != me) {
                EXPECT_TRUE(questions.count({Word(rec, 4), Word(rec, 8)}))
                    << "an answer overtook its question on peer " << me;
            }
        }
        EXPECT_EQ(got, records + asks + answers);
    }
}

TEST(MultiProcess, LimitRefusesJoinsAndSurvivesHostMigration) {
    Probes p = Session(3, 4);
    p[0]->Command(QStringLiteral("max 3")); // those present
    ASSERT_TRUE(WaitAll(
        p, [](ProbeProcess& pr) { return pr.WhoAmI().contains(QLatin1String(" max 3 ")); }, 8000));
    const quint16 port = p[0]->HostedPort();
    auto refused = Join(port, QStringLiteral("Late"));
    ASSERT_TRUE(refused->WaitLine(QStringLiteral("complete ")));
    EXPECT_EQ(refused->Find(QStringLiteral("complete ")), QStringLiteral("80158610"));

    const QString oldHost = Fields(p[0]->WhoAmI()).at(QStringLiteral("me"));
    p[0]->Kill(SIGKILL);
    p.erase(p.begin());
    QString newHost;
    for (auto& probe : p) {
        ASSERT_TRUE(probe->WaitLine(QStringLiteral("destroy ") + oldHost, 5000));
        ASSERT_TRUE(probe->WaitLine(QStringLiteral("host "), 2000));
        const QString h = probe->Find(QStringLiteral("host "));
        if (newHost.isEmpty())
            newHost = h;
        EXPECT_EQ(h, newHost);
    }
    // Broadcasts go on between the survivors.
    p[0]->Command(QStringLiteral("send 5"));
    p[1]->Command(QStringLiteral("send 5"));
    ASSERT_TRUE(WaitAll(
        p, [](ProbeProcess& pr) { return pr.Count(QStringLiteral("recv ")) >= 5; }, 8000));

    // The new host takes a newcomer, then refuses the next: the maximum of 3 stayed.
    ProbeProcess* hostProbe = nullptr;
    for (auto& probe : p) {
        if (Fields(probe->WhoAmI()).at(QStringLiteral("me")) == newHost)
            hostProbe = probe.get();
    }
    ASSERT_NE(hostProbe, nullptr);
    const quint16 newPort = Fields(hostProbe->WhoAmI()).at(QStringLiteral("port")).toUShort();
    auto newcomer = Join(newPort, QStringLiteral("New"));
    ASSERT_TRUE(newcomer->WaitLine(QStringLiteral("complete ")));
    EXPECT_EQ(newcomer->Find(QStringLiteral("complete ")), QStringLiteral("0"));
    const auto joined = Fields(newcomer->WhoAmI());
    EXPECT_EQ(joined.at(QStringLiteral("host")), newHost);
    EXPECT_GT(joined.at(QStringLiteral("me")).toUInt(), 3u) << "an id was reused";
    auto fourth = Join(newPort, QStringLiteral("Over"));
    ASSERT_TRUE(fourth->WaitLine(QStringLiteral("complete ")));
    EXPECT_EQ(fourth->Find(QStringLiteral("complete ")), QStringLiteral("80158610"));
}

TEST(MultiProcess, KilledOrStoppedPeerIsNoticedByEverySurvivorWithinFiveSeconds) {
    Probes p = Session(4);
    const QString killed = Fields(p[3]->WhoAmI()).at(QStringLiteral("me"));
    const QString stopped = Fields(p[2]->WhoAmI()).at(QStringLiteral("me"));
    QElapsedTimer clock;
    clock.start();
    p[3]->Kill(SIGKILL);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(p[i]->WaitLine(QStringLiteral("destroy ") + killed, 5000 - clock.elapsed()));

    clock.restart();
    p[2]->Kill(SIGSTOP);
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(p[i]->WaitLine(QStringLiteral("destroy ") + stopped, 5000 - clock.elapsed()))
            << "stopped peer not noticed";
    p[2]->Kill(SIGKILL);
}

TEST(MultiProcess, RecordOfASenderThatReachedOnlyOnePeerReachesEverySurvivor) {
    Probes p = Session(4);
    const QString target = Fields(p[1]->WhoAmI()).at(QStringLiteral("me"));
    const QString sender = Fields(p[3]->WhoAmI()).at(QStringLiteral("me"));
    p[3]->Command(QStringLiteral("partial ") + target);
    // Agreement is not a matter of time: the waits only bound a loaded machine.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(p[i]->WaitLine(QStringLiteral("recv %1 50").arg(sender), 15000)) << "peer " << i;
        ASSERT_TRUE(p[i]->WaitLine(QStringLiteral("destroy ") + sender, 15000)) << "peer " << i;
        EXPECT_EQ(p[i]->Count(QStringLiteral("recv ")), 1);
    }
}

TEST(MultiProcess, HostilePortKeepsTheHostInItsSessionWithFlatMemory) {
    Probes p = Session(2);
    const quint16 port = p[0]->HostedPort();
    const qint64 pid = p[0]->Pid();
    const qint64 before = RssKb(pid);

    auto hit = [&](const QByteArray& bytes) {
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!s.waitForConnected(2000))
            return;
        s.write(bytes);
        s.waitForBytesWritten(1000);
        s.waitForDisconnected(200);
    };
    QByteArray huge(4, '\0');
    qToLittleEndian<quint32>(1u << 30, huge.data());
    QByteArray join = sessionwire::EncodeJoin({1234, "x"});
    QByteArray wrongGuid = join;
    wrongGuid[4 + 1 + 4 + 2] = char(0x42);
    QByteArray stranger = sessionwire::EncodeHello({99, 1});
    QByteArray data = sessionwire::EncodeData({1, 1, sessionwire::UserRecord, {}, "x"});
    for (int round = 0; round < ZANTA_NET_HOSTILE_ROUNDS; ++round) {
        hit(QByteArray("GET / HTTP/1.0\r\n\r\n") + QByteArray(3000, 'x'));
        hit(join.left(join.size() / 2)); // half a handshake
        hit(huge + QByteArray(60000, 'y'));
        hit(wrongGuid);
        hit(stranger);
        hit(data); // records before any handshake
        hit(QByteArray(1, '\0'));
    }
    // A flood of connects that say nothing.
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < 64; ++i) {
        flood.push_back(std::make_unique<QTcpSocket>());
        flood.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    for (auto& s : flood)
        s->waitForConnected(1000);

    p[1]->Command(QStringLiteral("send 3"));
    ASSERT_TRUE(p[0]->WaitLine(
        [&](const QString&) { return p[0]->Count(QStringLiteral("recv ")) >= 3; }, 8000));
    flood.clear();
    auto newcomer = Join(port, QStringLiteral("After"));
    ASSERT_TRUE(newcomer->WaitLine(QStringLiteral("complete "), 8000));
    EXPECT_EQ(newcomer->Find(QStringLiteral("complete ")), QStringLiteral("0"));
    EXPECT_EQ(p[0]->Count(QStringLiteral("destroy ")), 0);
    EXPECT_EQ(p[0]->Count(QStringLiteral("terminate")), 0);
    const qint64 after = RssKb(pid);
    ASSERT_GT(before, 0);
    EXPECT_LT(after - before, 16 * 1024) << "host grew from " << before << " to " << after << " kB";
}
