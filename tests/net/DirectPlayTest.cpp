// The session wrapper between two game windows in one process: the posted
// messages, their own copies of records and ids, the members the window
// reads, the log file's bounds.

#include "DirectPlay.h"
#include "TestUtil.h"
#include "Wnd.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

// A game window that takes every post as it arrives, as the real one will.
class PostWnd : public CWnd {
public:
    CDirectPlay* dp = nullptr;
    struct Seen {
        UINT message;
        WPARAM wParam;
        std::optional<CNetPost> post;
    };
    std::vector<Seen> seen;
    int Count(UINT message) const {
        return static_cast<int>(std::count_if(seen.begin(), seen.end(),
                                              [&](const Seen& s) { return s.message == message; }));
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= WM_DP_INDICATE_CONNECT && message <= WM_DP_PEER_INFO)
            seen.push_back({message, wParam, dp->TakePost(lParam)});
        return 0;
    }
};

struct Player {
    PostWnd wnd;
    CDirectPlay dp{&wnd};
    Player() {
        wnd.dp = &dp;
        dp.m_BindAddress = QHostAddress::LocalHost;
    }
};

class DirectPlayTest : public testing::Test {
protected:
    void SetUp() override { qputenv("XDG_STATE_HOME", m_state.path().toLocal8Bit()); }
    QTemporaryDir m_state;
};

} // namespace

TEST_F(DirectPlayTest, EventsAndRecordsReachTheWindowEachWithItsOwnData) {
    Player host, client;
    ASSERT_EQ(host.dp.SetName("\xD5\xEE\xE7\xFF\xE8\xED"), S_OK); // "Хозяин"
    ASSERT_EQ(host.dp.Host(nullptr, 0), S_OK);
    EXPECT_EQ(host.dp.m_SessionState, 1);
    EXPECT_EQ(host.dp.m_CountPlayers, 1);
    const DPNID hostId = host.dp.m_LocalPlayer;
    EXPECT_NE(hostId, 0u);
    QByteArray address;
    DWORD port = 0;
    ASSERT_EQ(host.dp.GetLocalAddress(address, port), S_OK);
    EXPECT_EQ(address, QByteArray("127.0.0.1"));

    ASSERT_EQ(client.dp.Connect("127.0.0.1", port), DPNSUCCESS_PENDING);
    EXPECT_EQ(client.dp.m_ConnectionStatus, 1);
    ASSERT_TRUE(testutil::WaitFor([&] { return client.wnd.Count(WM_DP_CONNECT_COMPLETE) == 1; }));
    ASSERT_EQ(client.wnd.seen.size(), 3u);
    EXPECT_EQ(client.wnd.seen[0].message, WM_DP_CREATE_PLAYER);
    EXPECT_EQ(client.wnd.seen[0].post->player, client.dp.m_LocalPlayer.load());
    EXPECT_EQ(client.wnd.seen[1].post->player, hostId);
    EXPECT_EQ(client.wnd.seen[2].wParam, 0u);
    EXPECT_EQ(client.dp.m_SessionState, 2);
    EXPECT_EQ(client.dp.m_CountPlayers, 2);
    PeerInfo info;
    ASSERT_EQ(client.dp.GetPeerInfo(hostId, info), S_OK);
    EXPECT_EQ(info.name, QStringLiteral("Хозяин"));
    ASSERT_TRUE(testutil::WaitFor([&] { return host.wnd.Count(WM_DP_CREATE_PLAYER) == 2; }));
    EXPECT_EQ(host.dp.m_LastPlayer, client.dp.m_LocalPlayer.load());
    EXPECT_EQ(host.wnd.seen.back().post->player, client.dp.m_LocalPlayer.load());

    // The host seats everyone and tells the client.
    netrec::PlayerOrderRecord order;
    order.seats[0] = {"\xD5\xEE\xE7\xFF\xE8\xED", 0, 0, 5, 0, 0, 0, hostId};
    order.seats[1] = {"Petya", 0, 0, 5, 0, 0, 0, client.dp.m_LocalPlayer};
    for (int c = 0; c < netrec::kCards; ++c)
        order.cards[c] = {BYTE(1 + c % 9), BYTE(1 + c / 9), 10, 255, 255, 0};
    const QByteArray orderBytes = netrec::Build(order);
    EXPECT_EQ(host.dp.SendTo(orderBytes.constData(), orderBytes.size()), S_OK);

    // Two chats and a bad record back to back: each chat keeps its own text,
    // the bad one never reaches the window.
    const QByteArray first = netrec::Build(netrec::ChatRecord{"first", hostId});
    const QByteArray bad = netrec::Build(netrec::GoCardRecord{7, 1, hostId});
    const QByteArray second = netrec::Build(netrec::ChatRecord{"second", hostId});
    host.dp.SendTo(first.constData(), first.size());
    host.dp.SendTo(bad.constData(), bad.size());
    host.dp.SendTo(second.constData(), second.size());
    ASSERT_TRUE(testutil::WaitFor([&] { return client.wnd.Count(WM_DP_RECEIVE) == 3; }));
    std::vector<QByteArray> received;
    for (const auto& s : client.wnd.seen) {
        if (s.message != WM_DP_RECEIVE)
            continue;
        ASSERT_TRUE(s.post);
        EXPECT_EQ(s.wParam, static_cast<WPARAM>(static_cast<BYTE>(s.post->record[0])));
        EXPECT_EQ(s.post->player, hostId);
        received.push_back(s.post->record);
    }
    EXPECT_EQ(received, (std::vector<QByteArray>{orderBytes, first, second}));
    EXPECT_EQ(host.wnd.Count(WM_DP_RECEIVE), 0) << "never echoed";

    // The host goes: the client learns who left by name, that it was the
    // host, and that it is the host now.
    host.dp.Restart("\xD5\xEE\xE7\xFF\xE8\xED");
    ASSERT_TRUE(testutil::WaitFor([&] { return client.wnd.Count(WM_DP_HOST_MIGRATE) == 1; }));
    const auto gone = std::find_if(client.wnd.seen.begin(), client.wnd.seen.end(),
                                   [](const auto& s) { return s.message == WM_DP_DESTROY_PLAYER; });
    ASSERT_NE(gone, client.wnd.seen.end());
    EXPECT_EQ(gone->post->player, hostId);
    EXPECT_STREQ(gone->post->departedName, "\xD5\xEE\xE7\xFF\xE8\xED");
    EXPECT_TRUE(client.dp.m_bHostLeft);
    EXPECT_EQ(client.dp.m_SessionState, 1);
    EXPECT_EQ(client.dp.m_HostPlayer, client.dp.m_LocalPlayer.load());
    EXPECT_EQ(client.dp.m_CountPlayers, 1);
    EXPECT_EQ(host.dp.m_SessionState, 0);
    EXPECT_EQ(host.dp.m_CountPlayers, 0);
}

// The window closing: nothing more is posted to it. (A busy port's warning:
// NetSettingTest.)
TEST_F(DirectPlayTest, AClosedWindowIsPostedNothing) {
    Player p;
    p.dp.SetGameWindow(nullptr);
    EXPECT_EQ(p.dp.Host(nullptr, 0), S_OK);
    QCoreApplication::processEvents();
    EXPECT_TRUE(p.wnd.seen.empty());
    EXPECT_EQ(p.dp.m_CountPlayers, 1);
}

TEST_F(DirectPlayTest, LogGrowsAsWrittenAndStartsAfreshPastItsLimit) {
    const QString path = CNetLog::FilePath();
    EXPECT_TRUE(path.startsWith(m_state.path() + QStringLiteral("/Tavlin2.0/")));
    {
        CNetLog log;
        log.Append("one\r\n");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "written as it grows";
        EXPECT_EQ(f.readAll(), QByteArray("one\r\n"));
    }
    {
        CNetLog log;
        log.Append("two\r\n");
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("one\r\ntwo\r\n"));
    f.close();
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(CNetLog::kLimit, 'x'));
    f.close();
    {
        CNetLog log;
        log.Append("three\r\n");
        EXPECT_EQ(log.Text(), QByteArray("three\r\n"));
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("three\r\n"));
}

TEST_F(DirectPlayTest, LogStaysBoundedWhileTheProgramRuns) {
    const QString path = CNetLog::FilePath();
    {
        CNetLog log;
        // A flood of one refusal: written once, the repeats only counted.
        for (int i = 0; i < 10000; ++i)
            log.AppendRefusal("Ignored - a chat from 3\r\n");
        log.Append("next\r\n");
        EXPECT_EQ(log.Text().count("Ignored - a chat from 3"), 1);
        EXPECT_LT(log.Text().size(), 1000);
        // Lines that all differ: the file turns at the limit instead of growing.
        for (int i = 0; i < 20000; ++i)
            log.Append(QByteArray("record " + QByteArray::number(i) + "\r\n").constData());
        EXPECT_TRUE(log.Text().endsWith("record 19999\r\n"));
    }
    QFile now(path);
    QFile before(path + QStringLiteral(".1"));
    EXPECT_LE(now.size(), CNetLog::kLimit);
    EXPECT_GT(before.size(), CNetLog::kLimit / 2);
    EXPECT_LE(before.size(), CNetLog::kLimit);
    ASSERT_TRUE(now.open(QIODevice::ReadOnly));
    EXPECT_TRUE(now.readAll().endsWith("record 19999\r\n"));
}
