// Players coming to a table: the first deal offered, joins refused or
// seated to sit out, several joins at once.

#include "NetPeers.h"

#include "ConnectGameDlg.h"
#include "DlgUtil.h"
#include "NetCommands.h"
#include "NetSetting.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
// The cards dealt to the table's own seat and not yet played: in the hand, or
// laid out face up by a zanta.
int HandOf(CPublic& t) {
    int n = 0;
    for (CCard* c : t.m_Pack.m_Cards)
        n += (c->m_Place == e_Hand || c->m_Place == e_Going) && c->m_Player == 1;
    return n;
}

// A game is under way: cards lie on the table and nobody is offered the next
// deal (a zanta lays its cards out too, and ends a game to 31 at once).
bool MidGame(NetPeers& peers) {
    if (peers.Table(0).GetNumberCardsOnTable() == 0)
        return false;
    for (int i = 0; i < peers.Count(); ++i)
        if (peers.Message(i) == QStringLiteral("Вам сдавать!"))
            return false;
    return true;
}
} // namespace

TEST(NetJoin, ALoneHostCannotDeal) {
    NetPeers peers(1);
    ASSERT_TRUE(peers.WaitIdle());
    EXPECT_EQ(peers.Message(0), QStringLiteral("Ждем подключения игроков!"));
    peers.Peer(0).OnCommand(netcmd::ID_NEW_PARTY);
    QTest::keyClick(&peers.Peer(0), Qt::Key_F2);
    EXPECT_TRUE(testutil::WaitFor([&] {
        return peers.Notices().contains(
            QStringLiteral("Игру начать нельзя! В игре только один игрок!"));
    }));
    ASSERT_TRUE(peers.WaitIdle());
    EXPECT_EQ(peers.Table(0).m_NumberGame, 0);
    EXPECT_EQ(HandOf(peers.Table(0)), 0);
}

TEST(NetJoin, LockAddPlayersRefusesAJoinAfterTheFirstDeal) {
    NetPeers peers(2);
    peers.SetStars(1);
    peers.Peer(0).PressButton();
    ASSERT_TRUE(peers.WaitSettled());
    EXPECT_FALSE(peers.Join(3000));
    EXPECT_EQ(peers.Peer(2).NumberPlayers(), 1);
    EXPECT_TRUE(
        peers.Notices().contains(QStringLiteral("В игре уже максимальное количество игроков!")));
    EXPECT_EQ(peers.Peer(2).m_DirectPlay.m_ConnectionStatus, 0);
    peers.Drop(2);
    EXPECT_EQ(peers.Peer(0).NumberPlayers(), 2);
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

TEST(NetJoin, AJoinDuringAGameSitsOutWithTheWholeTableAndPlaysTheNextParty) {
    NetPeers peers(2, true, 3);
    peers.SetStars(1);
    peers.SetLockAddPlayers(false);
    ASSERT_EQ(peers.PlayUntil([&] { return MidGame(peers); }).toStdString(), "");
    ASSERT_TRUE(peers.Join());
    peers.SetStars(1);
    ASSERT_TRUE(peers.WaitSettled());
    EXPECT_EQ(peers.Message(2), QStringLiteral("Ждите начала новой партии!"));
    EXPECT_EQ(HandOf(peers.Table(2)), 0);
    // The trump card under the pack shows its face there too.
    const CCard* trump = peers.Table(2).m_Pack.m_Cards.back();
    ASSERT_EQ(trump->m_Place, e_Pack);
    EXPECT_TRUE(trump->IsFaceShown());
    EXPECT_TRUE(peers.Table(0).m_Pack.m_Cards.back()->IsFaceShown());
    // Cards, seats and scores as the others have them.
    EXPECT_EQ(peers.Peer(2).DumpTable().section('\n', 1).toStdString(),
              peers.Peer(0).DumpTable().section('\n', 1).toStdString());
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
    // Dealt in from the next party.
    ASSERT_EQ(
        peers
            .PlayUntil(
                [&] { return peers.Table(0).m_NumberGame == 1 && !peers.Peer(0).WaitsForPeers(); },
                3)
            .toStdString(),
        "");
    EXPECT_GT(HandOf(peers.Table(2)), 0);
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
}

TEST(NetJoin, TwoJoinsWhileTheHostWaitsAreSeatedInTheirOrder) {
    NetPeers peers(2);
    peers.SetLockAddPlayers(false);
    // A deal without a zanta, so that the game is still on when they come.
    CPack::m_Shuffle = testutil::ShuffleSeed(peers.Count(), false);
    // The second table holds the deal's barrier open.
    peers.Peer(1).m_PacePercent = 100000;
    peers.Peer(0).PressButton();
    ASSERT_TRUE(testutil::WaitFor([&] { return peers.Peer(0).WaitsForPeers(); }));
    CPlayNet& first = peers.Connect();
    ASSERT_TRUE(
        testutil::WaitFor([&] { return first.m_DirectPlay.m_ConnectionStatus == 2; }, 10000));
    CPlayNet& second = peers.Connect();
    ASSERT_TRUE(
        testutil::WaitFor([&] { return second.m_DirectPlay.m_ConnectionStatus == 2; }, 10000));
    EXPECT_EQ(peers.Peer(0).NumberPlayers(), 2);
    peers.Peer(1).m_PacePercent = 2;
    ASSERT_TRUE(testutil::WaitFor([&] { return peers.Peer(1).RunOut(CPlayNet::TIMER_END_DISTR); }));
    ASSERT_TRUE(peers.WaitSeated(4));
    ASSERT_TRUE(peers.WaitSettled());
    EXPECT_EQ(peers.Table(0).m_Players[2].m_PlayerID, first.m_DirectPlay.m_LocalPlayer.load());
    EXPECT_EQ(peers.Table(0).m_Players[3].m_PlayerID, second.m_DirectPlay.m_LocalPlayer.load());
    EXPECT_EQ(peers.Message(2), QStringLiteral("Ждите начала новой партии!"));
    EXPECT_EQ(peers.Message(3), QStringLiteral("Ждите начала новой партии!"));
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
}

TEST(NetJoin, AJoinDuringAPartyWithoutTheStarsGameBringsEveryonesStars) {
    // Without the stars game a party starts from 1000 stars each, which a
    // star row keeps as a signed byte: -24, then -25 or -23 after a game.
    NetPeers peers(2, true, 5);
    peers.SetStars(CPlayNet::kStarsNoGame);
    peers.SetLockAddPlayers(false);
    // The deals follow from a fixed shuffle: a zanta in the second game would
    // end it before anybody plays, and the moment waited for would not come.
    CPack::m_Shuffle = testutil::ShuffleSeed(peers.Count(), false);
    ASSERT_EQ(peers.PlayUntil([&] { return peers.Table(0).m_NumberGame == 2 && MidGame(peers); })
                  .toStdString(),
              "")
        << peers.State().toStdString();
    const int hostStars = peers.Table(0).m_Players[0].m_Star.GetNumberStars();
    EXPECT_LT(hostStars, 0);
    ASSERT_TRUE(peers.Join());
    peers.SetStars(CPlayNet::kStarsNoGame);
    ASSERT_TRUE(peers.WaitSettled());
    for (int i = 1; i < peers.Count(); ++i) {
        const CPublic& t = peers.Table(i);
        int seat = 0;
        for (int s = 1; s <= CPublic::kMaxPlayers; ++s)
            if (t.m_Players[s - 1].m_PlayerID == peers.Peer(0).m_DirectPlay.m_LocalPlayer)
                seat = s;
        ASSERT_NE(seat, 0) << i;
        EXPECT_EQ(t.m_Players[seat - 1].m_Star.GetNumberStars(), hostStars) << i;
    }
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
    // The party goes on into its next game, nobody dropped.
    ASSERT_EQ(peers.PlayUntil([&] { return peers.Table(0).m_NumberGame == 3 && MidGame(peers); })
                  .toStdString(),
              "");
    for (int i = 0; i < peers.Count(); ++i)
        EXPECT_EQ(peers.Peer(i).NumberPlayers(), 3) << i;
}

TEST(NetJoin, AJoinThatFailsSaysWhyAndTheSearchEnds) {
    NetPeers peers(2);
    QTcpServer silent; // takes the connection and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    quint16 closed = 0;
    {
        QTcpServer gone;
        ASSERT_TRUE(gone.listen(QHostAddress::LocalHost));
        closed = gone.serverPort();
    }
    QByteArray address;
    DWORD client = 0; // a player of the game, not its host
    ASSERT_EQ(peers.Peer(1).m_DirectPlay.GetLocalAddress(address, client), S_OK);

    CPlayNet p;
    p.m_DirectPlay.m_BindAddress = QHostAddress::LocalHost;
    QStringList told;
    p.m_Notice = [&](const QString& text, const QString&) { told << text; };
    CNetSetting dialog(
        p.m_DirectPlay, [] { return QString(); }, [&] { return p.RestartPeer(); });
    dialog.show();
    auto button = [&](int id) { return qobject_cast<QAbstractButton*>(dialog.GetControl(id)); };
    const std::pair<quint16, QString> cases[] = {
        {closed, QStringLiteral("Нет подключения!")},
        {static_cast<quint16>(client), QStringLiteral("DPNERR_NOTHOST")},
        {silent.serverPort(), QStringLiteral("Нет ответа на запрос!")},
    };
    for (const auto& [port, text] : cases) {
        told.clear();
        // "Подключиться к игре", the address and the port, as the user types them.
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&, port = port] {
            auto* d = qobject_cast<CDialog*>(QApplication::activeModalWidget());
            if (!d)
                return;
            answer.stop();
            qobject_cast<QComboBox*>(netdlg::FindControl(d, CConnectGameDlg::IDC_COMBO_SERVER))
                ->setCurrentText(QStringLiteral("127.0.0.1"));
            qobject_cast<QLineEdit*>(netdlg::FindControl(d, CConnectGameDlg::IDC_EDIT_PORT))
                ->setText(QString::number(port));
            qobject_cast<QAbstractButton*>(netdlg::FindControl(d, IDOK))->click();
        });
        answer.start();
        button(CNetSetting::IDC_BUTTON_CONNECT)->click();
        ASSERT_FALSE(answer.isActive()) << "no connect dialog";
        EXPECT_TRUE(
            testutil::WaitFor([&] { return !told.isEmpty() && !dialog.IsWaiting(); }, 10000))
            << text.toStdString();
        EXPECT_EQ(told, QStringList{text});
        EXPECT_EQ(button(CNetSetting::IDC_BUTTON_CONNECT)->text(),
                  QStringLiteral("Подключиться к игре"))
            << text.toStdString();
        EXPECT_TRUE(button(CNetSetting::IDC_BUTTON_CONNECT)->isEnabled());
        EXPECT_EQ(p.m_DirectPlay.m_ConnectionStatus, 0);
        EXPECT_EQ(p.m_Public.m_LabelMessage.GetCaption(), QStringLiteral("Нет игры!"));
    }
    p.StopPlay();
}
