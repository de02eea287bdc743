// Players coming to a table, as they see it: a lone host who cannot deal,
// joins refused or seated to sit out, a join that fails. (Joins at every
// moment of a party, several at once and across kind switches, are the
// simulation's, NetTableSim.)

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
