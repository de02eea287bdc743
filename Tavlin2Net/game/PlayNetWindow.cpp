// The network game window on its own thread: input, timers, session
// notices handed to the strand, the menu's commands and the shared settings.

#include "PlayNet.h"
#include "PlayNetSteps.h"

#include "Card.h"
#include "GuiThread.h"
#include "MyLabel.h"
#include "NetCommands.h"
#include "PageView.h"
#include "Sound.h"
#include "Star.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>

using namespace netcmd;
using namespace playnet;

// ---- The window's thread ----

LRESULT CPlayNet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CARD_LBUTTONDOWN: {
        CCard* card = reinterpret_cast<CCard*>(wParam);
        Step(kErrLocalLead, [this, card] { LocalCard(card); });
        return 0;
    }
    case WM_PAGE_VIEW:
        m_Public.ProgView(static_cast<unsigned>(wParam), lParam);
        return 0;
    case WM_PUBLIC_SETTING:
        OnPublicSetting(static_cast<UINT>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_DP_CREATE_PLAYER:
    case WM_DP_DESTROY_PLAYER:
    case WM_DP_HOST_MIGRATE:
    case WM_DP_PEER_INFO:
    case WM_DP_RECEIVE:
    case WM_DP_CONNECT_COMPLETE:
    case WM_DP_INDICATE_CONNECT:
        OnSessionPost(lParam);
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CPlayNet::OnSessionPost(LPARAM ticket) {
    auto post = m_DirectPlay.TakePost(ticket);
    if (!post)
        return;
    const DPNID player = post->player;
    switch (post->message) {
    case WM_DP_CREATE_PLAYER:
        Step(kErrCreatePlayer, [this, player] { OnCreatePlayer(player); });
        break;
    case WM_DP_DESTROY_PLAYER: {
        const QByteArray name(post->departedName);
        const bool hostLeft = m_DirectPlay.m_bHostLeft.exchange(false);
        Step(kErrDestroyPlayer, [this, player, name, hostLeft] { OnDestroyPlayer(player, name, hostLeft); });
        break;
    }
    case WM_DP_HOST_MIGRATE:
        Step(kErrHostMigrate, [this, player] { OnHostMigrate(player); });
        break;
    case WM_DP_PEER_INFO:
        Step(kErrPeerInfo, [this, player] { OnPeerInfo(player); });
        break;
    case WM_DP_RECEIVE: {
        QByteArray record = post->record;
        {
            std::lock_guard lock(m_SnapshotMutex);
            ++m_Snapshot.received;
        }
        Step(kErrDispatch, [this, player, record] { Dispatch(player, record); });
        break;
    }
    case WM_DP_CONNECT_COMPLETE:
        if (post->result == S_OK) {
            m_DirectPlay.m_ConnectionStatus = 2;
        } else {
            // The search is over: the user learns why, and may try again.
            m_DirectPlay.m_ConnectionStatus = 0;
            if (m_Notice)
                m_Notice(CDirectPlay::ConnectResultText(post->result),
                         QCoreApplication::applicationName());
        }
        break;
    default:
        break;
    }
}

bool CPlayNet::HasArmedStep() const {
    for (UINT id : {TIMER_AUTO_TAKE, TIMER_ZANTA, TIMER_CONTINUE, TIMER_END_DISTR, TIMER_END_TAKE,
                    TIMER_SEAT})
        if (m_Clock.IsArmed(id))
            return true;
    return false;
}

void CPlayNet::OnTimer(UINT id) {
    switch (id) {
    case TIMER_LABEL:
        KillTimer(id);
        Step(nullptr, [this] {
            if (!m_LabelBefore.isEmpty())
                Message(m_LabelBefore);
            m_LabelBefore.clear();
        });
        break;
    case TIMER_AUTO_TAKE:
        KillTimer(id);
        Step(kErrTake, [this] { TakeTable(LocalId(), true); });
        break;
    case TIMER_ZANTA:
        KillTimer(id);
        Step(nullptr, [this] {
            if (m_ZantaDue != 0 && m_GameOn)
                PassTurn(m_ZantaDue, true);
            m_ZantaDue = 0;
        });
        break;
    case TIMER_CONTINUE:
        KillTimer(id);
        Step(kErrDeal, [this] { ContinueAfterTake(); });
        break;
    case TIMER_BARRIER_WATCH:
        KillTimer(id);
        Step(nullptr, [this] { WatchBarrier(); });
        break;
    case TIMER_END_DISTR:
    case TIMER_END_TAKE:
    case TIMER_SEAT:
        // Tried again every interval until the table is still.
        KillTimer(id);
        if (!IsIdle()) {
            SetTimer(id, Paced(kBarrierPollMs));
            break;
        }
        if (id == TIMER_END_DISTR)
            Step(nullptr, [this] { SendEndOf(false); });
        else if (id == TIMER_END_TAKE)
            Step(nullptr, [this] { SendEndOf(true); });
        else
            Step(kErrCreatePlayer, [this] { SeatNewPlayers(); });
        break;
    default:
        CWnd::OnTimer(id);
    }
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

void CPlayNet::PressButton() {
    const QString caption = ButtonCaption();
    if (caption.isEmpty())
        return;
    if (caption == ButtonText::NewParty || caption == ButtonText::Deal || caption == kRedeal) {
        const bool newParty = caption == ButtonText::NewParty;
        Step(kErrStartDeal, [this, newParty] { StartDeal(newParty); });
    } else if (caption == kTake) {
        Step(kErrTake, [this] { TakeTable(LocalId(), true); });
    } else if (caption == ButtonText::Further) {
        Step(kErrLocalLead, [this] { LocalFurther(); });
    }
}

void CPlayNet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F2) {
        // Only the peer whose turn it is to deal deals, whatever asks; a lone
        // host is told why nothing is dealt.
        const CFlowSnapshot shown = Snapshot();
        if (shown.mayDeal || shown.players < 2)
            Step(kErrStartDeal, [this] { StartDeal(m_NextIsNewParty); });
        return;
    }
    CWnd::keyPressEvent(event);
}

bool CPlayNet::OnCommand(UINT id) {
    const CFlowSnapshot shown = Snapshot();
    switch (id) {
    case ID_NEW_PARTY:
        if (shown.mayDeal || shown.players < 2)
            Step(kErrStartDeal, [this] { StartDeal(true); });
        return true;
    case ID_NEXT_GAME:
        if (shown.mayNextGame)
            Step(kErrStartDeal, [this] { StartDeal(false); });
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
        Step(kErrStartDeal, [this] { StartDeal(true); });
}

// ---- Settings ----

void CPlayNet::SetGameKind(bool game31, bool send) {
    const DPNID by = LocalId();
    Step(kErrResetParty, [this, game31, send, by] {
        ApplyGameKind(game31, by);
        if (send)
            SendSettingsNow();
    });
}

void CPlayNet::SetGameForStars(bool on, bool send) {
    m_GameForStars = on;
    m_NumberStars = on ? kStarsGame : kStarsNoGame;
    if (m_SetCheck)
        m_SetCheck(IDC_GAME_FOR_STARS, on);
    Step(nullptr, [this, send] {
        if (m_Public.m_Game31 && !m_GameOn)
            m_Public.ResetStars(m_NumberStars);
        if (send)
            SendSettingsNow();
    });
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
        Step(nullptr, [this, on] { m_Public.m_Sound = on; });
        return;
    case IDC_LOCK_ADD_PLAYERS:
        m_LockAddPlayers = on;
        break;
    case IDC_CLOSED_CARD_RESET:
        Step(nullptr, [this, on] { m_Public.m_ClosedCardReset = on; });
        break;
    case IDC_TABLO_VICTORY:
        m_Public.m_ShowTabloVictory = on;
        m_Public.m_VictoryTable.ShowWindow(on ? SW_SHOW : SW_HIDE);
        return;
    case IDC_GAME_FOR_STARS:
        SetGameForStars(on, true);
        return;
    case IDC_AUTOMATIC_GAME:
        Step(nullptr, [this, on] { m_Public.m_AutomaticGame = on; });
        break;
    case IDC_SHOW_TELEGRAPH:
        ShowTelegraph(on);
        return;
    default:
        Beep(3000, 1000);
        break;
    }
    SendSettings();
}

void CPlayNet::SendSettings() {
    Step(nullptr, [this] { SendSettingsNow(); });
}

void CPlayNet::SendSettingsNow() {
    netrec::SettingRecord r;
    r.closedCardReset = m_Public.m_ClosedCardReset;
    r.automaticGame = m_Public.m_AutomaticGame;
    r.lockAddPlayers = m_LockAddPlayers;
    r.game31 = m_Public.m_Game31;
    r.gameForStars = m_GameForStars;
    Send(netrec::Build(r));
}

void CPlayNet::ApplySettings(DPNID sender, const netrec::SettingRecord& r) {
    CPublic& t = m_Public;
    t.m_ClosedCardReset = r.closedCardReset != 0;
    t.m_AutomaticGame = r.automaticGame != 0;
    m_LockAddPlayers = r.lockAddPlayers != 0;
    if (m_SetCheck) {
        const bool closed = t.m_ClosedCardReset, automatic = t.m_AutomaticGame, lock = m_LockAddPlayers;
        platform::RunOnGuiThread([&] {
            m_SetCheck(IDC_CLOSED_CARD_RESET, closed);
            m_SetCheck(IDC_AUTOMATIC_GAME, automatic);
            m_SetCheck(IDC_LOCK_ADD_PLAYERS, lock);
        });
    }
    // A table just seated takes the kind of the party it joined as it is;
    // resetting would wipe the scores the seat order has just brought.
    const bool joined = std::exchange(m_JustSeated, false);
    if ((r.game31 != 0) != t.m_Game31)
        ApplyGameKind(r.game31 != 0, sender, joined);
    if (!m_GameForStars && r.gameForStars != 0) {
        m_GameForStars = true;
        m_NumberStars = kStarsGame;
        if (m_SetCheck)
            platform::RunOnGuiThread([&] { m_SetCheck(IDC_GAME_FOR_STARS, true); });
        if (t.m_Game31 && !m_GameOn)
            t.ResetStars(m_NumberStars);
    }
}

void CPlayNet::ApplyGameKind(bool game31, DPNID by, bool keepParty) {
    CPublic& t = m_Public;
    const bool changed = t.m_Game31 != game31;
    t.m_Game31 = game31;
    if (keepParty) {
        for (auto& seat : t.m_Players)
            seat.m_Tablo.SwapView(game31);
    } else if (changed || !m_KindShown) {
        StopGame();
        ResetParty();
        for (auto& seat : t.m_Players)
            seat.m_Tablo.SwapView(game31);
        // Whoever changed the kind deals the new party: a seated player,
        // and the host when the word came from nobody at this table.
        const DPNID dealer = LocalSeatOf(by) != 0 ? by : m_DirectPlay.HostPlayer();
        if (m_Seats.Count() >= 2 && LocalSeatOf(dealer) != 0) {
            m_NextDealerId = dealer;
            m_NextIsNewParty = true;
            AnnounceDealer();
        }
    }
    m_KindShown = true;
    if (!keepParty)
        t.ResetStars(game31 ? m_NumberStars.load() : 0);
    const QString title = QStringLiteral("Сетевая карточная игра Занта") +
                          (game31 ? QStringLiteral(" - до 31 очка") : QStringLiteral(" - до 12 баллов"));
    if (m_SetTitle)
        platform::RunOnGuiThread([&] { m_SetTitle(title); });
    if (m_EnableSharedChecks)
        platform::RunOnGuiThread([&] { m_EnableSharedChecks(game31); });
}
