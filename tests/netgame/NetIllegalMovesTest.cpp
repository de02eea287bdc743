// Moves no honest table sends, at every moment of a game: in the middle of a
// lead and of an answer, right after a take, while the tables wait for the
// end of a deal, from a player who sits out, and records no table could have
// written. Every other table refuses each of them, no table changes, and the
// game goes on. (Who takes, leads and deals by the rules is watched at every
// moment of the simulation's parties, NetTableSim.) And a modified program
// at the table: a member that never ends its deal, one with an over-long
// name. The honest tables stay in step and can play on.

#include "HostileMember.h"
#include "NetPeers.h"

#include "Card.h"
#include "NetCommands.h"
#include "NetRecords.h"

#include <QTest>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace {
const QString kYourTurn = QStringLiteral("Ваш ход!");

DPNID Id(NetPeers& peers, int i) {
    return peers.Peer(i).m_DirectPlay.m_LocalPlayer;
}

// The window of the player at seat of window i's table.
int WindowAt(NetPeers& peers, int i, int seat) {
    for (int k = 0; k < peers.Count(); ++k)
        if (Id(peers, k) == peers.Table(i).m_Players[seat - 1].m_PlayerID)
            return k;
    return -1;
}

int CurrentWindow(NetPeers& peers) {
    for (int i = 0; i < peers.Count(); ++i)
        if (peers.Message(i) == kYourTurn)
            return i;
    return -1;
}

std::vector<CCard*> Hand(CPublic& t, int seat) {
    std::vector<CCard*> hand;
    for (CCard* c : t.m_Pack.m_Cards)
        if (c->m_Place == e_Hand && c->m_Player == seat)
            hand.push_back(c);
    return hand;
}

bool IsTrump(const CCard* c) {
    return c->m_Value > 9;
}

QByteArray Lead(const CCard* c, DPNID player) {
    return netrec::Build(netrec::GoCardRecord{BYTE(c->m_Mast), BYTE(c->m_Value), player});
}

QByteArray Answer(NetMessageId id, const CCard* c, const CCard* beaten = nullptr) {
    return netrec::Build(netrec::TableRecord{BYTE(id), BYTE(c->m_Mast), BYTE(c->m_Value), 0,
                                             BYTE(beaten ? beaten->m_Mast : 0),
                                             BYTE(beaten ? beaten->m_Value : 0)});
}

QByteArray Turn(NetMessageId id, DPNID player) {
    return netrec::Build(netrec::TurnRecord{BYTE(id), player});
}

// A deal of an unshuffled deck.
QByteArray NextGame(DPNID first) {
    netrec::PartyRecord r;
    r.id = e_NextGame;
    for (int k = 0; k < netrec::kCards; ++k) {
        r.masts[static_cast<size_t>(k)] = static_cast<BYTE>(k / 9 + 1);
        r.values[static_cast<size_t>(k)] = static_cast<BYTE>(k % 9 + 1);
    }
    r.firstPlayer = first;
    return netrec::Build(r);
}

void Click(CCard* c) {
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(30, 40));
}

// Bytes from window from: every other table logs the refusal why (none is
// logged when why is empty), no table changes, and they all still agree.
void ExpectRefused(NetPeers& peers, int from, const QByteArray& bytes, const char* why) {
    std::vector<QString> before;
    std::vector<qint64> refused;
    for (int i = 0; i < peers.Count(); ++i) {
        before.push_back(peers.Peer(i).DumpTable());
        refused.push_back(peers.Peer(i).m_DirectPlay.m_Log.Refusals());
    }
    peers.Inject(from, bytes);
    ASSERT_TRUE(peers.WaitIdle());
    for (int i = 0; i < peers.Count(); ++i) {
        const QStringList was = before[static_cast<size_t>(i)].split('\n'),
                          is = peers.Peer(i).DumpTable().split('\n');
        for (qsizetype k = 0; k < std::max(was.size(), is.size()); ++k)
            if (was.value(k) != is.value(k)) {
                ADD_FAILURE() << "'" << why << "' changed table " << i << ": '"
                              << was.value(k).toStdString() << "' to '" << is.value(k).toStdString()
                              << "'";
                break;
            }
        // A refusal repeated at once is counted, not written again.
        const CNetLog& log = peers.Peer(i).m_DirectPlay.m_Log;
        if (i != from && *why) {
            EXPECT_GT(log.Refusals(), refused[static_cast<size_t>(i)]) << "'" << why << "' on " << i;
            EXPECT_TRUE(log.LastRefusal().startsWith(QByteArray("Ignored - ") + why))
                << "'" << why << "' not refused on " << i << ": " << log.LastRefusal().toStdString();
        }
    }
    EXPECT_EQ(peers.Disagreement().toStdString(), "") << why;
}

// A circle was taken, the hands refilled, and somebody is to lead.
bool TurnAfterATake(NetPeers& peers) {
    CPublic& t = peers.Table(0);
    return t.GetNumberCardsOnTable() == 0 && CurrentWindow(peers) != -1 &&
           std::any_of(t.m_Pack.m_Cards.begin(), t.m_Pack.m_Cards.end(),
                       [](CCard* c) { return c->m_Place == e_Take; });
}

// No zanta; the first player holds two non-trumps of one suit and a card of
// another, the player after him two trumps and a non-trump of a third suit:
// he can beat the lead of the two, and his third card beats neither.
bool FitsCircle(CPublic& t, int first, int zanta) {
    if (zanta != 0)
        return false;
    const auto lead = Hand(t, first), answer = Hand(t, first % t.m_NumberPlayers + 1);
    if (lead.size() != 3 || answer.size() != 3)
        return false;
    for (int k = 0; k < 3; ++k) {
        const CCard *a = lead[static_cast<size_t>((k + 1) % 3)],
                    *b = lead[static_cast<size_t>((k + 2) % 3)];
        if (a->m_Mast != b->m_Mast || IsTrump(a) || IsTrump(b) ||
            lead[static_cast<size_t>(k)]->m_Mast == a->m_Mast)
            continue;
        int trumps = 0, other = 0;
        for (const CCard* c : answer) {
            trumps += IsTrump(c);
            other += !IsTrump(c) && c->m_Mast != a->m_Mast;
        }
        return trumps == 2 && other == 1;
    }
    return false;
}
} // namespace

// A lead of two cards and the answer to it, with wrong records sent at each
// moment of it (the game played by hand, so that each player keeps the turn
// until he passes it).
TEST(NetIllegalMoves, ALeadAndItsAnswerRefuseEveryMoveOutOfRule) {
    NetPeers peers(3, true, 31);
    peers.SetStars(1);
    peers.Peer(0).OnPublicSetting(netcmd::IDC_AUTOMATIC_GAME, 0);
    ASSERT_TRUE(peers.WaitSettled());
    const std::uint32_t seed = testutil::ShuffleSeed(peers.Count(), std::function(FitsCircle));
    ASSERT_NE(seed, 0u);
    CPack::m_Shuffle = seed;
    peers.Peer(0).PressButton();
    ASSERT_TRUE(peers.WaitSettled());
    const int lead = CurrentWindow(peers);
    ASSERT_NE(lead, -1);
    const int ans = WindowAt(peers, lead, 2), third = WindowAt(peers, lead, 3);
    const DPNID leadId = Id(peers, lead), ansId = Id(peers, ans);
    // The hands the deal gave, named by each owner's own table.
    CCard *a = nullptr, *b = nullptr, *odd = nullptr, *x = nullptr;
    std::vector<CCard*> trumps;
    for (CCard* c : Hand(peers.Table(lead), 1))
        for (CCard* d : Hand(peers.Table(lead), 1))
            if (c != d && c->m_Mast == d->m_Mast)
                (a ? b : a) = c;
    for (CCard* c : Hand(peers.Table(lead), 1))
        if (c != a && c != b)
            odd = c;
    for (CCard* c : Hand(peers.Table(ans), 1))
        IsTrump(c) ? trumps.push_back(c) : void(x = c);
    ASSERT_TRUE(a && b && odd && x && trumps.size() == 2) << peers.State().toStdString();
    std::sort(trumps.begin(), trumps.end(),
              [](CCard* l, CCard* r) { return l->m_Value < r->m_Value; });

    ExpectRefused(peers, lead, Lead(x, leadId), "a lead of a card not held or of another suit");
    // Records no table writes: a card the deck does not have, no kind at all,
    // a lead cut by a byte, a turn of one byte, nothing.
    const QByteArray lead1 = Lead(a, leadId);
    for (const QByteArray& bytes :
         {netrec::Build(netrec::GoCardRecord{7, 99, leadId}), QByteArray(12, char(0xEE)),
          lead1.left(lead1.size() - 1), QByteArray(1, char(e_NextPlayerGo)), QByteArray()})
        ExpectRefused(peers, lead, bytes, "");
    // The leader has laid one card and may lay the other of its suit.
    Click(a);
    ASSERT_TRUE(peers.WaitSettled());
    ExpectRefused(peers, lead, Lead(odd, leadId), "a lead of a card not held or of another suit");
    ExpectRefused(peers, lead, Lead(b, ansId), "a lead out of turn");
    ExpectRefused(peers, ans, Lead(x, ansId), "a lead out of turn");
    ExpectRefused(peers, lead, Answer(e_ResetCards, b), "an answer with nothing to answer");
    ExpectRefused(peers, ans, Answer(e_BitaCards, trumps[0], a), "an answer out of turn");
    ExpectRefused(peers, lead, netrec::BuildSignal(e_TakeCards),
                  "a take before the circle is closed");
    ExpectRefused(peers, third, Turn(e_NextPlayerGo, Id(peers, third)), "a turn out of turn");

    Click(b);
    ASSERT_TRUE(peers.WaitSettled());
    ASSERT_EQ(peers.Peer(lead).ButtonCaption(), QStringLiteral("Далее"));
    peers.Peer(lead).PressButton();
    ASSERT_TRUE(peers.WaitSettled());
    ASSERT_EQ(CurrentWindow(peers), ans);
    // The answerer's turn, nothing answered yet.
    ExpectRefused(peers, ans, Lead(x, ansId), "a lead while others' cards lie on the table");
    ExpectRefused(peers, lead, Lead(odd, leadId), "a lead out of turn");
    ExpectRefused(peers, ans, Answer(e_BitaCards, x, a), "a beat the rules refuse");
    ExpectRefused(peers, ans, Answer(e_BitaCards, trumps[0], odd), "a beat the rules refuse");
    ExpectRefused(peers, ans, Answer(e_ResetCards, trumps[0]), "a throw of a card that beats");
    ExpectRefused(peers, ans, Answer(e_BitaCards, odd, a), "an answer with a card not held");
    ExpectRefused(peers, ans, Answer(e_ResetCards, a), "an answer with a card not held");
    ExpectRefused(peers, lead, Answer(e_ResetCards, odd), "an answer out of turn");
    ExpectRefused(peers, ans, Turn(e_NextPlayerGo, Id(peers, third)), "a turn passed too early");
    ExpectRefused(peers, lead, Turn(e_NextPlayerGo, Id(peers, third)), "a turn out of turn");
    ExpectRefused(peers, ans, netrec::BuildSignal(e_TakeCards),
                  "a take before the circle is closed");
    ExpectRefused(peers, lead, Turn(e_ContinueGame, leadId), "a refill out of turn");
    ExpectRefused(peers, 0, Turn(e_Zanta, leadId), "a zanta from a peer that did not deal");
    ExpectRefused(peers, 0, NextGame(leadId), "a deal out of turn");
    ExpectRefused(peers, ans, netrec::BuildSignal(e_EndDistr), "");
    ExpectRefused(peers, ans, netrec::BuildSignal(e_EndTake), "");

    // Half an answer does not pass the turn; a whole one takes no more cards.
    Click(trumps[0]);
    ASSERT_TRUE(peers.WaitSettled());
    ExpectRefused(peers, ans, Turn(e_NextPlayerGo, Id(peers, third)), "a turn passed too early");
    ExpectRefused(peers, ans, Lead(x, ansId), "a lead while others' cards lie on the table");
    Click(trumps[1]);
    ASSERT_TRUE(peers.WaitSettled());
    ASSERT_EQ(peers.Peer(ans).ButtonCaption(), QStringLiteral("Далее"))
        << peers.State().toStdString();
    ExpectRefused(peers, ans, Answer(e_ResetCards, x), "an answer of more cards than were led");
    ExpectRefused(peers, ans, Answer(e_BitaCards, x, a), "an answer of more cards than were led");
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

// Right after a take and its refill, before the winner of the circle leads
// (the others name him): neither comes a second time.
TEST(NetIllegalMoves, RightAfterATakeNoSecondTakeNorRefill) {
    NetPeers peers(3, true, 37);
    peers.SetStars(1);
    CPack::m_Shuffle = testutil::ShuffleSeed(peers.Count(), false);
    ASSERT_EQ(peers.PlayUntil([&] { return TurnAfterATake(peers); }).toStdString(), "");
    // The winner of the circle leads; whoever closed it dealt the refill.
    const int leader = CurrentWindow(peers), next = WindowAt(peers, leader, 2);
    const DPNID leaderId = Id(peers, leader);
    for (int i = 0; i < peers.Count(); ++i) {
        if (i == leader)
            continue;
        EXPECT_EQ(peers.Message(i), QStringLiteral("Ходит ") + peers.Name(leader) + "!") << i;
    }
    for (int i = 0; i < peers.Count(); ++i) {
        ExpectRefused(peers, i, netrec::BuildSignal(e_TakeCards),
                      "a take before the circle is closed");
        ExpectRefused(peers, i, Turn(e_ContinueGame, leaderId), "a refill out of turn");
    }
    ExpectRefused(peers, leader, Turn(e_NextPlayerGo, Id(peers, next)), "a turn passed too early");
    ExpectRefused(peers, next, Lead(Hand(peers.Table(next), 1).front(), Id(peers, next)),
                  "a lead out of turn");
    ExpectRefused(peers, leader, netrec::BuildSignal(e_EndTake), "");
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

// While the tables wait for the slowest to finish its deal nobody plays.
TEST(NetIllegalMoves, NothingIsPlayedWhileTheDealIsNotOverEverywhere) {
    NetPeers peers(3, true, 41);
    peers.SetStars(1);
    peers.Peer(2).m_PacePercent = 100000;
    CPack::m_Shuffle = testutil::ShuffleSeed(peers.Count(), false);
    peers.Peer(0).PressButton();
    ASSERT_TRUE(testutil::WaitFor([&] { return peers.Peer(0).WaitsForPeers(); }));
    ASSERT_TRUE(peers.WaitIdle());
    // The first player, after the dealer; his table has ended the deal and
    // every table knows it, so what he sends now is no move made before.
    const int first = WindowAt(peers, 0, 2);
    ASSERT_NE(first, 2);
    ASSERT_TRUE(testutil::WaitFor([&] {
        const std::vector<UINT> armed = peers.Peer(first).ArmedTimers();
        return peers.Peer(first).IsIdle() && peers.Delivered() &&
               std::find(armed.begin(), armed.end(), CPlayNet::TIMER_END_DISTR) == armed.end();
    }));
    const DPNID firstId = Id(peers, first);
    ExpectRefused(peers, first, Lead(Hand(peers.Table(first), 1).front(), firstId),
                  "a lead out of turn");
    ExpectRefused(peers, first, Turn(e_NextPlayerGo, Id(peers, 2)), "a turn out of turn");
    // The dealer's turn before the slow table's end: a table that has ended
    // its deal keeps it until the slow one is in (the dealer may have seen it
    // depart), and nobody plays meanwhile.
    ExpectRefused(peers, 0, Turn(e_NextPlayerGo, firstId), "");
    ExpectRefused(peers, first, Answer(e_ResetCards, Hand(peers.Table(first), 1).front()),
                  "an answer out of turn");
    // What the dealer sends after that turn comes after it: the table that
    // keeps the turn keeps these too, and refuses them once it takes it.
    const CNetLog& firstLog = peers.Peer(first).m_DirectPlay.m_Log;
    const qint64 refusedByFirst = firstLog.Refusals();
    ExpectRefused(peers, 0, netrec::BuildSignal(e_TakeCards), "");
    ExpectRefused(peers, 0, Turn(e_ContinueGame, firstId), "");
    ExpectRefused(peers, 0, NextGame(firstId), "");
    EXPECT_EQ(firstLog.Refusals(), refusedByFirst);
    ExpectRefused(peers, first, Turn(e_Zanta, firstId), "a zanta from a peer that did not deal");
    ExpectRefused(peers, first, netrec::BuildSignal(e_EndTake), "");
    // A refused deal is no end of this deal: the turn still waits.
    ASSERT_TRUE(peers.WaitIdle());
    EXPECT_EQ(CurrentWindow(peers), -1);
    // The slow table done, the first player has the turn.
    peers.Peer(2).m_PacePercent = 2;
    ASSERT_TRUE(testutil::WaitFor([&] { return peers.Peer(2).RunOut(CPlayNet::TIMER_END_DISTR); }));
    ASSERT_TRUE(peers.WaitSettled());
    EXPECT_EQ(CurrentWindow(peers), first);
    // The three kept moves, and the dealer's own first turn, which comes
    // after the forged one (in either order).
    EXPECT_EQ(firstLog.Refusals(), refusedByFirst + 4);
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

// A player who joined during the game sits it out: he neither plays nor is
// given the turn, and the shared settings are not his to change.
TEST(NetIllegalMoves, APlayerSittingOutNeitherPlaysNorGetsTheTurn) {
    NetPeers peers(2, true, 43);
    peers.SetStars(1);
    peers.SetLockAddPlayers(false);
    CPack::m_Shuffle = testutil::ShuffleSeed(peers.Count(), false);
    ASSERT_EQ(
        peers.PlayUntil([&] { return peers.Table(0).GetNumberCardsOnTable() >= 1; }).toStdString(),
        "");
    ASSERT_TRUE(peers.Join());
    // The newcomer learns whose turn it is from the next move.
    ASSERT_TRUE(peers.WaitSettled());
    ASSERT_TRUE(peers.Act());
    ASSERT_TRUE(peers.WaitSettled());
    const int sitter = 2, cur = CurrentWindow(peers);
    ASSERT_NE(cur, -1);
    const DPNID sitterId = Id(peers, sitter);
    CCard* held = Hand(peers.Table(cur), 1).front();
    ExpectRefused(peers, sitter, Lead(held, sitterId), "a lead out of turn");
    ExpectRefused(peers, sitter, Answer(e_ResetCards, held), "an answer out of turn");
    ExpectRefused(peers, sitter, netrec::BuildSignal(e_TakeCards),
                  "a take before the circle is closed");
    ExpectRefused(peers, cur, Turn(e_NextPlayerGo, sitterId), "a turn out of turn");
    netrec::SettingRecord s;
    s.game31 = 0;
    ExpectRefused(peers, sitter, netrec::Build(s), "settings from a player who does not play");
    EXPECT_EQ(peers.PlayParty().toStdString(), "");
}

namespace {

QString SeatNameOf(CPublic& t, DPNID id) {
    for (const CPlayer& p : t.m_Players)
        if (p.m_PlayerID == id)
            return p.m_LabelName.GetCaption();
    return QStringLiteral("<not seated>");
}

bool Logged(NetPeers& peers, int i, const char* what) {
    return peers.Peer(i).m_DirectPlay.m_Log.Text().contains(what);
}

} // namespace

TEST(NetHostile, AMemberThatNeverEndsItsDealIsDeclaredDepartedAndTheTableGoesOn) {
    NetPeers peers(2);
    HostileMember mute("Mute");
    ASSERT_TRUE(mute.Join(peers.Port()));
    ASSERT_TRUE(peers.WaitSeated(3)) << peers.State().toStdString();
    for (int i = 0; i < peers.Count(); ++i)
        peers.Peer(i).m_BarrierBoundMs = 1500;
    // The deal waits for every table's end of deal; the mute one never sends it.
    ASSERT_TRUE(peers.Act()) << peers.State().toStdString();
    ASSERT_TRUE(testutil::WaitFor(
        [&] { return peers.Peer(0).NumberPlayers() == 2 && peers.Peer(1).NumberPlayers() == 2; },
        20000))
        << peers.State().toStdString();
    EXPECT_TRUE(Logged(peers, 0, "holds up the game"));
    // The two honest tables agree and play on.
    int played = 0;
    EXPECT_EQ(peers.PlayUntil([&] { return ++played > 40; }, 400).toStdString(), "");
    EXPECT_EQ(peers.Disagreement().toStdString(), "");
}

TEST(NetHostile, AnOverlongNameIsCutAlikeOnEveryTable) {
    NetPeers peers(2);
    HostileMember longName(QByteArray(255, 'W'));
    ASSERT_TRUE(longName.Join(peers.Port()));
    ASSERT_TRUE(peers.WaitSeated(3)) << peers.State().toStdString();
    const DPNID id = longName.Id();
    EXPECT_EQ(SeatNameOf(peers.Table(0), id), QString(11, QLatin1Char('W')));
    EXPECT_EQ(SeatNameOf(peers.Table(1), id), QString(11, QLatin1Char('W')));
}

// Where seats are held every table must follow a held seat's moves: a
// joiner whose program never says it can (an earlier one) is turned away
// with a word to the players, rather than seated to drift.
TEST(NetHostile, AJoinerThatCannotFollowHeldSeatsIsTurnedAway) {
    NetPeers peers(2);
    peers.Peer(0).m_HoldSeats = true;
    peers.Peer(0).SendSettings();
    HostileMember earlier("Earlier");
    ASSERT_TRUE(earlier.Join(peers.Port()));
    ASSERT_TRUE(testutil::WaitFor([&] { return !earlier.Connected(); }, 15000));
    EXPECT_TRUE(peers.Notices().contains(
        QStringLiteral("Игрок Earlier не принят: его программа не умеет играть за вышедших игроков.")));
    for (int i = 0; i < peers.Count(); ++i)
        EXPECT_EQ(peers.Peer(i).NumberPlayers(), 2) << i;
}
