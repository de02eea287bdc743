#include "TableMoves.h"

#include "Card.h"
#include "GuiThread.h"

namespace {
constexpr int kHandCards = 3;

QString SeatName(CPublic& t, int seat) { return t.m_Players[seat - 1].m_LabelName.GetCaption(); }

void ShowVictory(CPublic& t, int seat, int victories) {
    platform::RunOnGuiThread([&] {
        t.m_VictoryTable.DistrPlaceVictory(SeatName(t, seat), seat, victories, t.m_NumberPlayers);
    });
}
} // namespace

void CTableMoves::ResetParty(int stars) {
    CPublic& t = m_Table;
    t.ResetStars(t.m_Game31 ? stars : 0);
    for (int k = 1; k <= t.m_NumberPlayers && k <= CPublic::kMaxPlayers; ++k) {
        ShowVictory(t, k, 0);
        CPlayer& seat = t.m_Players[k - 1];
        seat.ResetBalls();
        seat.m_Out = false;
        seat.ResetTabloColor();
        seat.ResetVictory();
    }
    t.m_NumberGame = 0;
    if (!t.m_Pack.IsPackFull()) {
        CPublic::MoveScope scope(t);
        t.m_Pack.CardsToPack(true);
    }
    t.m_LabelResult.SetCaption(QString(), 0);
}

int CTableMoves::DrawFirstSeat(const std::function<int()>& random, int lastDrawn) {
    CPublic& t = m_Table;
    if (t.m_CurrentPlayer >= 1 && t.m_CurrentPlayer <= t.m_NumberPlayers)
        return 0;
    int seat = 0;
    do
        seat = random() % t.m_NumberPlayers + 1;
    while (seat == lastDrawn && t.m_NumberPlayers > 1);
    t.m_CurrentPlayer = seat;
    return seat;
}

void CTableMoves::StartGame() { StartGame(nullptr, nullptr); }

void CTableMoves::StartGame(char* masts, char* values) {
    CPublic& t = m_Table;
    for (auto& seat : t.m_Players)
        seat.ResetScores();
    ++t.m_NumberGame;
    CPublic::MoveScope scope(t);
    if (masts && values)
        t.m_Pack.ShufflePack(masts, values);
    else
        t.m_Pack.ShufflePack();
    t.m_Pack.CardsToPack(true);
}

bool CTableMoves::StartGameAs(const char* masts, const char* values) {
    CPublic& t = m_Table;
    CPublic::MoveScope scope(t);
    if (!t.m_Pack.ArrayShuffle(masts, values))
        return false;
    for (auto& seat : t.m_Players)
        seat.ResetScores();
    ++t.m_NumberGame;
    t.m_Pack.CardsToPack(true);
    return true;
}

int CTableMoves::DistrCards(int firstSeat) {
    CPublic& t = m_Table;
    t.m_CircleCompletion = false;
    // The seat served first holds as many cards as everyone after a trick.
    t.DoDistrCards(t.GetNumberCardsPlayer(firstSeat), firstSeat, t.m_NumberPlayers);
    int holder = firstSeat;
    if (!t.IsZanta(&holder))
        return 0;
    t.m_CurrentPlayer = holder;
    return holder;
}

bool CTableMoves::LeadCard(int seat, CCard* card) {
    CPublic& t = m_Table;
    if (!card || card->m_Place != e_Hand || card->m_Player != seat || !t.IsMastOnTable(card->m_Mast))
        return false;
    t.MoveCard_GO(seat, card, true);
    return true;
}

int CTableMoves::LedMast() {
    if (m_Table.GetNumberCardsGoing() == 0)
        return 0;
    for (int mast = 1; mast <= 4; ++mast)
        if (m_Table.IsMastOnTable(mast))
            return mast;
    return 0;
}

bool CTableMoves::HoldsMast(int seat, int mast) {
    for (const CCard* c : m_Table.m_Pack.m_Cards)
        if (c && c->m_Place == e_Hand && c->m_Player == seat && c->m_Mast == mast)
            return true;
    return false;
}

bool CTableMoves::ThrowCard(CCard* card) {
    if (card->m_Place == e_Reset)
        return false;
    m_Table.ResetCard(card);
    return true;
}

void CTableMoves::AnswerCard(int seat, CCard* card) {
    CPublic& t = m_Table;
    if (!card || card->m_Place != e_Hand || card->m_Player != seat)
        return;
    // An answer is all beaten or all thrown: once a seat threw in this circle,
    // every further card it plays is thrown too, whether thrown cards lie face
    // down or face up (a beat after a throw would leave an answer that can
    // never be complete).
    const bool throwingAlready = t.IsCardsTableReset(seat);
    CCard* target = AnswerTarget(seat, card);
    if (target)
        t.BitaCard(card, target);
    else {
        ThrowCard(card);
        // Cannot beat everything: the cards laid so far go face down too.
        if (!throwingAlready)
            for (CCard* c : t.m_Pack.m_Cards)
                if (c && c->m_Place == e_Going && c->m_Player == seat)
                    ThrowCard(c);
    }
    t.CorrectLocationCardsTable();
}

CCard* CTableMoves::AnswerTarget(int seat, const CCard* card) {
    CPublic& t = m_Table;
    if (!card || t.IsCardsTableReset(seat) || !t.IsCanBita(seat))
        return nullptr;
    CCard* targets[kHandCards] = {};
    t.SortCardsTable(targets, seat);
    for (CCard* target : targets)
        if (target && t.CompareCards(card, target))
            return target;
    return nullptr;
}

void CTableMoves::FinishMove() {
    CPublic& t = m_Table;
    t.CorrectLocationCardsTable();
    t.CorrectLocationCardsTake();
    t.CheckCircleCompletion();
    t.NextPlayer(&t.m_CurrentPlayer, nullptr);
}

int CTableMoves::TakeTrick() {
    CPublic& t = m_Table;
    const int taker = t.GetTrickTaker();
    if (taker == 0)
        return t.m_CurrentPlayer;
    CTablo& board = t.m_Players[taker - 1].m_Tablo;
    board.SetScoreValue(board.GetScoresValue() + t.DoTakeCards(taker));
    t.m_CurrentPlayer = taker;
    return taker;
}

int CTableMoves::GameWinner() {
    const int winner = m_Table.IsEndGame();
    return winner != -1 ? winner : m_Table.GetWinnerAllCardsTaken();
}

void CTableMoves::ShowZanta(int holder, bool evenUser) {
    CPublic& t = m_Table;
    if (holder == 1 && !evenUser)
        return;
    for (CCard* c : t.m_Pack.m_Cards)
        if (c && c->m_Place == e_Hand && c->m_Player == holder)
            t.MoveCard_GO(holder, c, true);
}

int CTableMoves::EndGame(int winner) {
    CPublic& t = m_Table;
    t.m_CurrentPlayer = winner;
    if (t.m_Game31)
        t.DecrementStars(winner);
    else
        t.AddBalls(winner);
    CPlayer& seat = t.m_Players[winner - 1];
    ++seat.m_Victory;
    ShowVictory(t, winner, seat.m_Victory);
    return t.IsEndParty();
}

int CTableMoves::PassDeal(int winner) {
    CPublic& t = m_Table;
    const int state = t.StateGame();
    if (state & (e_StatePartyOver | e_StateUserOut))
        t.m_CurrentPlayer = winner + 1 > t.m_NumberPlayers ? 1 : winner + 1;
    else
        t.NextPlayer(&t.m_CurrentPlayer, nullptr);
    return state;
}
