#include "SelfPlayParty.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <set>
#include <vector>

CSelfPlayParty::CSelfPlayParty(CWnd* window, int players, bool game31, std::uint32_t seed)
    : m_Table(std::make_unique<CPublic>(window)), m_Random(seed), m_Moves(*m_Table),
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

bool CSelfPlayParty::PlayParty() {
    CPublic& t = *m_Table;
    const QDeadlineTimer deadline(kPartyDeadlineMs);
    m_Moves.ResetParty(m_NumberStars);
    if (const int seat = m_Moves.DrawFirstSeat([this] { return m_Random.Next(); }, m_LastFirstPlayer))
        m_LastFirstPlayer = seat;
    for (int game = 0; game < kMaxGamesPerParty; ++game) {
        if (deadline.hasExpired())
            return Fail(QStringLiteral("party not over after %1 s").arg(kPartyDeadlineMs / 1000));
        m_Moves.StartGame();
        m_GameOver = false;
        if (!PlayGame())
            return false;
        const int state = m_Moves.PassDeal(m_Winner);
        if ((state & e_StateUserOut) && !(state & e_StatePartyOver)) {
            // The program's party ends with seat 1 out; here the others play on.
            t.m_CurrentPlayer = m_Winner;
            t.NextPlayer(&t.m_CurrentPlayer, nullptr);
        }
        if (state & e_StatePartyOver) {
            int left = 0;
            for (int k = 0; k < t.m_NumberPlayers; ++k)
                if (!t.m_Players[k].m_Out) {
                    ++left;
                    m_LastWinner = k + 1;
                }
            if (left != 1)
                return Fail(QStringLiteral("party over with %1 players left").arg(left));
            ++m_Stats.parties;
            return true;
        }
    }
    return Fail(QStringLiteral("party not over after %1 games").arg(kMaxGamesPerParty));
}

// Deals from the current seat; a zanta wins a 31-point game at once and gives
// a 12-ball game's turn to its holder.
bool CSelfPlayParty::Deal() {
    CPublic& t = *m_Table;
    const int holder = m_Moves.DistrCards(t.m_CurrentPlayer);
    if (!CheckInvariants("the deal"))
        return false;
    if (holder != 0) {
        ++m_Stats.zantaDeals;
        if (t.m_Game31) {
            m_Moves.ShowZanta(holder);
            EndGame(holder, true);
        }
    }
    return m_Failure.isEmpty();
}

bool CSelfPlayParty::PlayGame() {
    if (!Deal())
        return false;
    for (int step = 0; step < kMaxStepsPerGame && !m_GameOver; ++step) {
        if (!Step())
            return false;
    }
    if (!m_GameOver)
        return Fail(QStringLiteral("game not over after %1 steps").arg(kMaxStepsPerGame));
    return m_Failure.isEmpty();
}

bool CSelfPlayParty::Step() {
    CPublic& t = *m_Table;
    if (t.m_CircleCompletion) {
        m_Moves.TakeTrick();
        if (!CheckInvariants("the take"))
            return false;
        AfterTrick();
        return m_Failure.isEmpty();
    }
    const int seat = t.m_CurrentPlayer;
    if (seat < 1 || seat > t.m_NumberPlayers || t.m_Players[seat - 1].m_Out)
        return Fail(QStringLiteral("turn given to seat %1").arg(seat));
    ++m_Stats.moves;
    if (seat == 1 && m_RandomUser)
        return UserMove();
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
    m_Moves.FinishMove();
    return true;
}

CCard* CSelfPlayParty::RandomHandCard(int seat) {
    std::vector<CCard*> hand;
    for (CCard* c : m_Table->m_Pack.m_Cards)
        if (c->m_Place == e_Hand && c->m_Player == seat)
            hand.push_back(c);
    return hand.empty() ? nullptr : hand[static_cast<std::size_t>(m_Random.Next()) % hand.size()];
}

bool CSelfPlayParty::UserMove() {
    CPublic& t = *m_Table;
    if (t.GetNumberCardsOnTable() == 0) {
        if (!m_Moves.LeadCard(1, RandomHandCard(1)))
            return Fail(QStringLiteral("the user could not lead"));
        // Sometimes a further card: of the led suit it is laid, of another
        // it is refused and stays in the hand.
        for (int press = 0; press < 4 && m_Moves.HoldsMast(1, m_Moves.LedMast()) &&
                            m_Random.Next() % 3 != 0;
             ++press) {
            CCard* card = RandomHandCard(1);
            const int led = m_Moves.LedMast();
            if (m_Moves.LeadCard(1, card) != (card->m_Mast == led))
                return Fail(QStringLiteral("a further lead of suit %1 went wrong").arg(card->m_Mast));
        }
        if (!CheckInvariants("the user's lead"))
            return false;
    } else {
        for (int press = 0; press < 4 && !t.CheckCircleCompletion() && !t.CheckCompletionPlayer(1);
             ++press) {
            CCard* card = RandomHandCard(1);
            if (!card)
                return Fail(QStringLiteral("the user must answer with no cards"));
            m_Moves.AnswerCard(1, card);
            if (!CheckInvariants("the user's answer"))
                return false;
        }
        if (!t.CheckCircleCompletion() && !t.CheckCompletionPlayer(1))
            return Fail(QStringLiteral("the user's answer is not complete after his cards"));
        if (!CheckAnswer(1))
            return false;
    }
    m_Moves.FinishMove();
    return true;
}

bool CSelfPlayParty::AfterTrick() {
    CPublic& t = *m_Table;
    const int winner = m_Moves.GameWinner();
    if (winner == -1) {
        if (t.m_Pack.IsPackEnd() && t.GetNumberCardsPlayer(t.m_CurrentPlayer) == 0)
            return Fail(QStringLiteral("seat %1 must lead with no cards").arg(t.m_CurrentPlayer));
        return Deal();
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
    m_Winner = winner;
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
    int stars[CPublic::kMaxPlayers] = {};
    int balls[CPublic::kMaxPlayers] = {};
    for (int k = 0; k < t.m_NumberPlayers; ++k) {
        stars[k] = t.m_Players[k].m_Star.GetNumberStars();
        balls[k] = t.m_Players[k].m_Tablo.GetBallsValue();
    }
    if (m_BreakHook)
        m_BreakHook();
    m_Moves.EndGame(winner);
    CheckScoring(winner, stars, balls);
}

// Stars: the winner gains one (up to 10), every other seat loses one (down to
// 0). Balls: a winner with 30 points or more collects none, nor does a seat at
// 12; otherwise 6 without a trick, 4 under 30 points, else 2 (0 on a tie for
// the most points). Stars and balls decide who is out.
void CSelfPlayParty::CheckScoring(int winner, const int* stars, const int* balls) {
    CPublic& t = *m_Table;
    for (int k = 0; k < t.m_NumberPlayers; ++k) {
        const CPlayer& seat = t.m_Players[k];
        const bool won = k + 1 == winner;
        const int score = seat.m_Tablo.GetScoresValue();
        const int now = t.m_Game31 ? seat.m_Star.GetNumberStars() : seat.m_Tablo.GetBallsValue();
        const int before = t.m_Game31 ? stars[k] : balls[k];
        bool ok = false;
        if (t.m_Game31)
            ok = now == (won ? std::min(before + 1, 10) : std::max(before - 1, 0)) &&
                 (now == 0) == seat.m_Out;
        else if (before >= 12 || (won && score >= 30))
            ok = now == before && (now >= 12) == seat.m_Out;
        else
            ok = (now - before == (score == 0 ? 6 : score < 30 ? 4 : 2) ||
                  (score >= 30 && now == before)) &&
                 (now >= 12) == seat.m_Out;
        if (!ok)
            Fail(QStringLiteral("seat %1 (winner %2, %3 points) went from %4 to %5, out %6")
                     .arg(k + 1)
                     .arg(winner)
                     .arg(score)
                     .arg(before)
                     .arg(now)
                     .arg(seat.m_Out));
    }
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
