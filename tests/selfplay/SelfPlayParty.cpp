#include "SelfPlayParty.h"

#include <set>

CSelfPlayParty::CSelfPlayParty(CWnd* window, int players, bool game31, std::uint32_t seed)
    : m_Table(std::make_unique<CPublic>(window)), m_Random(seed),
      m_Computer(*m_Table, [this] { return m_Random.Next(); }) {
    CPublic& t = *m_Table;
    t.m_Pack.InitPack36(window);
    t.m_Pack.SetValueZanta();
    t.m_Pack.ShowAinmationCards(false);
    t.m_NumberPlayers = players;
    t.m_Game31 = game31;
    t.m_CurrentPlayer = 0;
    CPack::m_Shuffle = seed % 32767 + 1;
}

CSelfPlayParty::~CSelfPlayParty() = default;

bool CSelfPlayParty::Fail(const QString& what) {
    if (m_Failure.isEmpty())
        m_Failure = what;
    return false;
}

void CSelfPlayParty::ResetParty() {
    CPublic& t = *m_Table;
    t.ResetStars(t.m_Game31 ? m_NumberStars : 0);
    for (int k = 0; k < t.m_NumberPlayers; ++k) {
        t.m_Players[k].ResetBalls();
        t.m_Players[k].m_Out = false;
        t.m_Players[k].ResetTabloColor();
        t.m_Players[k].ResetVictory();
    }
    t.m_NumberGame = 0;
    if (!t.m_Pack.IsPackFull())
        t.m_Pack.CardsToPack(true);
}

bool CSelfPlayParty::PlayParty() {
    CPublic& t = *m_Table;
    ResetParty();
    if (t.m_CurrentPlayer < 1 || t.m_CurrentPlayer > t.m_NumberPlayers) {
        int seat = 0;
        do
            seat = m_Random.Next() % t.m_NumberPlayers + 1;
        while (seat == m_LastFirstPlayer);
        m_LastFirstPlayer = seat;
        t.m_CurrentPlayer = seat;
    }
    for (int game = 0; game < kMaxGamesPerParty; ++game) {
        StartGame();
        if (!PlayGame())
            return false;
        const int state = t.StateGame();
        if (state & 0x20) {
            int left = 0;
            for (int k = 0; k < t.m_NumberPlayers; ++k)
                if (!t.m_Players[k].m_Out) {
                    ++left;
                    m_LastWinner = k + 1;
                }
            if (left != 1)
                return Fail(QStringLiteral("party over with %1 players left").arg(left));
            ++m_Stats.parties;
            // The seat after the last game's winner begins the next party.
            t.m_CurrentPlayer = t.m_CurrentPlayer + 1 > t.m_NumberPlayers ? 1 : t.m_CurrentPlayer + 1;
            return true;
        }
        t.NextPlayer(&t.m_CurrentPlayer, nullptr);
    }
    return Fail(QStringLiteral("party not over after %1 games").arg(kMaxGamesPerParty));
}

void CSelfPlayParty::StartGame() {
    CPublic& t = *m_Table;
    for (auto& seat : t.m_Players)
        seat.ResetScores();
    ++t.m_NumberGame;
    t.m_Pack.ShufflePack();
    t.m_Pack.CardsToPack(true);
    m_GameOver = false;
}

// Fills every active seat up to three cards, one card at a time in turn order
// from firstSeat, while the pack lasts; then turns up the trump card.
bool CSelfPlayParty::Deal(int firstSeat, int fromCard) {
    CPublic& t = *m_Table;
    t.m_CircleCompletion = false;
    int seat = firstSeat;
    int served = 0; // counts every seat stepped over, out or not
    for (int k = fromCard; k < 3;) {
        int index = -1;
        CCard* card = t.m_Pack.TakeCard(&index);
        if (!card)
            break;
        card->m_Place = e_Hand;
        card->m_Player = seat;
        t.MoveCard(card, t.m_HandX[seat - 1][k], t.m_HandY[seat - 1], seat == 1);
        t.NextPlayer(&seat, &served);
        if (served >= t.m_NumberPlayers) {
            served = 0;
            ++k;
        }
    }
    t.m_Pack.ShowCardKozir();
    if (!CheckInvariants("the deal"))
        return false;

    int holder = firstSeat;
    if (t.IsZanta(&holder)) {
        ++m_Stats.zantaDeals;
        t.m_CurrentPlayer = holder;
        if (t.m_Game31) {
            // A zanta wins a 31-point game at once; the holder shows his cards.
            if (holder != 1) {
                CPack& pack = t.m_Pack;
                for (int i = 0; i < pack.GetNumberCardsInPack(); ++i) {
                    CCard* c = pack.GetCard(i);
                    if (c->m_Place == e_Hand && c->m_Player == holder)
                        t.MoveCard_GO(holder, c, true);
                }
            }
            EndGame(holder, true);
        }
    }
    return true;
}

bool CSelfPlayParty::PlayGame() {
    if (!Deal(m_Table->m_CurrentPlayer, 0) || !m_Failure.isEmpty())
        return false;
    for (int step = 0; step < kMaxStepsPerGame && !m_GameOver; ++step) {
        if (!Step())
            return false;
    }
    if (!m_GameOver)
        return Fail(QStringLiteral("game not over after %1 steps").arg(kMaxStepsPerGame));
    return true;
}

bool CSelfPlayParty::Step() {
    CPublic& t = *m_Table;
    if (t.m_CircleCompletion) {
        TakeTrick();
        if (!CheckInvariants("the take"))
            return false;
        AfterTrick();
        return m_Failure.isEmpty();
    }
    const int seat = t.m_CurrentPlayer;
    if (seat < 1 || seat > t.m_NumberPlayers || t.m_Players[seat - 1].m_Out)
        return Fail(QStringLiteral("turn given to seat %1").arg(seat));
    ++m_Stats.moves;
    if (t.GetNumberCardsOnTable() == 0) {
        if (!m_Computer.ComputerLead(seat))
            return Fail(QStringLiteral("seat %1 could not lead").arg(seat));
        if (!CheckInvariants("a lead"))
            return false;
    } else {
        if (!m_Computer.ComputerBeat(seat))
            m_Computer.ComputerThrow(seat);
        if (!CheckInvariants("an answer") || !CheckAnswer(seat))
            return false;
    }
    t.CheckCircleCompletion();
    t.NextPlayer(&t.m_CurrentPlayer, nullptr);
    return true;
}

void CSelfPlayParty::TakeTrick() {
    CPublic& t = *m_Table;
    const int taker = t.GetTrickTaker();
    if (taker == 0)
        return;
    CTablo& board = t.m_Players[taker - 1].m_Tablo;
    board.SetScoreValue(board.GetScoresValue() + t.DoTakeCards(taker));
    t.m_CurrentPlayer = taker;
}

bool CSelfPlayParty::AfterTrick() {
    CPublic& t = *m_Table;
    int winner = t.IsEndGame();
    if (winner == -1)
        winner = t.GetWinnerAllCardsTaken();
    if (winner == -1) {
        if (t.m_Pack.IsPackEnd() && t.GetNumberCardsPlayer(t.m_CurrentPlayer) == 0)
            return Fail(QStringLiteral("seat %1 must lead with no cards").arg(t.m_CurrentPlayer));
        // The taker draws first; every hand holds as many cards as his.
        Deal(t.m_CurrentPlayer, t.GetNumberCardsPlayer(t.m_CurrentPlayer));
        return m_Failure.isEmpty();
    }
    if (t.m_Game31 && t.IsEndGame() == -1)
        ++m_Stats.allTakenGames;
    EndGame(winner, false);
    return false;
}

void CSelfPlayParty::EndGame(int winner, bool byZanta) {
    CPublic& t = *m_Table;
    if (m_GameOver)
        return;
    m_GameOver = true;
    ++m_Stats.games;
    if (byZanta)
        ++m_Stats.zantaGames;
    if (!t.m_Game31 && t.m_Pack.IsPackEnd()) {
        int total = 0;
        for (int k = 0; k < t.m_NumberPlayers; ++k)
            total += t.m_Players[k].m_Tablo.GetScoresValue();
        if (total != 120)
            Fail(QStringLiteral("a 12-ball game ended with %1 points in all").arg(total));
    }
    t.m_CurrentPlayer = winner;
    if (m_BreakHook)
        m_BreakHook();
    if (t.m_Game31)
        t.DecrementStars(winner);
    else
        t.AddBalls(winner);
    ++t.m_Players[winner - 1].m_Victory;
}

bool CSelfPlayParty::CheckAnswer(int seat) {
    if (!m_CheckInvariants)
        return true;
    CPublic& t = *m_Table;
    if (!t.IsCardsTableReset(seat) || !t.IsCardsGoingTablePlayer(seat))
        return true;
    // Only a leader can have cards face up and thrown in one circle: his led
    // cards stay up if his turn comes round again. Anyone else mixed an answer.
    for (int i = 0; i < t.m_Pack.GetNumberCardsInPack(); ++i) {
        CCard* c = t.m_Pack.GetCard(i);
        if (c->m_Place == e_Going && c->m_Player == seat && c->m_IndexY == 0)
            return true;
    }
    return Fail(QStringLiteral("seat %1 both beat and threw").arg(seat));
}

bool CSelfPlayParty::CheckInvariants(const char* after) {
    if (!m_CheckInvariants)
        return true;
    CPublic& t = *m_Table;
    CPack& pack = t.m_Pack;
    const QString when = QString::fromLatin1(after);
    if (pack.GetNumberCardsInPack() != 36)
        return Fail(QStringLiteral("after %1: %2 cards in the deck").arg(when).arg(pack.GetNumberCardsInPack()));
    std::set<const CCard*> seen;
    int inHand[CPublic::kMaxPlayers] = {};
    int taken[CPublic::kMaxPlayers] = {};
    for (int i = 0; i < 36; ++i) {
        const CCard* c = pack.GetCard(i);
        if (!c || !seen.insert(c).second)
            return Fail(QStringLiteral("after %1: card %2 missing or twice").arg(when).arg(i));
        if (c->m_Place < e_Pack || c->m_Place > e_Hand)
            return Fail(QStringLiteral("after %1: card %2 in no place").arg(when).arg(i));
        if (c->m_Place != e_Pack && (c->m_Player < 1 || c->m_Player > t.m_NumberPlayers))
            return Fail(QStringLiteral("after %1: card %2 owned by seat %3").arg(when).arg(i).arg(c->m_Player));
        if (c->m_Place == e_Hand)
            ++inHand[c->m_Player - 1];
        if (c->m_Place == e_Take)
            taken[c->m_Player - 1] += c->m_Scores;
        if (c->m_Place == e_Going && c->m_IndexY > 0) {
            // A card laid on another must beat the card under it.
            bool covers = false;
            for (int j = 0; j < 36; ++j) {
                const CCard* under = pack.GetCard(j);
                if (under->m_Place == e_Going && under->m_IndexX == c->m_IndexX &&
                    under->m_IndexY == c->m_IndexY - 1 && under->m_Beaten &&
                    t.CompareCards(c, under))
                    covers = true;
            }
            if (!covers)
                return Fail(QStringLiteral("after %1: card %2 covers nothing it beats").arg(when).arg(i));
        }
    }
    for (int k = 0; k < t.m_NumberPlayers; ++k) {
        if (inHand[k] > 3)
            return Fail(QStringLiteral("after %1: seat %2 holds %3 cards").arg(when).arg(k + 1).arg(inHand[k]));
        if (t.m_Players[k].m_Tablo.GetScoresValue() != taken[k])
            return Fail(QStringLiteral("after %1: seat %2 shows %3 points, holds %4")
                            .arg(when)
                            .arg(k + 1)
                            .arg(t.m_Players[k].m_Tablo.GetScoresValue())
                            .arg(taken[k]));
    }
    return true;
}
