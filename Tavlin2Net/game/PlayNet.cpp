// The network game window: the table's painting, input, menu commands and
// the chat panel; what the table flow asks of the window.

#include "PlayNet.h"
#include "PlayNetSteps.h"

#include "Card.h"
#include "Cp1251.h"
#include "GuiThread.h"
#include "MyLabel.h"
#include "NetCommands.h"
#include "PageView.h"
#include "Sound.h"
#include "Star.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

using namespace netcmd;
using namespace playnet;

CPlayNet::CPlayNet(QWidget* parent)
    : CWnd(parent), m_DirectPlay(this), m_Moves(m_Public),
      m_Flow(m_Public, m_Moves, m_DirectPlay, m_Clock, *this) {
    setFocusPolicy(Qt::StrongFocus);
    m_Notice = [this](const QString& text, const QString& caption) {
        // The box runs its own loop: it opens from a timer of the window's,
        // never inside the hand-off of work to the GUI thread, which the
        // strand's next window call needs free.
        platform::PostToGuiThread([this, text, caption] {
            QTimer::singleShot(0, this, [this, text, caption] {
                if (!m_Stopped)
                    m_Public.MyMessageBox(text, caption, kNoticeFlags, kIcon, kIcon);
            });
        });
    };
    CPublic& t = m_Public;
    t.m_Game31 = true;
    t.m_AutomaticGame = true;
    t.m_NumberPlayers = 1;
    t.SetParent(this);
    t.m_LabelMessage.SetCaption(QStringLiteral("Нет игры!"), 0);
    t.m_LabelMessage.Show(true);
    t.m_LabelAnnounce.SetCaption(QStringLiteral("Ждем игроков!"), 0);
    t.m_LabelAnnounce.SetShade(true);
    t.m_LabelAnnounce.Show(true);
    t.m_Pack.InitPack36(this);
    t.m_Pack.SetValueZanta();
    t.m_Players[1].SetName(QStringLiteral("Player2"));
    t.m_Players[2].SetName(QStringLiteral("Player3"));
    t.m_Players[3].SetName(QStringLiteral("Player4"));
    for (auto& seat : t.m_Players)
        seat.ResetScores();
    m_DirectPlay.SetName(Cp1251FromUnicode(t.m_Players[0].Name()).constData());
    m_Telegraph.Create(this, QPoint(300, 300));
    m_Telegraph.SetPlayers(1);
    m_Telegraph.m_Send = [this](const QByteArray& text) { SendChat(Cp1251ToUnicode(text)); };
}

CPlayNet::~CPlayNet() {
    StopPlay();
    m_DirectPlay.SetGameWindow(nullptr);
}

void CPlayNet::StopPlay() {
    if (m_Stopped)
        return;
    m_Stopped = true;
    // The flow first: once it is stopped it arms nothing, so nothing it
    // armed outlives the disarming below.
    m_Flow.Stop();
    for (UINT id : CNetTableFlow::kTimers)
        m_Clock.Disarm(id);
}

bool CPlayNet::WaitsForPeers() const {
    const CFlowSnapshot shown = Snapshot();
    return (shown.dealPending || shown.takePending) && shown.players != 1;
}

// ---- The window's thread ----

LRESULT CPlayNet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CARD_LBUTTONDOWN:
        m_Flow.PlayCard(reinterpret_cast<CCard*>(wParam));
        return 0;
    case WM_PAGE_VIEW:
        m_Public.ProgView(static_cast<unsigned>(wParam), lParam);
        return 0;
    case WM_PUBLIC_SETTING:
        OnPublicSetting(static_cast<UINT>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_DP_CONNECT_COMPLETE:
    case WM_DP_INDICATE_CONNECT:
        // The connection's events; the table's go straight to its flow.
        if (auto post = m_DirectPlay.TakePost(lParam))
            OnConnection(*post);
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CPlayNet::OnConnection(const CNetPost& post) {
    if (post.message != WM_DP_CONNECT_COMPLETE)
        return;
    if (post.result == S_OK) {
        m_DirectPlay.m_ConnectionStatus = 2;
    } else {
        // The search is over: the user learns why, and may try again.
        m_DirectPlay.m_ConnectionStatus = 0;
        if (m_Notice)
            m_Notice(CDirectPlay::ConnectResultText(post.result), QCoreApplication::applicationName());
    }
}

bool CPlayNet::RunOut(UINT id) {
    if (!m_Clock.IsArmed(id))
        return false;
    m_Clock.Disarm(id);
    m_Flow.Fire(id);
    return true;
}

BOOL CPlayNet::OnEraseBkgnd(QPainter& dc) {
    m_Public.DrawBackGround(&dc);
    m_Public.OnPaint(&dc);
    return TRUE;
}

void CPlayNet::OnSize(UINT /*type*/, int cx, int cy) {
    m_ClientSize = QSize(cx, cy);
    if (isVisible() || cx > 0)
        m_Public.OnSize(cx, cy);
    m_Telegraph.PlaceInCorner(cy);
}

void CPlayNet::hideEvent(QHideEvent* event) {
    if (m_ShowSettings)
        m_ShowSettings(false);
    CWnd::hideEvent(event);
}

void CPlayNet::OnLButtonDown(UINT /*flags*/, QPoint point) {
    if (!m_Public.m_ButtonRect.contains(point) || ButtonCaption().isEmpty())
        return;
    PressButton();
}

void CPlayNet::PressButton() { m_Flow.PressButton(); }

void CPlayNet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F2) {
        // Only the peer whose turn it is to deal deals, whatever asks; a lone
        // host is told why nothing is dealt. The deal is a new party when one is due.
        const CFlowSnapshot shown = Snapshot();
        if (shown.mayDeal || shown.players < 2)
            m_Flow.RequestDeal(false);
        return;
    }
    CWnd::keyPressEvent(event);
}

bool CPlayNet::OnCommand(UINT id) {
    const CFlowSnapshot shown = Snapshot();
    switch (id) {
    case ID_NEW_PARTY:
        if (shown.mayDeal || shown.players < 2)
            m_Flow.RequestDeal(true);
        return true;
    case ID_NEXT_GAME:
        if (shown.mayNextGame)
            m_Flow.RequestDeal(false);
        return true;
    case ID_GAME31:
    case ID_GAME12: {
        const bool game31 = id == ID_GAME31;
        if (shown.game31 == game31 || !shown.partyLeader)
            return true;
        if (shown.gameRuns) {
            const QString question =
                game31 ? QStringLiteral("Прервать текущую партию и начать игру до 31 очка?")
                       : QStringLiteral("Прервать текущую партию и начать игру до 12 баллов?");
            if (m_Public.MyMessageBox(question, kAttention, kQuestionFlags, kIcon, kIcon) != IDOK)
                return true;
            CCard::m_staticAnimCards = false;
            CStar::m_staticBreak = true;
            CMyLabel::m_staticBreak = true;
        }
        SetGameKind(game31, true);
        return true;
    }
    default:
        return false;
    }
}

bool CPlayNet::IsCommandEnabled(UINT id) const {
    const CFlowSnapshot shown = Snapshot();
    switch (id) {
    case ID_NEW_PARTY:
        return shown.partyLeader && shown.mayDeal;
    case ID_NEXT_GAME:
        return shown.mayNextGame;
    case ID_GAME31:
    case ID_GAME12:
        return shown.partyLeader;
    default:
        return true;
    }
}

bool CPlayNet::IsCommandChecked(UINT id) const {
    const bool game31 = Snapshot().game31;
    if (id == ID_GAME31)
        return game31;
    if (id == ID_GAME12)
        return !game31;
    return false;
}

void CPlayNet::RunBreak() {
    m_BreakRequested = false;
    if (Snapshot().mayDeal)
        m_Flow.RequestDeal(true);
}

// ---- Settings ----

void CPlayNet::SetGameForStars(bool on, bool send) {
    if (m_SetCheck)
        m_SetCheck(IDC_GAME_FOR_STARS, on);
    m_Flow.SetGameForStars(on, send);
}

void CPlayNet::OnPublicSetting(UINT control, int state) {
    const bool on = state == 1;
    const bool shared = control == IDC_LOCK_ADD_PLAYERS || control == IDC_CLOSED_CARD_RESET ||
                        control == IDC_GAME_FOR_STARS || control == IDC_AUTOMATIC_GAME;
    if (shared && !Snapshot().maySetShared) {
        // The other tables would not take it from one who sits out: the box
        // goes back as it was.
        if (m_SetCheck)
            m_SetCheck(control, !on);
        if (m_Notice)
            m_Notice(QStringLiteral("Общие настройки меняют игроки текущей партии."),
                     QStringLiteral("Внимание"));
        return;
    }
    switch (control) {
    case IDC_SHOW_NAME_WND:
        m_ShowNameWnd = on;
        break;
    case IDC_ANIMATION:
        m_Public.m_Pack.ShowAinmationCards(on);
        break;
    case IDC_SOUND:
        m_Flow.SetTableOption(control, on);
        return;
    case IDC_LOCK_ADD_PLAYERS:
    case IDC_CLOSED_CARD_RESET:
    case IDC_AUTOMATIC_GAME:
        m_Flow.SetTableOption(control, on);
        break;
    case IDC_HOLD_SEATS:
        // The host's choice: another table's word would not count.
        if (!Snapshot().hosts) {
            if (m_SetCheck)
                m_SetCheck(control, !on);
            if (m_Notice)
                m_Notice(QStringLiteral("Это решает тот, кто создал игру."), QStringLiteral("Внимание"));
            return;
        }
        m_Flow.SetTableOption(control, on);
        break;
    case IDC_TABLO_VICTORY:
        m_Public.m_ShowTabloVictory = on;
        m_Public.m_VictoryTable.ShowWindow(on ? SW_SHOW : SW_HIDE);
        return;
    case IDC_GAME_FOR_STARS:
        SetGameForStars(on, true);
        return;
    case IDC_SHOW_TELEGRAPH:
        ShowTelegraph(on);
        return;
    default:
        Beep(3000, 1000);
        break;
    }
    SendSettings();
}

// ---- The chat panel ----

void CPlayNet::ShowTelegraph(bool show) {
    m_ShowTelegraph = show;
    m_Telegraph.ShowWindow(show || m_TelegraphSeats >= 3 ? SW_SHOW : SW_HIDE);
}

// ---- What the flow does to the window ----

void CPlayNet::Repaint() {
    platform::RunOnGuiThread([this] { Invalidate(TRUE); });
}

void CPlayNet::ShowChatSeats(int players, const std::array<QString, 3>& names) {
    platform::RunOnGuiThread([&] {
        if (players == m_TelegraphSeats)
            return;
        m_TelegraphSeats = players;
        std::copy(names.begin(), names.end(), std::begin(m_Telegraph.m_Names));
        m_Telegraph.SetPlayers(players);
        m_Telegraph.PlaceInCorner(height());
        if (players <= 2)
            m_Telegraph.ShowWindow(m_ShowTelegraph ? SW_SHOW : SW_HIDE);
    });
}

void CPlayNet::ShowChatName(int seat, const QString& name) {
    platform::RunOnGuiThread([&] { m_Telegraph.SetName(seat, name); });
}

void CPlayNet::ShowChatLine(int seat, const QString& text) {
    platform::RunOnGuiThread([&] { m_Telegraph.SetLine(seat, text); });
}

void CPlayNet::Notice(const QString& text, const QString& caption) {
    if (m_Notice)
        m_Notice(text, caption);
}

void CPlayNet::ShowTitle(const QString& title) {
    if (m_SetTitle)
        platform::RunOnGuiThread([&] { m_SetTitle(title); });
}

void CPlayNet::ShowCheck(UINT control, bool on) {
    if (m_SetCheck)
        platform::RunOnGuiThread([&] { m_SetCheck(control, on); });
}

void CPlayNet::EnableSharedChecks(bool enable) {
    if (m_EnableSharedChecks)
        platform::RunOnGuiThread([&] { m_EnableSharedChecks(enable); });
}
