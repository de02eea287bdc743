// The chat panel between tables: what is typed on one reaches the others
// letter by letter, under the writer's name.

#include "NetPeers.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

TEST(NetChat, ThreeLettersTypedReachEveryOtherTableAsThreeRecords) {
    NetPeers peers(3);
    ASSERT_TRUE(peers.WaitIdle());
    std::vector<int> before;
    for (int i = 0; i < peers.Count(); ++i)
        before.push_back(peers.Peer(i).RecordsReceived());
    const int sent = peers.Peer(0).RecordsSent();
    const DPNID writer = peers.Peer(0).m_DirectPlay.m_LocalPlayer;

    // Cyrillic letters, as the players type them: the record carries them
    // in Windows-1251.
    for (const QChar c : QStringLiteral("абв"))
        QTest::sendKeyEvent(QTest::Click, peers.Peer(0).m_Telegraph.m_Edit, Qt::Key_unknown,
                            QString(c), Qt::NoModifier);

    const QString line = peers.Name(0) + QStringLiteral(":абв");
    for (int i = 1; i < peers.Count(); ++i) {
        int seat = 0;
        for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
            if (peers.Table(i).m_Players[s - 1].m_PlayerID == writer)
                seat = s;
        ASSERT_NE(seat, 0) << i;
        QLabel* shown = peers.Peer(i).m_Telegraph.m_Lines[seat - 2];
        EXPECT_TRUE(testutil::WaitFor([&] { return shown->text() == line; }))
            << shown->text().toStdString();
    }
    ASSERT_TRUE(peers.WaitIdle());
    EXPECT_EQ(peers.Peer(0).RecordsSent() - sent, 3);
    for (int i = 1; i < peers.Count(); ++i)
        EXPECT_EQ(peers.Peer(i).RecordsReceived() - before[static_cast<size_t>(i)], 3) << i;
}
