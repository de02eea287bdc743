#include "PlayWithComputer.h"
#include "ResourceIds.h"

#include "GuiThread.h"
#include "Hand.h"
#include "MyLabel.h"
#include "PageView.h"
#include "PublicSettingIds.h"
#include "Sound.h"
#include "Star.h"
#include "Time.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainter>

#include <algorithm>
#include <ctime>
#include <thread>

Q_LOGGING_CATEGORY(lcFlow, "zanta.flow", QtCriticalMsg)

std::atomic<int> g_CountWorkThreads{0};
std::atomic<int> g_LastFirstPlayer{0};

namespace {
constexpr UINT kProgramIcon = pubres::IDI_PROGRAM;
constexpr int kConfirmFlags = 24; // icon with "ОК" and "Отмена"
// How soon a step that found the last step's worker still ending comes again.
constexpr int kStepRetryMs = 10;

int ZantaPause(int rate) { return static_cast<int>(rate * 2.5); }
} // namespace

CPlayWithComputer::CPlayWithComputer(QWidget* parent)
    : CWnd(parent), m_Random(static_cast<std::uint32_t>(time(nullptr))), m_Moves(m_Public),
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

bool CPlayWithComputer::StartGameWorker(std::function<void()> fn) {
    if (m_Stopped || m_GameWorker.exchange(true)) {
        qCDebug(lcFlow) << "game step refused: another one runs";
        return false;
    }
    StartWorker([this, fn = std::move(fn)] {
        fn();
        m_GameWorker = false;
    });
    return true;
}

void CPlayWithComputer::OnGui(const std::function<void()>& fn) { platform::RunOnGuiThread(fn); }

QString CPlayWithComputer::SeatName(int seat) {
    return m_Public.m_Players[seat - 1].m_LabelName.GetCaption();
}

void CPlayWithComputer::Announce(const QString& text, int effect) {
    StartWorker([this, text, effect] { m_Public.m_LabelAnnounce.SetCaption(text, effect); });
}

void CPlayWithComputer::KillGameTimers() {
    KillTimer(TIMER_STEP);
    KillTimer(TIMER_ZANTA);
}

void CPlayWithComputer::ArmTimer(UINT id, int ms) {
    if (m_BreakParty || m_Stopped) {
        qCDebug(lcFlow) << "timer" << id << "not armed: the party is left";
        return;
    }
    SetTimer(id, static_cast<UINT>(ms));
}

void CPlayWithComputer::AbandonParty(bool drawFirstSeat) {
    qCDebug(lcFlow) << "party abandoned";
    CCard::m_staticAnimCards = false;
    CStar::m_staticBreak = true;
    CMyLabel::m_staticBreak = true;
    m_BreakParty = true;
    m_DrawFirstSeat = m_DrawFirstSeat || drawFirstSeat;
    KillGameTimers();
}

void CPlayWithComputer::RunWhenIdle(std::function<void()> fn) {
    if (m_Stopped)
        return;
    m_IdleWork.push_back(std::move(fn));
    OnIdle();
}

void CPlayWithComputer::StopPlay() {
    m_Stopped = true;
    m_IdleWork.clear();
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
    for (auto& fn : work) {
        // Closing wins: nothing starts after the window's last work.
        if (m_Stopped)
            return;
        fn();
    }
    if (m_BreakParty && !m_Stopped) {
        // A step that ended after the abandon may have armed its timer.
        KillGameTimers();
        if (m_DrawFirstSeat)
            m_Public.m_CurrentPlayer = 0;
        m_DrawFirstSeat = false;
        m_BreakParty = false;
        StartNewParty();
    }
}

bool CPlayWithComputer::IsPartyUnderWay() const {
    const int state = m_PartyState;
    return (state & e_StatePartyRuns) && !(state & e_StateUserOut);
}

bool CPlayWithComputer::ConfirmAbandon(const QString& question) {
    return m_Public.MyMessageBox(question, QStringLiteral("Внимание!"), kConfirmFlags, kProgramIcon,
                                 kProgramIcon) == 1;
}

// ---- parties and games ---------------------------------------------------

void CPlayWithComputer::OnNewParty() {
    if (g_CountWorkThreads != 0 || m_Stopped)
        return;
    if (!m_BreakParty && IsPartyUnderWay()) {
        if (ConfirmAbandon(QStringLiteral("Прервать текущую игру и начать новую партию?"))) {
            AbandonParty(true);
            OnIdle(); // starts the party once all is still
        }
        return;
    }
    StartNewParty();
}

void CPlayWithComputer::StartNewParty() {
    KillGameTimers();
    m_PartyState = e_StatePartyRuns;
    StartGameWorker([this] { NewParty(); });
}

void CPlayWithComputer::NewParty() {
    ResetParty();
    if (const int seat = m_Moves.DrawFirstSeat([this] { return NextRandom(); }, g_LastFirstPlayer))
        g_LastFirstPlayer = seat;
    StartGame();
}

void CPlayWithComputer::ResetParty() {
    m_Moves.ResetParty(m_NumberStars);
}

void CPlayWithComputer::ResetGame() {
    CPublic& t = m_Public;
    t.m_LabelMessage.Show(false);
    OnGui([&] { t.ShowActiveButton(QString(), false); });
    t.m_LabelResult.SetCaption(QString(), 0);
}

void CPlayWithComputer::StartGame() {
    CPublic& t = m_Public;
    ResetGame();
    m_GameEnded = false;
    m_ZantaPending = false;
    m_Moves.StartGame();
    if (t.m_NumberGame > 1)
        m_FirstHelp = false;
    Announce(QStringLiteral("Игра №") + QString::number(t.m_NumberGame), 1);
    DistrCards(t.m_CurrentPlayer);
}

void CPlayWithComputer::DistrCards(int seat) {
    CPublic& t = m_Public;
    m_Dealing = true;
    const int z = m_Moves.DistrCards(seat);
    m_Dealing = false;
    if (z != 0) {
        qCDebug(lcFlow) << "zanta of seat" << z;
        OnGui([&] { t.FlashPlayer(z); });
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
        ArmTimer(t.m_Game31 ? TIMER_ZANTA : TIMER_STEP, ZantaPause(m_GameRate));
    } else {
        OnGui([&] { t.FlashPlayer(0); });
        ArmTimer(TIMER_STEP, m_GameRate);
    }
}

void CPlayWithComputer::StepGame() {
    CPublic& t = m_Public;
    if (t.m_CircleCompletion) {
        m_Moves.TakeTrick();
        const int winner = m_Moves.GameWinner();
        if (winner == -1)
            DistrCards(t.m_CurrentPlayer);
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
    m_Moves.FinishMove();
    OnGui([&] { t.FlashPlayer(0); });
    // Armed last, so the next step never overlaps this one.
    ArmTimer(TIMER_STEP, m_GameRate);
}

void CPlayWithComputer::EndGame(int winner) {
    CPublic& t = m_Public;
    const int party = m_Moves.EndGame(winner);
    if (party & e_PartyUserOut) {
        t.m_LabelMessage.Show(false);
        t.m_LabelResult.Show(true);
        Announce(QStringLiteral("Партия окончена!"), 2);
        t.m_LabelResult.SetCaption(QStringLiteral("Вы проиграли!"), 2);
    } else if (party & e_PartyGoesOn) {
        Announce(QStringLiteral("Игра окончена!"), 1);
    } else if (party & e_PartyWinnerSeat1) {
        t.m_LabelMessage.Show(false);
        t.m_LabelResult.Show(true);
        t.m_LabelResult.SetCaption(QStringLiteral("Вы выиграли!"), 2);
    }
    const int state = m_Moves.PassDeal(winner);
    m_PartyState = state;
    m_ZantaPending = false;
    m_GameEnded = true;
    const bool over = state & (e_StatePartyOver | e_StateUserOut);
    OnGui([&] { t.ShowActiveButton(over ? ButtonText::NewParty : ButtonText::Deal, true); });
}

void CPlayWithComputer::ZantaEnd() {
    // One zanta ends one game, however many timers come due for it.
    if (!m_ZantaPending)
        return;
    const int holder = m_Public.m_CurrentPlayer;
    m_Moves.ShowZanta(holder);
    EndGame(holder);
}

bool CPlayWithComputer::IsNextGameReady() const {
    // The view's own record, not the table: a worker may be moving it, and a
    // zanta waiting to end its game is no finished game.
    const int state = m_PartyState;
    return m_GameEnded && !m_ZantaPending && (state & e_StateGameOver) &&
           !(state & (e_StatePartyOver | e_StateUserOut));
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
        if (m_BreakParty || m_Dealing) {
            qCDebug(lcFlow) << "step dropped: the party is left or a deal runs";
            break;
        }
        if (m_GameWorker) {
            // The last step armed this timer just before its worker ended.
            SetTimer(TIMER_STEP, kStepRetryMs);
            break;
        }
        // A zanta being shown ends a 31-point game, whichever step comes due.
        if (m_Public.m_Game31 && m_ZantaPending) {
            StartGameWorker([this] { ZantaEnd(); });
            break;
        }
        if (!m_Public.m_Game31 &&
            m_Public.m_LabelAnnounce.GetCaption() == QStringLiteral("Внимание, занта!"))
            Announce(QStringLiteral("Продолжение игры"), 1);
        StartGameWorker([this] { StepGame(); });
        break;
    case TIMER_ZANTA:
        if (m_BreakParty)
            break;
        if (!StartGameWorker([this] { ZantaEnd(); }))
            SetTimer(TIMER_ZANTA, kStepRetryMs);
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
        case IDC_SLIDER_RATE:
            m_GameRate = state;
            break;
        case IDC_CHECK_ANIMATION:
            m_Public.m_Pack.ShowAinmationCards(state == 1);
            break;
        // The choices below change what the game's worker reads or moves:
        // they wait for the table to be still.
        case IDC_CHECK_SOUND:
            RunWhenIdle([this, state] { m_Public.m_Sound = state == 1; });
            break;
        case IDC_CHECK_OPEN_CARDS:
            RunWhenIdle([this, state] {
                if (state == 1) {
                    m_Public.m_Pack.OpenAllCards(true);
                    return;
                }
                for (CCard* c : m_Public.m_Pack.m_Cards) {
                    c->m_bAlwaysOpen = false;
                    if (c->m_Place == e_Reset)
                        c->CardClose(true);
                    c->Invalidate(TRUE);
                }
            });
            break;
        case IDC_CHECK_STARS:
            RunWhenIdle([this, state] { SetGameForStars(state == 1); });
            break;
        case IDC_CHECK_TABLO_VICTORY:
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
        if (IsNextGameReady() && !m_BreakParty)
            StartGameWorker([this] { StartGame(); });
        return true;
    case ID_GAME31:
    case ID_GAME12: {
        const bool game31 = id == ID_GAME31;
        if (m_Public.m_Game31 == game31)
            return true;
        if (!m_BreakParty && IsPartyUnderWay()) {
            if (!ConfirmAbandon(game31 ? QStringLiteral("Прервать текущую партию и начать игру до 31 очка?")
                                       : QStringLiteral("Прервать текущую партию и начать игру до 12 баллов?")))
                return true;
            // The new party begins with the seat whose turn it was.
            AbandonParty(false);
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
        return IsNextGameReady() && !m_BreakParty;
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
    if (!m_BreakParty && IsPartyUnderWay()) {
        static const char* const words[] = {"двумя", "тремя", "четырьмя"};
        const QString question = QStringLiteral("Прервать текущую партию и начать игру  с %1 игроками?")
                                     .arg(QString::fromUtf8(words[n - 2]));
        if (!ConfirmAbandon(question))
            return;
        AbandonParty(true);
    }
    RunWhenIdle([this, n] {
        CPublic& table = m_Public;
        table.m_NumberPlayers = n;
        ResetParty();
        m_PartyState = e_StateNoParty;
        table.m_VictoryTable.DistrPlaceVictory(SeatName(1), 1, table.m_Players[0].m_Victory, n);
        table.SetCoordinateCardsPlayers(width(), height());
        Invalidate(TRUE);
    });
}

void CPlayWithComputer::SetGameKind(bool game31) {
    CPublic& t = m_Public;
    t.m_Game31 = game31;
    ResetParty();
    m_PartyState = e_StateNoParty;
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
    if (m_GameKindChanged)
        m_GameKindChanged(game31);
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
    if (!card || IsBusy() || m_BreakParty || card->m_Place != e_Hand || card->m_Player != 1 ||
        t.m_CurrentPlayer != 1 || m_UserMoved || t.m_CircleCompletion || m_GameEnded ||
        (t.m_Game31 && m_ZantaPending))
        return;

    if (t.GetNumberCardsPlayerOnTable(1) == t.GetNumberCardsOnTable()) {
        if (!m_Moves.LeadCard(1, card)) {
            t.CorrectLocationCardsUser();
            return;
        }
        t.FlashPlayer(0);
        if (m_Moves.HoldsMast(1, m_Moves.LedMast())) {
            t.ShowActiveButton(ButtonText::Further, true);
        } else {
            t.m_LabelMessage.Show(false);
            m_UserMoved = true;
            t.ShowActiveButton(ButtonText::Further, false);
            t.m_CurrentPlayer = 2;
            ArmTimer(TIMER_STEP, m_GameRate);
        }
        t.CorrectLocationCardsTable();
        return;
    }

    m_Moves.AnswerCard(1, card);
    t.FlashPlayer(0);
    const bool circle = t.CheckCircleCompletion();
    if (!circle && t.CheckCompletionPlayer(1)) {
        m_UserMoved = true;
        t.m_LabelMessage.Show(false);
        t.m_CurrentPlayer = 2;
        ArmTimer(TIMER_STEP, m_GameRate);
    }
    if (circle) {
        t.m_LabelMessage.Show(false);
        ArmTimer(TIMER_STEP, m_GameRate);
    }
}

std::vector<CCard*> CPlayWithComputer::UserHand() {
    return HandFromLeft(m_Public.m_Pack, 1);
}

void CPlayWithComputer::OnButtonClick(QPoint point) {
    CPublic& t = m_Public;
    if (!t.m_ShowButton || !t.m_ButtonRect.contains(point))
        return;
    if (t.m_ButtonText == ButtonText::Further) {
        if (IsBusy() || m_BreakParty)
            return;
        t.ShowActiveButton(QString(), false);
        t.m_LabelMessage.Show(false);
        m_UserMoved = true;
        t.m_CurrentPlayer = 2;
        ArmTimer(TIMER_STEP, m_GameRate);
    } else if (t.m_ButtonText == ButtonText::Deal) {
        // One deal at a time: a second click while it starts does nothing.
        if (g_CountWorkThreads == 0 && !m_BreakParty)
            StartGameWorker([this] { StartGame(); });
    } else if (t.m_ButtonText == ButtonText::NewParty) {
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
        // A zanta about to end its game is neither a finished game nor one
        // to leave by a key.
        if (m_ZantaPending)
            return;
        if (IsNextGameReady())
            OnCommand(ID_NEXT_GAME);
        else
            OnNewParty();
        return;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3: {
        // The hand is read only while no worker moves it.
        if (IsBusy())
            return;
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
    // The rules come up once, at the first show, not after every restore.
    if (m_FirstHelp && !m_FirstHelpArmed) {
        m_FirstHelpArmed = true;
        SetTimer(TIMER_FIRST_HELP, 100);
    }
}
