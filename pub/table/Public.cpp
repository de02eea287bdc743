#include "Public.h"
#include "ResourceIds.h"
#include "PublicArt.h"

#include "GuiThread.h"
#include "MessageBox.h"
#include "Resources.h"
#include "Sound.h"
#include "Wnd.h"

#include <QIcon>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {
constexpr UINT kSoundGo = pubres::IDW_CARD_GO;
constexpr UINT kSoundReset = pubres::IDW_CARD_RESET;
constexpr UINT kSoundTake = pubres::IDW_TAKE;
// Taken cards go to this height above the trick pile's place.
constexpr int kTakeLift = 96;
constexpr int kMaxTargets = 3;
constexpr int kMaxHand = 3;
constexpr int kMaxValue = 18;
constexpr int kMaxBalls = 12;

bool IsKozir(const CCard* card) {
    return card->m_Value > 9;
}
bool IsOnTable(const CCard* card) {
    return card->m_Place == e_Going || card->m_Place == e_Reset;
}
bool IsSeat(int player) {
    return player >= 1 && player <= CPublic::kMaxPlayers;
}

// An index the rules never produce still lands within the layout.
template <std::size_t N> int Entry(const int (&positions)[N], int index) {
    return positions[std::clamp(index, 0, static_cast<int>(N) - 1)];
}

template <class Pred> int CountCards(const std::vector<CCard*>& cards, Pred pred) {
    int n = 0;
    for (const CCard* card : cards)
        if (card && pred(card))
            ++n;
    return n;
}

template <class Pred> bool AnyCard(const std::vector<CCard*>& cards, Pred pred) {
    return CountCards(cards, pred) > 0;
}

QIcon LibraryIcon(UINT id) {
    return id ? LoadIconResource(GetModuleResources("pub"), id) : QIcon();
}
} // namespace

CPublic::CPublic(CWnd* parent)
    : m_ResetX(0), m_ResetY{}, m_GoingX{}, m_GoingY{}, m_HandX{}, m_HandY{}, m_NumberPlayers(0),
      m_CurrentPlayer(0), m_pParent(parent), m_ShowButton(false), m_CompletionPlayer(false),
      m_NumberBG(0), m_NumberTable(0), m_KozirIconX(0), m_KozirIconY(0), m_Game31(true),
      m_ClosedCardReset(true), m_AutomaticGame(true), m_NumberGame(0), m_CircleCompletion(false),
      m_MoveBlocked(true), m_ShowTabloVictory(false), m_Sound(false), m_OtherNames{},
      m_Art(std::make_unique<TableArt>()) {}

int CPublic::MyMessageBox(const QString& text, const QString& caption, int flags, UINT iconId,
                          UINT captionIconId) {
    int result = IDCANCEL;
    // A box is a window: from a game worker it opens on the GUI thread.
    platform::RunOnGuiThread([&] {
        result = CMessageBox::Show(m_pParent, text, caption, static_cast<UINT>(flags),
                                   LibraryIcon(iconId), LibraryIcon(captionIconId));
    });
    return result;
}

int CPublic::GetMastKozir() {
    for (const CCard* card : m_Pack.m_Cards)
        if (card && IsKozir(card))
            return card->m_Mast;
    return 0;
}

// ---- Moves ----

bool CPublic::MoveCard_GO(const int& player, CCard* card, bool open) {
    if (!card)
        return false;
    MoveScope scope(*this);
    const Layout at = CopyLayout();
    const int column = GetIndexXGoingCards(player);
    card->m_Place = e_Going;
    card->m_IndexX = static_cast<std::int8_t>(column);
    card->m_IndexY = 0;
    card->m_Moving = 0;
    card->Restack(HWND_TOP);
    card->CardMove(Entry(at.goingX, column), at.goingY[0], kSoundGo, false);
    card->CardOpen(open);
    return true;
}

bool CPublic::BitaCard(CCard* card, CCard* beaten) {
    if (!card || !beaten)
        return false;
    MoveScope scope(*this);
    const Layout at = CopyLayout();
    beaten->m_Beaten = true;
    const int row = beaten->m_IndexY + 1;
    card->m_Place = e_Going;
    card->m_IndexX = beaten->m_IndexX;
    card->m_IndexY = static_cast<std::int8_t>(row);
    card->Restack(HWND_TOP);
    card->CardMove(Entry(at.goingX, beaten->m_IndexX), Entry(at.goingY, row), kSoundGo, false);
    card->CardOpen(true);
    return true;
}

bool CPublic::ResetCard(CCard* card) {
    if (!card)
        return false;
    MoveScope scope(*this);
    const Layout at = CopyLayout();
    const int n = GetNumberCardsReset();
    card->m_Place = e_Reset;
    card->m_IndexX = static_cast<std::int8_t>(n);
    card->m_IndexY = static_cast<std::int8_t>(n);
    card->Restack(HWND_TOP);
    card->CardOpen(!m_ClosedCardReset);
    card->CardMove(at.resetX, Entry(at.resetY, n), kSoundReset, false);

    // A discard gives up on beating: the cards of whoever holds the top of
    // the table count as uncovered again.
    int holder = 0;
    for (const CCard* c : m_Pack.m_Cards) {
        if (c && c->m_Place == e_Going && !c->m_Beaten) {
            holder = c->m_Player;
            break;
        }
    }
    for (CCard* c : m_Pack.m_Cards)
        if (c && c->m_Place == e_Going && c->m_Player == holder)
            c->m_Beaten = false;
    return true;
}

bool CPublic::MoveCard(CCard* card, const int& x, const int& y, bool open) {
    if (!card)
        return false;
    MoveScope scope(*this);
    card->CardMove(x, y, 0, false);
    card->CardOpen(open);
    return true;
}

bool CPublic::MoveTakeCard(const int& player, CCard* card) {
    if (!card)
        return false;
    MoveScope scope(*this);
    card->m_Place = e_Take;
    card->m_Player = player;
    const QPoint pile = CopyLayout().takePos[std::clamp(player - 1, 0, kMaxPlayers - 1)];
    card->CardMove(pile.x(), pile.y() - kTakeLift, kSoundTake, m_Sound);
    return true;
}

int CPublic::DoTakeCards(const int& player) {
    MoveScope scope(*this);
    if (m_Sound)
        platform::PlayWaveResource(GetModuleResources("pub"), kSoundTake, true);
    const QPoint pile = CopyLayout().takePos[std::clamp(player - 1, 0, kMaxPlayers - 1)];
    int points = 0;
    for (CCard* card : m_Pack.m_Cards) {
        if (!card || !IsOnTable(card))
            continue;
        card->m_Place = e_Take;
        card->m_Player = player;
        card->CardMove(pile.x(), pile.y() - kTakeLift, 0, false);
        points += card->m_Scores;
    }
    platform::StopAllSounds();
    return points;
}

void CPublic::FixCardsTable() {
    for (CCard* card : m_Pack.m_Cards)
        if (card && IsOnTable(card))
            card->m_Moving = 0;
}

// ---- Rule queries ----

bool CPublic::CompareCards(const CCard* a, const CCard* b) {
    if (!a || !b || a->m_Player == b->m_Player)
        return false;
    // Trumps carry values 10..18, so one comparison covers trumps too.
    return (a->m_Mast == b->m_Mast || IsKozir(a)) && b->m_Value < a->m_Value;
}

int CPublic::CollectTargets(CCard** out, const int& player) {
    int n = 0;
    for (int value = kMaxValue; value >= 1 && n < kMaxTargets; --value) {
        for (CCard* card : m_Pack.m_Cards) {
            if (n == kMaxTargets)
                break;
            if (card && card->m_Value == value && card->m_Place == e_Going && !card->m_Beaten &&
                card->m_Player != player)
                out[n++] = card;
        }
    }
    return n;
}

bool CPublic::IsCanBita(const int& player) {
    CCard* targets[kMaxTargets] = {};
    const int numberTargets = CollectTargets(targets, player);

    CCard* answers[kMaxHand] = {};
    int numberAnswers = 0;
    for (int value = 1; value <= kMaxValue && numberAnswers < kMaxHand; ++value) {
        for (CCard* card : m_Pack.m_Cards) {
            if (numberAnswers == kMaxHand)
                break;
            if (card && card->m_Value == value && card->m_Place == e_Hand &&
                card->m_Player == player)
                answers[numberAnswers++] = card;
        }
    }

    // Weakest answer first, each on the strongest target it still beats; the
    // beaten flag marks a target as taken for the time of the check.
    int beaten = 0;
    for (int a = 0; a < numberAnswers; ++a) {
        for (int t = 0; t < numberTargets; ++t) {
            if (!targets[t]->m_Beaten && CompareCards(answers[a], targets[t])) {
                targets[t]->m_Beaten = true;
                ++beaten;
                break;
            }
        }
    }
    for (int t = 0; t < numberTargets; ++t)
        targets[t]->m_Beaten = false;
    return beaten >= numberTargets;
}

void CPublic::SortCardsTable(CCard** out, const int& player) {
    if (out)
        CollectTargets(out, player);
}

bool CPublic::IsMastOnTable(const int& mast) {
    bool anyGoing = false;
    for (const CCard* card : m_Pack.m_Cards) {
        if (!card || card->m_Place != e_Going)
            continue;
        if (card->m_Mast == mast)
            return true;
        anyGoing = true;
    }
    return !anyGoing;
}

int CPublic::GetNumberCardsOnTable() {
    return CountCards(m_Pack.m_Cards, IsOnTable);
}

int CPublic::GetNumberCardsPlayerOnTable(const int& player) {
    return CountCards(m_Pack.m_Cards,
                      [&](const CCard* c) { return IsOnTable(c) && c->m_Player == player; });
}

int CPublic::GetNumberCardsGoing() {
    return CountCards(m_Pack.m_Cards,
                      [](const CCard* c) { return c->m_Place == e_Going && c->m_IndexY == 0; });
}

int CPublic::GetNumberCardsReset() {
    return CountCards(m_Pack.m_Cards, [](const CCard* c) { return c->m_Place == e_Reset; });
}

int CPublic::GetNumberCardsPlayer(const int& player) {
    return CountCards(m_Pack.m_Cards, [&](const CCard* c) {
        return c->m_Place == e_Hand && c->m_Player == player;
    });
}

int CPublic::GetNumberKozirPlayer(const int& player) {
    return CountCards(m_Pack.m_Cards, [&](const CCard* c) {
        return c->m_Place == e_Hand && c->m_Player == player && IsKozir(c);
    });
}

int CPublic::GetNumberCardsEqualMast(const int& player, int* mast) {
    for (int suit = 1; suit <= 4; ++suit) {
        const int n = CountCards(m_Pack.m_Cards, [&](const CCard* c) {
            return c->m_Place == e_Hand && c->m_Player == player && c->m_Mast == suit &&
                   !IsKozir(c);
        });
        if (n >= 2) {
            if (mast)
                *mast = suit;
            return n;
        }
    }
    return 1;
}

int CPublic::GetIndexXGoingCards(const int& player) {
    return CountCards(m_Pack.m_Cards, [&](const CCard* c) {
        return c->m_Place == e_Going && c->m_Player == player;
    });
}

int CPublic::GetIndexYGoingCards() {
    const int led = GetNumberCardsGoing();
    if (led == 0)
        return 0;
    int rows = 0;
    for (int row = 0; row < 4; ++row) {
        const int n = CountCards(m_Pack.m_Cards, [&](const CCard* c) {
            return c->m_Place == e_Going && c->m_IndexY == row;
        });
        if (n >= led)
            ++rows;
    }
    return rows;
}

bool CPublic::IsCardsTableReset(const int& player) {
    return AnyCard(m_Pack.m_Cards,
                   [&](const CCard* c) { return c->m_Place == e_Reset && c->m_Player == player; });
}

bool CPublic::IsCardsGoingTablePlayer(const int& player) {
    return AnyCard(m_Pack.m_Cards,
                   [&](const CCard* c) { return c->m_Place == e_Going && c->m_Player == player; });
}

bool CPublic::CheckCompletionPlayer(const int& player) {
    // An answer is all beating cards or all discards.
    if (IsCardsTableReset(player) && IsCardsGoingTablePlayer(player))
        return false;
    if (GetNumberCardsPlayerOnTable(player) != GetNumberCardsGoing())
        return false;
    m_CompletionPlayer = true;
    return true;
}

bool CPublic::CheckCircleCompletion() {
    if (IsCardsTableReset(1) && IsCardsGoingTablePlayer(1))
        return false;
    const int active = SeatsInGame() - NumberOut();
    const int onTable = GetNumberCardsOnTable();
    if (onTable == 0 || onTable != active * GetNumberCardsGoing())
        return false;
    m_CircleCompletion = true;
    return true;
}

void CPublic::NextPlayer(int* player, int* count) {
    if (!player)
        return;
    const int n = SeatsInGame();
    if (IsValidGame()) {
        do {
            if (count)
                ++*count;
            *player = (*player >= 1 && *player < n) ? *player + 1 : 1;
        } while (m_Players[*player - 1].m_Out);
        return;
    }
    for (CPlayer& seat : m_Players)
        seat.m_Out = false;
    MyMessageBox(QStringLiteral("Начните новую партию!"), QStringLiteral("Внимание - ошибка"), 0x34,
                 0, 0);
}

// ---- Scoring, game end and party end ----

int CPublic::SeatsInGame() const {
    return std::clamp(m_NumberPlayers, 0, kMaxPlayers);
}

int CPublic::NumberOut() const {
    int n = 0;
    for (int i = 0; i < SeatsInGame(); ++i)
        if (m_Players[i].m_Out)
            ++n;
    return n;
}

int CPublic::Score(const int& player) {
    return IsSeat(player) ? m_Players[player - 1].m_Tablo.GetScoresValue() : 0;
}

bool CPublic::AllCardsTaken() {
    return !AnyCard(m_Pack.m_Cards, [](const CCard* c) { return c->m_Place != e_Take; });
}

int CPublic::GetMaxScores() {
    int best = Score(1);
    for (int p = 2; p <= kMaxPlayers; ++p)
        best = std::max(best, Score(p));
    return best;
}

int CPublic::GetMinBalls() {
    int least = m_Players[0].m_Tablo.GetBallsValue();
    for (int i = 1; i < kMaxPlayers; ++i)
        least = std::min(least, m_Players[i].m_Tablo.GetBallsValue());
    return least;
}

void CPublic::AddBalls(const int& /*winner*/) {
    const int best = GetMaxScores();
    for (int i = 0; i < SeatsInGame(); ++i) {
        CPlayer& seat = m_Players[i];
        const int balls = seat.m_Tablo.GetBallsValue();
        if (seat.m_Out || balls >= kMaxBalls)
            continue;
        const int score = seat.m_Tablo.GetScoresValue();
        int added = 0;
        if (score == 0)
            added = 6;
        else if (score < 30)
            added = 4; // the winner too, below 30
        else if (score < best)
            added = 2;
        seat.m_Tablo.SetBallsValue(balls + added);
    }
}

void CPublic::DecrementStars(const int& winner) {
    if (IsSeat(winner))
        m_Players[winner - 1].m_Star.Increment();
    for (int p = 1; p <= SeatsInGame(); ++p)
        if (p != winner)
            m_Players[p - 1].m_Star.Decrement();
}

void CPublic::ResetStars(const int& number) {
    for (int i = 0; i < SeatsInGame(); ++i)
        m_Players[i].m_Star.ResetStars(number);
}

bool CPublic::IsZanta(int* player) {
    const int n = SeatsInGame();
    int p = player ? *player : 1;
    if (p < 1 || p > n)
        p = 1;
    for (int i = 0; i < n; ++i) {
        const int trumps = CountCards(m_Pack.m_Cards, [&](const CCard* c) {
            return (c->m_Place == e_Hand || c->m_Place == e_Going) && c->m_Player == p &&
                   IsKozir(c);
        });
        if (trumps == 3) {
            if (player)
                *player = p;
            return true;
        }
        p = p % n + 1;
    }
    return false;
}

int CPublic::IsEndGame() {
    if (m_Game31) {
        // Points counted from the trick piles themselves, not the boards.
        for (int p = 1; p <= kMaxPlayers; ++p) {
            int points = 0;
            for (const CCard* card : m_Pack.m_Cards)
                if (card && card->m_Place == e_Take && card->m_Player == p)
                    points += card->m_Scores;
            if (points > 30)
                return p;
        }
        int holder = m_CurrentPlayer;
        return IsZanta(&holder) ? holder : -1;
    }

    if (!AllCardsTaken())
        return -1;
    const int best = GetMaxScores();
    int p = m_CurrentPlayer;
    for (int steps = 0;; ++steps) {
        if (IsSeat(p) && Score(p) == best)
            return p;
        if (steps >= SeatsInGame())
            return -1;
        NextPlayer(&p, nullptr);
    }
}

int CPublic::GetTrickTaker() {
    for (int value = 18; value >= 1; --value) {
        for (int i = 0; i < m_Pack.GetNumberCardsInPack(); ++i) {
            const CCard* c = m_Pack.GetCard(i);
            if (c && c->m_Place == e_Going && c->m_Value == value)
                return c->m_Player;
        }
    }
    return 0;
}

int CPublic::GetWinnerAllCardsTaken() {
    if (!AllCardsTaken())
        return -1;
    const int winner = IsEndGame();
    if (winner != -1 || !IsValidGame())
        return winner;
    // Nobody passed 30 (four players with 30 each): the highest score wins.
    const int n = SeatsInGame();
    int p = m_CurrentPlayer;
    if (p < 1 || p > n || m_Players[p - 1].m_Out)
        NextPlayer(&p, nullptr);
    int best = p;
    for (int i = 1; i < n; ++i) {
        NextPlayer(&p, nullptr);
        if (Score(p) > Score(best))
            best = p;
    }
    return best;
}

void CPublic::DoOutPlayers() {
    const int n = SeatsInGame();
    const int before = NumberOut();
    int dropped = 0;
    bool userDropped = false;
    for (int i = 0; i < n; ++i) {
        CPlayer& seat = m_Players[i];
        if (seat.m_Out)
            continue;
        const bool drop = m_Game31 ? seat.m_Star.GetNumberStars() == 0
                                   : seat.m_Tablo.GetBallsValue() > kMaxBalls - 1;
        if (!drop)
            continue;
        seat.m_Out = true;
        seat.m_Tablo.ResetColor(false);
        ++dropped;
        if (i == 0)
            userDropped = true;
    }
    // The user's own drop and the end of the party are told otherwise.
    if (userDropped || n - dropped < 2)
        return;
    QString text;
    if (before == 0 && dropped == 1)
        text = QStringLiteral("Один игрок вылетел!");
    else if ((before == 0 && dropped == 2) || (before == 1 && dropped == 1) ||
             (before >= 1 && dropped == 2))
        text = QStringLiteral("Два игрока вылетели!");
    if (text.isEmpty())
        return;
    m_LabelMessage.SetCaption(text, 0);
    m_LabelMessage.Show(true);
}

int CPublic::IsEndParty() {
    DoOutPlayers();
    const int n = SeatsInGame();
    int result = m_Players[0].m_Out ? e_PartyUserOut : 0;
    if (n - NumberOut() != 1)
        return result | e_PartyGoesOn;
    result |= e_PartyOver;
    for (int i = 0; i < n; ++i)
        if (!m_Players[i].m_Out)
            result |= e_PartyWinnerSeat1 << i;
    return result;
}

bool CPublic::IsValidGame() {
    return NumberOut() < SeatsInGame();
}

int CPublic::StateGame() {
    if (m_Pack.IsPackFull())
        return e_StateNoParty;
    int code = 0;
    if (IsEndGame() != -1 || GetWinnerAllCardsTaken() != -1)
        code = e_StateGameOver;
    const int party = IsEndParty();
    if (party & e_PartyUserOut)
        code |= e_StateUserOut;
    return code | ((party & e_PartyOver) ? e_StatePartyOver : e_StatePartyRuns);
}
