#include "PlayWithComputer.h"

#include "GuiThread.h"
#include "MyLabel.h"
#include "Sound.h"
#include "Star.h"
#include "Time.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <ctime>
#include <thread>

std::atomic<int> g_CountWorkThreads{0};
std::atomic<int> g_LastFirstPlayer{0};

namespace {
constexpr UINT kProgramIcon = 8037;
constexpr int kConfirmFlags = 24; // icon with "ОК" and "Отмена"

int ZantaPause(int rate) { return static_cast<int>(rate * 2.5); }
} // namespace

CPlayWithComputer::CPlayWithComputer(QWidget* parent)
    : CWnd(parent), m_Random(static_cast<std::uint32_t>(time(nullptr))),
      m_Computer(m_Public, [this] { return NextRandom(); }) {
    setFocusPolicy(Qt::StrongFocus);
    m_Public.m_NumberPlayers = 2;
    m_Public.SetParent(this);
    m_Public.m_LabelAnnounce.SetCaption(QStringLiteral("Господа, ставки!"), 0);
    m_Public.m_LabelAnnounce.SetShade(true);
    m_Public.m_LabelAnnounce.Show(true);
    m_Public.m_Pack.InitPack36(this);
    m_Public.m_Pack.SetValueZanta();
    m_Public.m_Players[1].SetName(QStringLiteral("Евлампий"));
    m_Public.m_Players[2].SetName(QStringLiteral("Рудольф"));
    m_Public.m_Players[3].SetName(QStringLiteral("Онуфрий"));
    for (auto& seat : m_Public.m_Players)
        seat.ResetScores();
}

CPlayWithComputer::~CPlayWithComputer() = default;

int CPlayWithComputer::NextRandom() {
    std::lock_guard lock(m_RandomMutex);
    return m_Random.Next();
}

bool CPlayWithComputer::IsBusy() {
    return CMyLabel::m_staticCountThreads != 0 || CStar::m_staticCountThreads != 0 ||
           CCard::m_staticProccessMovecard != 0 || g_CountWorkThreads != 0;
}

void CPlayWithComputer::StartWorker(std::function<void()> fn) {
    ++g_CountWorkThreads;
    std::thread([fn = std::move(fn)] {
        fn();
        --g_CountWorkThreads;
    }).detach();
}

void CPlayWithComputer::OnGui(const std::function<void()>& fn) { platform::RunOnGuiThread(fn); }

QString CPlayWithComputer::SeatName(int seat) {
    return m_Public.m_Players[seat - 1].m_LabelName.GetCaption();
}

void CPlayWithComputer::ShowVictory(int seat) {
    OnGui([&] {
        m_Public.m_VictoryTable.DistrPlaceVictory(SeatName(seat), seat,
                                                  m_Public.m_Players[seat - 1].m_Victory,
                                                  m_Public.m_NumberPlayers);
    });
}

void CPlayWithComputer::Announce(const QString& text, int effect) {
    StartWorker([this, text, effect] { m_Public.m_LabelAnnounce.SetCaption(text, effect); });
}

void CPlayWithComputer::BreakAnimations() {
    CCard::m_staticAnimCards = false;
    CStar::m_staticBreak = true;
    CMyLabel::m_staticBreak = true;
}

void CPlayWithComputer::RunWhenIdle(std::function<void()> fn) {
    m_IdleWork.push_back(std::move(fn));
    OnIdle();
}

void CPlayWithComputer::StopPlay() {
    m_Stopped = true;
    for (UINT id : {TIMER_FIRST_HELP, TIMER_STEP, TIMER_ZANTA, TIMER_IDLE})
        KillTimer(id);
}

void CPlayWithComputer::OnIdle() {
    if (IsBusy()) {
        SetTimer(TIMER_IDLE, 15);
        return;
    }
    auto work = std::move(m_IdleWork);
    m_IdleWork.clear();
    for (auto& fn : work)
        fn();
    if (m_BreakParty) {
        OnNewParty();
        m_BreakParty = false;
    }
}

bool CPlayWithComputer::ConfirmAbandon(const QString& question) {
    return m_Public.MyMessageBox(question, QStringLiteral("Внимание!"), kConfirmFlags, kProgramIcon,
                                 kProgramIcon) == 1;
}

// ---- parties and games ---------------------------------------------------

void CPlayWithComputer::OnNewParty() {
    if (g_CountWorkThreads != 0)
        return;
    const int state = m_Public.StateGame();
    if (!m_BreakParty && (state & 4) && !(state & 0x10)) {
        if (!ConfirmAbandon(QStringLiteral("Прервать текущую игру и начать новую партию?")))
            return;
        BreakAnimations();
        m_BreakParty = true;
        m_Public.m_CurrentPlayer = 0;
        OnIdle(); // starts the party once all is still
        return;
    }
    StartWorker([this] { NewParty(); });
}

void CPlayWithComputer::NewParty() {
    ResetParty();
    CPublic& t = m_Public;
    // A seat outside the table (left from a larger one) is drawn afresh.
    if (t.m_CurrentPlayer < 1 || t.m_CurrentPlayer > t.m_NumberPlayers) {
        int seat = 0;
        do
            seat = NextRandom() % t.m_NumberPlayers + 1;
        while (seat == g_LastFirstPlayer && t.m_NumberPlayers > 1);
        g_LastFirstPlayer = seat;
        t.m_CurrentPlayer = seat;
    }
    StartGame();
}

void CPlayWithComputer::ResetParty() {
    CPublic& t = m_Public;
    t.ResetStars(t.m_Game31 ? m_NumberStars.load() : 0);
    for (int k = 1; k <= t.m_NumberPlayers; ++k) {
        OnGui([&] {
            t.m_VictoryTable.DistrPlaceVictory(SeatName(k), k, 0, t.m_NumberPlayers);
        });
        CPlayer& seat = t.m_Players[k - 1];
        seat.ResetBalls();
        seat.m_Out = false;
        seat.ResetTabloColor();
        seat.ResetVictory();
    }
    t.m_NumberGame = 0;
    if (!t.m_Pack.IsPackFull())
        t.m_Pack.CardsToPack(true);
    t.m_LabelResult.SetCaption(QString(), 0);
}

void CPlayWithComputer::ResetGame() {
    CPublic& t = m_Public;
    t.m_LabelMessage.Show(false);
    OnGui([&] { t.ShowActiveButton(QString(), false); });
    t.m_LabelResult.SetCaption(QString(), 0);
    for (auto& seat : t.m_Players)
        seat.ResetScores();
}

void CPlayWithComputer::StartGame() {
    CPublic& t = m_Public;
    ResetGame();
    m_GameEnded = false;
    m_ZantaPending = false;
    if (++t.m_NumberGame > 1)
        m_FirstHelp = false;
    Announce(QStringLiteral("Игра №") + QString::number(t.m_NumberGame), 1);
    t.m_Pack.ShufflePack();
    t.m_Pack.CardsToPack(true);
    DistrCards(t.m_CurrentPlayer, 3);
}

bool CPlayWithComputer::DistrCards(int& seat, const int& wanted) {
    CPublic& t = m_Public;
    t.m_CircleCompletion = false;
    t.DoDistrCards(3 - wanted, seat, t.m_NumberPlayers);
    int z = seat;
    if (t.IsZanta(&z)) {
        OnGui([&] { t.FlashPlayer(z); });
        t.m_CurrentPlayer = z;
        Announce(QStringLiteral("Внимание, занта!"), 1);
        t.m_LabelMessage.SetCaption(z == 1 ? QStringLiteral("У вас занта!")
                                           : QStringLiteral("У игрока ") + SeatName(z) +
                                                 QStringLiteral(" занта!"),
                                    0);
        t.m_LabelMessage.Show(true);
        if (t.m_Game31) {
            m_ZantaPending = true;
            KillTimer(TIMER_STEP);
        }
        SetTimer(t.m_Game31 ? TIMER_ZANTA : TIMER_STEP,
                 static_cast<UINT>(ZantaPause(m_GameRate)));
    } else {
        OnGui([&] { t.FlashPlayer(0); });
        SetTimer(TIMER_STEP, static_cast<UINT>(m_GameRate.load()));
    }
    return true;
}

void CPlayWithComputer::StepGame() {
    CPublic& t = m_Public;
    if (t.m_CircleCompletion) {
        t.m_CurrentPlayer = TakeTrick();
        int winner = t.IsEndGame();
        // Every card taken and nobody above 30: the game still ends.
        if (winner == -1)
            winner = t.GetWinnerAllCardsTaken();
        if (winner == -1)
            DistrCards(t.m_CurrentPlayer, 3 - t.GetNumberCardsPlayer(t.m_CurrentPlayer));
        else
            EndGame(winner);
        return;
    }
    if (t.m_Game31 && m_ZantaPending) {
        // A zanta is on the table: it ends the game, nobody moves.
        ZantaEnd();
        return;
    }
    if (t.m_CurrentPlayer == 1) {
        t.m_LabelMessage.SetCaption(QStringLiteral("Ваш ход!"), 0);
        t.m_LabelMessage.Show(true);
        m_UserMoved = false;
        OnGui([&] { t.FlashPlayer(0); });
        return; // the game waits for the user
    }
    const int seat = t.m_CurrentPlayer;
    if (t.GetNumberCardsOnTable() == 0)
        m_Computer.ComputerLead(seat);
    else if (!m_Computer.ComputerBeat(seat))
        m_Computer.ComputerThrow(seat);
    t.CorrectLocationCardsTable();
    t.CorrectLocationCardsTake();
    t.CheckCircleCompletion();
    t.NextPlayer(&t.m_CurrentPlayer, nullptr);
    OnGui([&] { t.FlashPlayer(0); });
    // Armed last, so the next step never overlaps this one.
    SetTimer(TIMER_STEP, static_cast<UINT>(m_GameRate.load()));
}

int CPlayWithComputer::TakeTrick() {
    CPublic& t = m_Public;
    const int taker = t.GetTrickTaker();
    if (taker == 0)
        return t.m_CurrentPlayer;
    CTablo& board = t.m_Players[taker - 1].m_Tablo;
    board.SetScoreValue(board.GetScoresValue() + t.DoTakeCards(taker));
    return taker;
}

void CPlayWithComputer::EndGame(int winner) {
    CPublic& t = m_Public;
    m_GameEnded = true;
    m_ZantaPending = false;
    t.m_CurrentPlayer = winner;
    if (t.m_Game31)
        t.DecrementStars(winner);
    else
        t.AddBalls(winner);
    ++t.m_Players[winner - 1].m_Victory;
    ShowVictory(winner);
    const int party = t.IsEndParty();
    if (party & 8) {
        t.m_LabelMessage.Show(false);
        t.m_LabelResult.Show(true);
        Announce(QStringLiteral("Партия окончена!"), 2);
        t.m_LabelResult.SetCaption(QStringLiteral("Вы проиграли!"), 2);
    } else if (party & 2) {
        Announce(QStringLiteral("Игра окончена!"), 1);
    } else if (party & 0x10) {
        t.m_LabelMessage.Show(false);
        t.m_LabelResult.Show(true);
        t.m_LabelResult.SetCaption(QStringLiteral("Вы выиграли!"), 2);
    }
    const int state = t.StateGame();
    if (state & (0x20 | 0x10)) {
        t.m_CurrentPlayer = winner + 1 > t.m_NumberPlayers ? 1 : winner + 1;
        OnGui([&] { t.ShowActiveButton(QStringLiteral("Новая партия!"), true); });
    } else {
        t.NextPlayer(&t.m_CurrentPlayer, nullptr);
        OnGui([&] { t.ShowActiveButton(QStringLiteral("Сдать карты!"), true); });
    }
}

void CPlayWithComputer::ZantaEnd() {
    // One zanta ends one game, however many timers come due for it.
    if (!m_ZantaPending.exchange(false))
        return;
    CPublic& t = m_Public;
    const int holder = t.m_CurrentPlayer;
    if (holder != 1) {
        for (int i = 0; i < t.m_Pack.GetNumberCardsInPack(); ++i) {
            CCard* c = t.m_Pack.GetCard(i);
            if (c->m_Place == e_Hand && c->m_Player == holder)
                t.MoveCard_GO(holder, c, true);
        }
    }
    EndGame(holder);
}

bool CPlayWithComputer::IsNextGameReady() {
    const int state = m_Public.StateGame();
    return (state & 8) && !(state & 0x20) && !(state & 0x10);
}

// ---- timers and messages ---------------------------------------------------

void CPlayWithComputer::OnTimer(UINT id) {
    KillTimer(id);
    if (m_Stopped && id != TIMER_IDLE)
        return;
    switch (id) {
    case TIMER_FIRST_HELP:
        if (m_ShowFirstHelp)
            m_ShowFirstHelp();
        break;
    case TIMER_STEP:
        // A zanta being shown ends a 31-point game, whichever step comes due.
        if (m_Public.m_Game31 && m_ZantaPending) {
            if (!m_BreakParty)
                StartWorker([this] { ZantaEnd(); });
            break;
        }
        if (!m_Public.m_Game31 &&
            m_Public.m_LabelAnnounce.GetCaption() == QStringLiteral("Внимание, занта!"))
            Announce(QStringLiteral("Продолжение игры"), 1);
        StartWorker([this] { StepGame(); });
        break;
    case TIMER_ZANTA:
        if (!m_BreakParty)
            StartWorker([this] { ZantaEnd(); });
        break;
    case TIMER_IDLE:
        OnIdle();
        break;
    default:
        break;
    }
}

LRESULT CPlayWithComputer::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CARD_LBUTTONDOWN:
        OnCardClick(reinterpret_cast<CCard*>(wParam));
        return 0;
    case WM_PAGE_VIEW:
        m_Public.ProgView(static_cast<unsigned>(wParam), lParam);
        return 0;
    case WM_PUBLIC_SETTING: {
        const int state = static_cast<int>(lParam);
        switch (wParam) {
        case 1021:
            m_GameRate = state;
            break;
        case 1023:
            m_Public.m_Pack.ShowAinmationCards(state == 1);
            break;
        case 1052:
            m_Public.m_Sound = state == 1;
            break;
        case 1079:
            if (state == 1) {
                m_Public.m_Pack.OpenAllCards(true);
            } else {
                for (int i = 0; i < m_Public.m_Pack.GetNumberCardsInPack(); ++i) {
                    CCard* c = m_Public.m_Pack.GetCard(i);
                    c->m_bAlwaysOpen = false;
                    if (c->m_Place == e_Reset)
                        c->CardClose(true);
                    c->Invalidate(TRUE);
                }
            }
            break;
        case 1081:
            SetGameForStars(state == 1);
            break;
        case 1082:
            m_Public.m_ShowTabloVictory = state != 0;
            m_Public.m_VictoryTable.ShowWindow(m_Public.m_Game31 && state == 1 ? SW_SHOW
                                                                                : SW_HIDE);
            break;
        default:
            Beep(3000, 1000);
            break;
        }
        return 0;
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

bool CPlayWithComputer::OnCommand(UINT id) {
    switch (id) {
    case ID_NEW_PARTY:
        OnNewParty();
        return true;
    case ID_NEXT_GAME:
        if (IsNextGameReady() && g_CountWorkThreads == 0)
            StartWorker([this] { StartGame(); });
        return true;
    case ID_GAME31:
    case ID_GAME12: {
        const bool game31 = id == ID_GAME31;
        if (m_Public.m_Game31 == game31)
            return true;
        const int state = m_Public.StateGame();
        if (!m_BreakParty && (state & 4) && !(state & 0x10)) {
            if (!ConfirmAbandon(game31 ? QStringLiteral("Прервать текущую партию и начать игру до 31 очка?")
                                       : QStringLiteral("Прервать текущую партию и начать игру до 12 баллов?")))
                return true;
            BreakAnimations();
            m_BreakParty = true;
        }
        // Running steps finish first; the new kind is applied when all is still.
        RunWhenIdle([this, game31] { SetGameKind(game31); });
        return true;
    }
    case ID_TWO_PLAYERS:
        SetNumberPlayers(2);
        return true;
    case ID_THREE_PLAYERS:
        SetNumberPlayers(3);
        return true;
    case ID_FOUR_PLAYERS:
        SetNumberPlayers(4);
        return true;
    case ID_CHANGE_NAMES:
        if (m_ShowNames)
            m_ShowNames();
        return true;
    default:
        return false;
    }
}

bool CPlayWithComputer::IsCommandEnabled(UINT id) {
    if (id == ID_NEXT_GAME)
        return IsNextGameReady();
    return true;
}

bool CPlayWithComputer::IsCommandChecked(UINT id) {
    switch (id) {
    case ID_GAME31:
        return m_Public.m_Game31;
    case ID_GAME12:
        return !m_Public.m_Game31;
    case ID_TWO_PLAYERS:
    case ID_THREE_PLAYERS:
    case ID_FOUR_PLAYERS:
        return m_Public.m_NumberPlayers == static_cast<int>(id - ID_TWO_PLAYERS) + 2;
    default:
        return false;
    }
}

void CPlayWithComputer::SetNumberPlayers(int n) {
    CPublic& t = m_Public;
    if (t.m_NumberPlayers == n || n < 2 || n > 4)
        return;
    const int state = t.StateGame();
    if (!m_BreakParty && (state & 4) && !(state & 0x10)) {
        static const char* const words[] = {"двумя", "тремя", "четырьмя"};
        const QString question = QStringLiteral("Прервать текущую партию и начать игру  с %1 игроками?")
                                     .arg(QString::fromUtf8(words[n - 2]));
        if (!ConfirmAbandon(question))
            return;
        BreakAnimations();
        m_BreakParty = true;
        t.m_CurrentPlayer = 0;
    }
    RunWhenIdle([this, n] {
        CPublic& table = m_Public;
        table.m_NumberPlayers = n;
        ResetParty();
        ShowVictory(1);
        table.SetCoordinateCardsPlayers(width(), height());
        Invalidate(TRUE);
    });
}

void CPlayWithComputer::SetGameKind(bool game31) {
    CPublic& t = m_Public;
    t.m_Game31 = game31;
    ResetParty();
    for (auto& seat : t.m_Players)
        seat.m_Tablo.SwapView(game31);
    if (game31) {
        t.ResetStars(m_NumberStars);
        t.m_VictoryTable.ShowWindow(t.m_ShowTabloVictory ? SW_SHOW : SW_HIDE);
    } else {
        t.ResetStars(0);
        t.m_VictoryTable.ShowWindow(SW_HIDE);
    }
    if (m_SetTitle)
        m_SetTitle(QStringLiteral("Карточная игра Занта") +
                   (game31 ? QStringLiteral(" - до 31 очка") : QStringLiteral(" - до 12 баллов")));
    Invalidate(TRUE);
}

void CPlayWithComputer::SetGameForStars(bool on) {
    if (!m_Public.m_Game31)
        return;
    m_GameForStars = on;
    m_NumberStars = on ? 5 : 1000;
    m_Public.ResetStars(m_NumberStars);
}

// ---- the user's moves --------------------------------------------------------

void CPlayWithComputer::OnCardClick(CCard* card) {
    CPublic& t = m_Public;
    // The game's end and a zanta are what the view itself recorded: asking the
    // table would also count trumps laid face up in this circle, and a hand of
    // two trumps plus one laid on the table would then lock the user out for good.
    if (!card || IsBusy() || card->m_Place != e_Hand || card->m_Player != 1 ||
        t.m_CurrentPlayer != 1 || m_UserMoved || t.m_CircleCompletion || m_GameEnded ||
        (t.m_Game31 && m_ZantaPending))
        return;

    if (t.GetNumberCardsPlayerOnTable(1) == t.GetNumberCardsOnTable()) {
        if (!UserLead(card)) {
            t.CorrectLocationCardsUser();
            return;
        }
        int suit = 1;
        while (suit <= 4 && !t.IsMastOnTable(suit))
            ++suit;
        bool holdsSuit = false;
        for (CCard* c : UserHand())
            if (c->m_Mast == suit)
                holdsSuit = true;
        if (holdsSuit) {
            t.ShowActiveButton(QStringLiteral("Далее"), true);
            t.CorrectLocationCardsTable();
        } else {
            t.m_LabelMessage.Show(false);
            m_UserMoved = true;
            t.ShowActiveButton(QStringLiteral("Далее"), false);
            t.m_CurrentPlayer = 2;
            SetTimer(TIMER_STEP, static_cast<UINT>(m_GameRate.load()));
            t.CorrectLocationCardsTable();
        }
        return;
    }

    if (t.m_ClosedCardReset && t.IsCardsTableReset(1)) {
        UserReset(card);
    } else if (!UserBeat(card)) {
        // Cannot beat everything: this card and all laid so far go face down.
        UserReset(card);
        for (int i = 0; i < t.m_Pack.GetNumberCardsInPack(); ++i) {
            CCard* c = t.m_Pack.GetCard(i);
            if (c->m_Place == e_Going && c->m_Player == 1)
                UserReset(c);
        }
    }
    t.CorrectLocationCardsTable();
    const bool circle = t.CheckCircleCompletion();
    if (!circle && t.CheckCompletionPlayer(1)) {
        m_UserMoved = true;
        t.m_LabelMessage.Show(false);
        t.m_CurrentPlayer = 2;
        SetTimer(TIMER_STEP, static_cast<UINT>(m_GameRate.load()));
    }
    if (circle) {
        t.m_LabelMessage.Show(false);
        SetTimer(TIMER_STEP, static_cast<UINT>(m_GameRate.load()));
    }
}

bool CPlayWithComputer::UserLead(CCard* card) {
    CPublic& t = m_Public;
    if (!t.IsMastOnTable(card->m_Mast) || card->m_Place != e_Hand)
        return false;
    t.MoveCard_GO(1, card, true);
    t.FlashPlayer(0);
    return true;
}

bool CPlayWithComputer::UserBeat(CCard* card) {
    CPublic& t = m_Public;
    if (!t.IsCanBita(1))
        return false;
    CCard* list[3] = {};
    t.SortCardsTable(list, 1);
    for (CCard* target : list) {
        if (target && t.CompareCards(card, target)) {
            t.BitaCard(card, target);
            t.FlashPlayer(0);
            return true;
        }
    }
    return false;
}

bool CPlayWithComputer::UserReset(CCard* card) {
    if (card->m_Place == e_Reset)
        return false;
    m_Public.ResetCard(card);
    return true;
}

std::vector<CCard*> CPlayWithComputer::UserHand() {
    std::vector<CCard*> hand;
    for (int i = 0; i < m_Public.m_Pack.GetNumberCardsInPack(); ++i) {
        CCard* c = m_Public.m_Pack.GetCard(i);
        if (c->m_Place == e_Hand && c->m_Player == 1)
            hand.push_back(c);
    }
    std::sort(hand.begin(), hand.end(),
              [](CCard* a, CCard* b) { return a->GetCardPos().x() < b->GetCardPos().x(); });
    return hand;
}

void CPlayWithComputer::OnButtonClick(QPoint point) {
    CPublic& t = m_Public;
    if (!t.m_ShowButton || !t.m_ButtonRect.contains(point))
        return;
    if (t.m_ButtonText == QStringLiteral("Далее")) {
        if (IsBusy())
            return;
        t.ShowActiveButton(QString(), false);
        t.m_LabelMessage.Show(false);
        m_UserMoved = true;
        t.m_CurrentPlayer = 2;
        SetTimer(TIMER_STEP, static_cast<UINT>(m_GameRate.load()));
    } else if (t.m_ButtonText == QStringLiteral("Сдать карты!")) {
        // One deal at a time: a second click while it starts does nothing.
        if (g_CountWorkThreads == 0)
            StartWorker([this] { StartGame(); });
    } else if (t.m_ButtonText == QStringLiteral("Новая партия!")) {
        OnNewParty();
    }
}

void CPlayWithComputer::OnLButtonDown(UINT, QPoint point) {
    setFocus();
    OnButtonClick(point);
}

void CPlayWithComputer::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F2:
        if (IsNextGameReady())
            OnCommand(ID_NEXT_GAME);
        else
            OnNewParty();
        return;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3: {
        const auto hand = UserHand();
        const size_t index = static_cast<size_t>(event->key() - Qt::Key_1);
        if (index < hand.size())
            OnCardClick(hand[index]);
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_Public.m_ShowButton)
            OnButtonClick(m_Public.m_ButtonRect.center());
        return;
    default:
        CWnd::keyPressEvent(event);
    }
}

BOOL CPlayWithComputer::OnEraseBkgnd(QPainter& dc) {
    m_Public.DrawBackGround(&dc);
    m_Public.OnPaint(&dc);
    return TRUE;
}

void CPlayWithComputer::OnSize(UINT, int cx, int cy) {
    if (isVisible())
        m_Public.OnSize(cx, cy);
}

void CPlayWithComputer::showEvent(QShowEvent* event) {
    CWnd::showEvent(event);
    m_Public.OnSize(width(), height());
    if (m_FirstHelp)
        SetTimer(TIMER_FIRST_HELP, 100);
}
