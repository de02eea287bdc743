#include "PlayNet.h"

#include "Card.h"
#include "Cp1251.h"
#include "GuiThread.h"
#include "MyLabel.h"
#include "NetCommands.h"
#include "PageView.h"
#include "ResourceIds.h"
#include "Sound.h"
#include "Star.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QTimer>

#include <QDeadlineTimer>

#include <algorithm>
#include <chrono>
#include <thread>

Q_LOGGING_CATEGORY(lcNetGame, "zanta.netgame", QtCriticalMsg)

using namespace netcmd;

namespace {
constexpr UINT kIcon = pubres::IDI_PROGRAM;
constexpr int kQuestionFlags = 0x18;
constexpr int kNoticeFlags = 0x14;
constexpr UINT kBarrierPollMs = 200;
const QString kAttention = QStringLiteral("Внимание!");
const QString kTake = QStringLiteral("Взятка");
const QString kRedeal = QStringLiteral("Пересдать!");

// The error lines of the steps, as the session log has them.
constexpr const char* kErrStartDeal = "Error - 234\r\n";
constexpr const char* kErrApplyParty = "Error - 235\r\n";
constexpr const char* kErrResetParty = "Error - 236\r\n";
constexpr const char* kErrDeal = "Error - 237\r\n";
constexpr const char* kErrApplyBita = "Error - 238\r\n";
constexpr const char* kErrLocalBita = "Error - 239\r\n";
constexpr const char* kErrLocalLead = "Error - 240\r\n";
constexpr const char* kErrApplyGoCard = "Error - 241\r\n";
constexpr const char* kErrApplyReset = "Error - 242\r\n";
constexpr const char* kErrTake = "Error - 244\r\n";
constexpr const char* kErrApplyTake = "Error - 245\r\n";
constexpr const char* kErrCreatePlayer = "Error - 246\r\n";
constexpr const char* kErrDestroyPlayer = "Error - 247\r\n";
constexpr const char* kErrHostMigrate = "Error - 248\r\n";
constexpr const char* kErrDispatch = "Error - 249\r\n";
constexpr const char* kErrPeerInfo = "Error - 250\r\n";
constexpr const char* kErrPlayerOrder = "Error - 251\r\n";
constexpr const char* kErrPlayerOrderLate = "Error - 251.1\r\n";
constexpr const char* kErrWaiting = "Error - 252\r\n";

bool IsBusyAnimating() {
    return CMyLabel::m_staticCountThreads != 0 || CStar::m_staticCountThreads != 0 ||
           CCard::m_staticProccessMovecard != 0;
}
} // namespace

CPlayNet::CPlayNet(QWidget* parent)
    : CWnd(parent), m_DirectPlay(this), m_Moves(m_Public), m_Seats(m_Public) {
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
    m_DirectPlay.SetName(Cp1251FromUnicode(SeatName(1)).constData());
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
    for (UINT id : {TIMER_LABEL, TIMER_AUTO_TAKE, TIMER_ZANTA, TIMER_CONTINUE, TIMER_END_DISTR,
                    TIMER_END_TAKE, TIMER_SEAT})
        KillTimer(id);
    m_Strand.Stop();
}

// ---- Threads and guards ----

void CPlayNet::Step(const char* errorLine, std::function<void()> step) {
    if (m_Stopped)
        return;
    const int generation = m_Generation;
    m_Strand.Post([this, errorLine, generation, step = std::move(step)] {
        // A step queued for a session that has since been left does nothing.
        if (generation != m_Generation)
            return;
        try {
            step();
        } catch (const std::exception& e) {
            qCWarning(lcNetGame) << "step failed:" << e.what();
            Log(errorLine);
        } catch (...) {
            Log(errorLine);
        }
        Publish();
    });
}

void CPlayNet::Log(const char* line) {
    if (line)
        m_DirectPlay.m_Log.Append(line);
}

void CPlayNet::Refuse(DPNID sender, const char* what) {
    qCWarning(lcNetGame) << "ignored from" << sender << ":" << what;
    m_DirectPlay.m_Log.Append(QStringLiteral("Ignored - %1 from %2\r\n").arg(what).arg(sender).toLatin1().constData());
}

UINT CPlayNet::Paced(UINT ms) const {
    return static_cast<UINT>(static_cast<long long>(ms) * m_PacePercent.load() / 100);
}

void CPlayNet::Arm(UINT id, UINT ms) {
    if (m_Stopped)
        return;
    ms = Paced(ms);
    platform::PostToGuiThread([this, id, ms] {
        if (!m_Stopped)
            SetTimer(id, ms);
    });
}

void CPlayNet::Disarm(UINT id) {
    platform::PostToGuiThread([this, id] { KillTimer(id); });
}

bool CPlayNet::IsIdle() const { return m_Strand.IsIdle() && !IsBusyAnimating(); }

bool CPlayNet::WaitsForPeers() const {
    return (m_DealPending || m_TakePending) && m_Players.load() != 1;
}

// ---- Seats ----

int CPlayNet::LocalSeatOf(DPNID player) const { return m_Seats.SeatOf(player); }
DPNID CPlayNet::IdOf(int seat) const { return m_Seats.IdOf(seat); }
DPNID CPlayNet::LocalId() const { return m_DirectPlay.m_LocalPlayer.load(); }

QString CPlayNet::SeatName(int seat) const {
    if (seat < 1 || seat > CPublic::kMaxPlayers)
        return {};
    return m_Public.m_Players[seat - 1].m_LabelName.GetCaption();
}

int CPlayNet::PlayingSeats() const {
    int n = 0;
    for (int s = 1; s <= m_Public.m_NumberPlayers; ++s)
        if (IdOf(s) != 0 && !m_Public.m_Players[s - 1].m_Out)
            ++n;
    return n;
}

std::set<DPNID> CPlayNet::OtherSeated() const {
    std::set<DPNID> ids;
    for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
        if (IdOf(s) != 0)
            ids.insert(IdOf(s));
    return ids;
}

bool CPlayNet::InSession(DPNID player) const {
    PeerInfo info;
    return player == LocalId() || m_DirectPlay.GetPeerInfo(player, info) == S_OK;
}

void CPlayNet::Relayout() {
    CPublic& t = m_Public;
    const QSize size = m_ClientSize.load();
    {
        CPublic::MoveScope scope(t);
        // The layout's numbers and regions belong to the window's thread,
        // which paints from them; the cards follow here.
        platform::RunOnGuiThread([&] { t.OnSize(size.width(), size.height()); });
        t.CorrectLocationCardsUser();
        for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
            t.CorrectLocationCardsPlayer(s);
        t.CorrectLocationCardsTable();
        t.CorrectLocationCardsTake();
    }
    for (int s = 1; s <= t.m_NumberPlayers; ++s)
        ShowVictory(s);
    platform::RunOnGuiThread([this] { Invalidate(TRUE); });
}

void CPlayNet::ShowVictory(int seat) {
    CPublic& t = m_Public;
    platform::RunOnGuiThread([&] {
        t.m_VictoryTable.DistrPlaceVictory(SeatName(seat), seat, t.m_Players[seat - 1].m_Victory,
                                           t.m_NumberPlayers);
    });
}

void CPlayNet::SetPlayerCount(int n) {
    m_Seats.SetNumberPlayers(std::max(n, 1));
    m_Players = std::max(n, 1);
    SetTelegraphSeats();
}

// ---- Labels and the button ----

void CPlayNet::Message(const QString& text) {
    m_Public.m_LabelMessage.SetCaption(text, 0);
    m_Public.m_LabelMessage.Show(true);
}

void CPlayNet::Announce(const QString& text, int effect) {
    m_Public.m_LabelAnnounce.SetShade(false);
    m_Public.m_LabelAnnounce.SetCaption(text, effect);
    m_Public.m_LabelAnnounce.Show(true);
}

void CPlayNet::ShowButton(const QString& text, bool show) {
    {
        std::lock_guard lock(m_ButtonMutex);
        m_ButtonText = show ? text : QString();
    }
    m_Public.ShowActiveButton(text, show);
}

QString CPlayNet::ButtonCaption() const {
    std::lock_guard lock(m_ButtonMutex);
    return m_ButtonText;
}

void CPlayNet::AnnounceDealer() {
    const int dealer = LocalSeatOf(m_NextDealerId);
    if (dealer == 0 || m_Players < 2)
        return;
    if (dealer == 1) {
        Message(QStringLiteral("Вам сдавать!"));
        ShowButton(m_NextIsNewParty ? ButtonText::NewParty : ButtonText::Deal, true);
    } else {
        ShowButton(QString(), false);
        const QString name = SeatName(dealer);
        Message(QStringLiteral("Сдает ") + (name.isEmpty() ? QStringLiteral("сервер") : name) +
                QStringLiteral("!"));
    }
}

void CPlayNet::AnnounceWaiting() {
    try {
        const int present = m_DirectPlay.m_CountPlayers;
        if (m_DirectPlay.m_SessionState == 0)
            return;
        m_Public.m_LabelAnnounce.SetShade(true);
        m_Public.m_LabelAnnounce.SetCaption(present >= 2 ? QStringLiteral("Господа, ставки!")
                                                         : QStringLiteral("Ждем игроков!"),
                                            0);
        m_Public.m_LabelAnnounce.Show(true);
    } catch (...) {
        Log(kErrWaiting);
    }
}

void CPlayNet::SetTelegraphSeats() {
    QString names[3];
    for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
        names[s - 2] = SeatName(s);
    const int n = m_Players.load();
    platform::RunOnGuiThread([&] {
        if (n == m_TelegraphSeats)
            return;
        m_TelegraphSeats = n;
        std::copy(std::begin(names), std::end(names), std::begin(m_Telegraph.m_Names));
        m_Telegraph.SetPlayers(n);
        m_Telegraph.PlaceInCorner(height());
        if (n <= 2)
            m_Telegraph.ShowWindow(m_ShowTelegraph ? SW_SHOW : SW_HIDE);
    });
}

void CPlayNet::ShowTelegraph(bool show) {
    m_ShowTelegraph = show;
    m_Telegraph.ShowWindow(show || m_TelegraphSeats >= 3 ? SW_SHOW : SW_HIDE);
}

// ---- What the window's thread may know ----

void CPlayNet::Publish() {
    const DPNID local = LocalId();
    m_Players = std::max(m_Public.m_NumberPlayers, 1);
    m_MayDeal = local != 0 && m_NextDealerId == local && !m_GameOn && !m_DealPending &&
                m_Seats.Count() >= 2;
    m_MayNextGame = m_MayDeal && !m_NextIsNewParty && m_Public.m_NumberGame > 0;
    m_GameRuns = m_GameOn;
    m_Game31 = m_Public.m_Game31;
    // The party's leader: the first seat in the host's order that plays.
    const int host = std::max(LocalSeatOf(m_DirectPlay.HostPlayer()), 1);
    const int n = m_Seats.Count();
    bool leader = false;
    for (int k = 0; k < n; ++k) {
        const int s = (host - 1 + k) % n + 1;
        if (!m_Public.m_Players[s - 1].m_Out) {
            leader = s == 1;
            break;
        }
    }
    m_PartyLeader = leader || n <= 1;
    const CPublic& t = m_Public;
    m_CanAct = (m_GameOn && !m_DealPending && !m_FirstTurnDue && t.m_CurrentPlayer == 1 &&
                !t.m_MoveBlocked) ||
               !ButtonCaption().isEmpty();
}

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
        ++m_Received;
        Step(kErrDispatch, [this, player, record] { Dispatch(player, record); });
        break;
    }
    case WM_DP_CONNECT_COMPLETE:
        if (post->result == S_OK)
            m_DirectPlay.m_ConnectionStatus = 2;
        break;
    default:
        break;
    }
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
        if (m_MayDeal || m_Players.load() < 2)
            Step(kErrStartDeal, [this] { StartDeal(m_NextIsNewParty); });
        return;
    }
    CWnd::keyPressEvent(event);
}

bool CPlayNet::OnCommand(UINT id) {
    switch (id) {
    case ID_NEW_PARTY:
        if (m_MayDeal || m_Players.load() < 2)
            Step(kErrStartDeal, [this] { StartDeal(true); });
        return true;
    case ID_NEXT_GAME:
        if (m_MayNextGame)
            Step(kErrStartDeal, [this] { StartDeal(false); });
        return true;
    case ID_GAME31:
    case ID_GAME12: {
        const bool game31 = id == ID_GAME31;
        if (m_Game31 == game31 || !m_PartyLeader)
            return true;
        if (m_GameRuns) {
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
    switch (id) {
    case ID_NEW_PARTY:
        return m_PartyLeader && m_MayDeal;
    case ID_NEXT_GAME:
        return m_MayNextGame;
    case ID_GAME31:
    case ID_GAME12:
        return m_PartyLeader;
    default:
        return true;
    }
}

bool CPlayNet::IsCommandChecked(UINT id) const {
    if (id == ID_GAME31)
        return m_Game31;
    if (id == ID_GAME12)
        return !m_Game31;
    return false;
}

void CPlayNet::RunBreak() {
    m_BreakRequested = false;
    if (m_MayDeal)
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
        // Whoever changed the kind deals the new party.
        if (m_Seats.Count() >= 2 && LocalSeatOf(by) != 0) {
            m_NextDealerId = by;
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

// ---- Names and the session ----

void CPlayNet::ChangeName(const QString& name) {
    m_DirectPlay.SetName(Cp1251Field(name, netrec::kNameBytes).constData());
    Step(nullptr, [this, name] {
        m_Public.m_Players[0].SetName(name);
        ShowVictory(1);
    });
}

bool CPlayNet::RestartPeer() {
    if (m_Stopped)
        return false;
    ++m_Generation;
    // The session object is replaced: the strand, which may be talking to
    // it, does it between two steps, and the window waits for the answer
    // while serving what the strand asks of it meanwhile.
    auto result = std::make_shared<std::atomic<int>>(-1);
    const QByteArray name = Cp1251FromUnicode(SeatName(1));
    const bool posted = m_Strand.Post([this, result, name] {
        const HRESULT hr = m_DirectPlay.Restart(name.constData());
        LeaveSession();
        Publish();
        *result = hr == S_OK ? 1 : 0;
    });
    if (!posted)
        return false;
    QDeadlineTimer deadline(10000);
    while (*result < 0 && !deadline.hasExpired()) {
        platform::DrainGuiQueue();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return *result == 1;
}

void CPlayNet::LeaveSession() {
    CPublic& t = m_Public;
    StopGame();
    m_Joiners.clear();
    for (int s = 1; s <= CPublic::kMaxPlayers; ++s) {
        t.m_Players[s - 1].m_PlayerID = 0;
        t.m_Players[s - 1].m_Waiting = false;
        t.m_Players[s - 1].m_Out = false;
    }
    m_Seated = false;
    m_NextDealerId = 0;
    ShowButton(QString(), false);
    SetPlayerCount(1);
    Relayout();
    Message(QStringLiteral("Нет игры!"));
    m_Public.m_LabelAnnounce.SetShade(true);
    m_Public.m_LabelAnnounce.SetCaption(QStringLiteral("Ждем игроков!"), 0);
}

void CPlayNet::Send(const QByteArray& record) {
    if (m_DirectPlay.m_SessionState != 0 &&
        m_DirectPlay.SendTo(record.constData(), static_cast<DWORD>(record.size())) == S_OK)
        ++m_Sent;
}

void CPlayNet::SendTurnRecord(NetMessageId id, DPNID player, bool zanta) {
    netrec::TurnRecord r;
    r.id = id;
    r.player = player;
    r.afterZanta = zanta ? 1 : 0;
    Send(netrec::Build(r));
}

QString CPlayNet::DumpTable() { return m_Seats.Dump(m_Public.m_NumberGame); }

// ---- Session events (strand) ----

void CPlayNet::OnCreatePlayer(DPNID player) {
    const DPNID local = LocalId();
    if (player == local) {
        m_Public.m_Players[0].m_PlayerID = local;
        m_Seated = IsHost();
        if (IsHost()) {
            // Hosting alone: the host's own seat is the first record.
            m_NextDealerId = local;
            m_NextIsNewParty = true;
            SetPlayerCount(1);
            Message(QStringLiteral("Ждем подключения игроков!"));
        }
        AnnounceWaiting();
        return;
    }
    AnnounceWaiting();
    if (!IsHost())
        return;
    if (std::find(m_Joiners.begin(), m_Joiners.end(), player) == m_Joiners.end())
        m_Joiners.push_back(player);
    Arm(TIMER_SEAT, 0);
}

void CPlayNet::SeatNewPlayers() {
    if (!IsHost() || m_Joiners.empty())
        return;
    // Nobody is seated while a deal or a take waits for the tables.
    if (m_DealPending || m_TakePending) {
        Arm(TIMER_SEAT, kBarrierPollMs);
        return;
    }
    CPublic& t = m_Public;
    bool seated = false;
    while (!m_Joiners.empty()) {
        const DPNID id = m_Joiners.front();
        m_Joiners.pop_front();
        PeerInfo info;
        if (m_DirectPlay.GetPeerInfo(id, info) != S_OK || LocalSeatOf(id) != 0)
            continue; // gone before he was seated, or seated already
        const int seat = m_Seats.Count() + 1;
        if (seat > CPublic::kMaxPlayers)
            break;
        CPlayer& p = t.m_Players[seat - 1];
        p.m_PlayerID = id;
        p.SetName(info.name);
        p.m_Tablo.SetScoreValue(0);
        p.m_Tablo.SetBallsValue(0);
        p.ResetTabloColor();
        p.m_Victory = 0;
        p.m_Out = m_GameOn;
        p.m_Waiting = m_GameOn;
        p.m_Star.ResetStars(!m_GameOn && t.m_Game31 ? m_NumberStars.load() : 0);
        SetPlayerCount(seat);
        seated = true;
    }
    if (!seated)
        return;
    // While a game runs the record ends with the deal start seat; between
    // games it names the next dealer.
    const DPNID tail = m_GameOn ? IdOf(m_DealStartSeat) : m_NextDealerId;
    Send(netrec::Build(m_Seats.Build(tail)));
    SendSettingsNow();
    Relayout();
    if (!m_GameOn && m_Seats.Count() >= 2)
        AnnounceDealer();
}

void CPlayNet::OnPeerInfo(DPNID player) {
    PeerInfo info;
    if (m_DirectPlay.GetPeerInfo(player, info) != S_OK)
        return;
    const int seat = LocalSeatOf(player);
    if (seat <= 1)
        return;
    m_Public.m_Players[seat - 1].SetName(info.name);
    ShowVictory(seat);
    const QString name = info.name;
    platform::RunOnGuiThread([&] { m_Telegraph.SetName(seat, name); });
}

void CPlayNet::OnDestroyPlayer(DPNID player, const QByteArray& name, bool hostLeft) {
    m_Joiners.erase(std::remove(m_Joiners.begin(), m_Joiners.end(), player), m_Joiners.end());
    if (m_DirectPlay.m_SessionState == 0) {
        LeaveSession();
        return;
    }
    AnnounceWaiting();
    if (LocalSeatOf(player) == 0) {
        // Not seated here (or removed already by the host's record).
        CheckBarriers();
        return;
    }
    if (hostLeft) {
        // The new host removes the seat once the session has chosen him.
        m_HostLeftId = player;
        m_HostLeftName = name;
        CheckBarriers();
        return;
    }
    if (IsHost())
        RemoveSeat(player, name);
    else
        CheckBarriers();
}

void CPlayNet::OnHostMigrate(DPNID newHost) {
    if (m_HostLeftId == 0)
        return;
    const DPNID departed = m_HostLeftId;
    const QByteArray name = m_HostLeftName;
    m_HostLeftId = 0;
    m_HostLeftName.clear();
    if (newHost == LocalId() && LocalSeatOf(departed) != 0)
        RemoveSeat(departed, name);
}

void CPlayNet::RemoveSeat(DPNID departed, const QByteArray& nameBytes) {
    const QString name = nameBytes.isEmpty() ? SeatName(LocalSeatOf(departed)) : Cp1251ToUnicode(nameBytes);
    const DPNID nextDealer = DropSeat(departed);
    const SeatIds kept = KeepSeatIds();
    m_Seats.Compact();
    RestoreSeatIds(kept);
    SetPlayerCount(m_Seats.Count());
    const int present = m_Seats.Count();
    netrec::PlayerOrderRecord order = m_Seats.Build(m_GameOn ? IdOf(m_DealStartSeat) : nextDealer);
    order.id = e_DestroyPlayer;
    Send(netrec::Build(order));
    if (present >= 2) {
        if (m_LockAddPlayers && m_Public.m_NumberGame > 0)
            m_DirectPlay.SetMaxPlayers(present);
        m_Notice(QStringLiteral("Игрок ") + name + QStringLiteral(" вышел из игры!"), kAttention);
    } else {
        m_DirectPlay.SetMaxPlayers(CPublic::kMaxPlayers);
        StopGame();
        GatherCards();
        m_NextDealerId = LocalId();
        m_NextIsNewParty = true;
        ShowButton(QString(), false);
        Message(QStringLiteral("Ждем подключения игроков!"));
    }
    AfterDeparture(nextDealer);
}

DPNID CPlayNet::DropSeat(DPNID departed) {
    CPublic& t = m_Public;
    const int seat = LocalSeatOf(departed);
    const bool wasPlaying = seat != 0 && !t.m_Players[seat - 1].m_Out;
    if (seat != 0) {
        CPublic::MoveScope scope(t);
        for (CCard* c : t.m_Pack.m_Cards) {
            if (c->m_Place != e_Pack && c->m_Player == seat) {
                c->m_Place = e_Pack;
                c->m_Player = 0;
                c->m_IndexX = c->m_IndexY = -1;
                c->CardOpen(false);
            }
        }
        t.m_Players[seat - 1].m_PlayerID = 0;
        t.m_Players[seat - 1].m_Waiting = false;
    }
    int playing = 0, sitting = 0, onlyPlaying = 0;
    for (int s = 1; s <= CPublic::kMaxPlayers; ++s) {
        if (IdOf(s) == 0)
            continue;
        if (t.m_Players[s - 1].m_Out) {
            ++sitting;
        } else {
            ++playing;
            onlyPlaying = s;
        }
    }
    m_Interrupted = m_GameOn && (wasPlaying || playing <= 1);
    if (playing == 0 && sitting >= 2) {
        // Everyone left sits out: they all play again.
        for (int s = 1; s <= CPublic::kMaxPlayers; ++s)
            if (IdOf(s) != 0) {
                t.m_Players[s - 1].m_Out = false;
                t.m_Players[s - 1].m_Waiting = false;
            }
        m_Interrupted = true;
    }
    // The next dealer: the seat where the deal began, or the one after it.
    if (!m_GameOn && m_NextDealerId != 0 && LocalSeatOf(m_NextDealerId) != 0)
        return m_NextDealerId;
    if (playing == 1)
        return IdOf(onlyPlaying);
    int start = m_DealStartSeat;
    if (start >= 1 && IdOf(start) != 0 && start != seat)
        return IdOf(start);
    if (start < 1) {
        for (int s = 1; s <= CPublic::kMaxPlayers; ++s)
            if (IdOf(s) != 0)
                return IdOf(s);
        return LocalId();
    }
    for (int k = 1; k <= CPublic::kMaxPlayers; ++k) {
        const int s = (start - 1 + k) % CPublic::kMaxPlayers + 1;
        if (IdOf(s) != 0 && !t.m_Players[s - 1].m_Out)
            return IdOf(s);
    }
    return LocalId();
}

CPlayNet::SeatIds CPlayNet::KeepSeatIds() const {
    return {IdOf(m_Public.m_CurrentPlayer), IdOf(m_DealStartSeat)};
}

void CPlayNet::RestoreSeatIds(const SeatIds& ids) {
    // Seat numbers change with the seats; the players they stood for do not.
    // Before the first deal nobody is current, and nobody becomes so here.
    m_Public.m_CurrentPlayer = ids.current != 0 ? std::max(LocalSeatOf(ids.current), 1) : 0;
    m_DealStartSeat = LocalSeatOf(ids.dealStart);
}

void CPlayNet::AfterDeparture(DPNID nextDealer) {
    // Between games the next dealer is the one whose turn it is, as after a game.
    if (m_Interrupted || !m_GameOn)
        m_Public.m_CurrentPlayer = std::max(LocalSeatOf(nextDealer), 1);
    if (m_Interrupted) {
        StopGame();
        GatherCards();
        m_NextDealerId = nextDealer;
        m_NextIsNewParty = true;
        for (int s = 1; s <= CPublic::kMaxPlayers; ++s)
            if (IdOf(s) != 0) {
                m_Public.m_Players[s - 1].m_Out = false;
                m_Public.m_Players[s - 1].m_Waiting = false;
            }
        AnnounceDealer();
    } else if (!m_GameOn) {
        m_NextDealerId = nextDealer;
        AnnounceDealer();
    }
    m_Interrupted = false;
    Relayout();
    CheckBarriers();
}

bool CPlayNet::FromHost(DPNID sender, const netrec::PlayerOrderRecord& order) const {
    if (IsHost())
        return false;
    if (sender == m_DirectPlay.HostPlayer())
        return true;
    // A host that took over may speak before this peer learned of it: the
    // session makes the earliest member left the host.
    DPNID lowest = 0;
    for (const auto& seat : order.seats)
        if (seat.player != 0 && (lowest == 0 || seat.player < lowest))
            lowest = seat.player;
    return sender == lowest;
}

void CPlayNet::ApplyDeparture(DPNID sender, const netrec::PlayerOrderRecord& order) {
    if (!FromHost(sender, order))
        return Refuse(sender, "seat order from a peer that is not the host");
    // The departed: every seated player the record no longer has.
    std::vector<DPNID> gone;
    for (int s = 2; s <= CPublic::kMaxPlayers; ++s) {
        const DPNID id = IdOf(s);
        if (id != 0 && std::none_of(order.seats.begin(), order.seats.end(),
                                    [&](const netrec::SeatRecord& r) { return r.player == id; }))
            gone.push_back(id);
    }
    DPNID nextDealer = 0;
    QString name;
    for (DPNID id : gone) {
        name = SeatName(LocalSeatOf(id));
        nextDealer = DropSeat(id);
    }
    if (order.dealStart != 0 && !m_GameOn)
        nextDealer = order.dealStart;
    const SeatIds kept = KeepSeatIds();
    if (m_Seats.Apply(order, LocalId(), false) == 0)
        return;
    RestoreSeatIds(kept);
    SetPlayerCount(m_Seats.Count());
    if (!gone.empty())
        m_Notice(QStringLiteral("Игрок ") + name + QStringLiteral(" вышел из игры!"), kAttention);
    if (gone.empty()) {
        Relayout();
        CheckBarriers();
        return;
    }
    AfterDeparture(nextDealer);
}

// ---- Records (strand) ----

void CPlayNet::Dispatch(DPNID sender, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    const int id = static_cast<BYTE>(bytes[0]);
    // Only the seat order may come from a player the table has not seated.
    if (id != e_PlayerOrder && id != e_DestroyPlayer && id != e_Chat && id != e_SettingGame &&
        LocalSeatOf(sender) == 0)
        return Refuse(sender, "a record from a player without a seat");
    // A table that joined during the game learns whose turn it is from the
    // first move it sees.
    if (m_GameOn && m_Public.m_Players[0].m_Waiting && IdOf(m_Public.m_CurrentPlayer) == 0 &&
        (id == e_GoCard || id == e_BitaCards || id == e_ResetCards || id == e_NextPlayerGo ||
         id == e_TakeCards))
        m_Public.m_CurrentPlayer = LocalSeatOf(sender);
    switch (id) {
    case e_PlayerOrder:
        if (auto r = netrec::ReadPlayerOrder(bytes))
            ApplyPlayerOrder(sender, *r);
        break;
    case e_DestroyPlayer:
        if (auto r = netrec::ReadPlayerOrder(bytes))
            ApplyDeparture(sender, *r);
        break;
    case e_NewParty:
    case e_NextGame:
        if (auto r = netrec::ReadParty(bytes)) {
            try {
                ApplyParty(sender, *r);
            } catch (...) {
                Log(kErrApplyParty);
            }
        }
        break;
    case e_GoCard:
        if (auto r = netrec::ReadGoCard(bytes)) {
            try {
                ApplyGoCard(sender, *r);
            } catch (...) {
                Log(kErrApplyGoCard);
            }
        }
        break;
    case e_BitaCards:
    case e_ResetCards:
        if (auto r = netrec::ReadTable(bytes)) {
            try {
                ApplyAnswer(sender, *r);
            } catch (...) {
                Log(id == e_BitaCards ? kErrApplyBita : kErrApplyReset);
            }
        }
        break;
    case e_NextPlayerGo:
        if (auto r = netrec::ReadTurn(bytes))
            ApplyTurn(sender, *r);
        break;
    case e_TakeCards:
        try {
            TakeTable(sender, false);
        } catch (...) {
            Log(kErrApplyTake);
        }
        break;
    case e_ContinueGame:
        if (auto r = netrec::ReadTurn(bytes))
            ApplyContinue(sender, *r);
        break;
    case e_Zanta:
        if (auto r = netrec::ReadTurn(bytes))
            ApplyZanta(sender, *r);
        break;
    case e_EndDistr:
        CountAck(sender, false);
        break;
    case e_EndTake:
        CountAck(sender, true);
        break;
    case e_Chat:
        if (auto r = netrec::ReadChat(bytes)) {
            const int seat = LocalSeatOf(r->player != 0 ? r->player : sender);
            const QString text = Cp1251ToUnicode(r->text);
            if (seat >= 2)
                platform::RunOnGuiThread([&] { m_Telegraph.SetLine(seat, text); });
        }
        break;
    case e_SettingGame:
        if (auto r = netrec::ReadSetting(bytes))
            ApplySettings(sender, *r);
        break;
    default:
        Refuse(sender, "a record of no kind");
        break;
    }
}

void CPlayNet::ApplyPlayerOrder(DPNID sender, const netrec::PlayerOrderRecord& order) {
    if (!FromHost(sender, order))
        return Refuse(sender, "seat order from a peer that is not the host");
    const DPNID local = LocalId();
    const auto own = std::find_if(order.seats.begin(), order.seats.end(),
                                  [&](const netrec::SeatRecord& s) { return s.player == local; });
    if (own == order.seats.end())
        return; // not seated yet
    // A newcomer takes the whole table; the others only the seats.
    const bool full = own->waitsNextParty != 0 || !m_Seated;
    try {
        const SeatIds kept = KeepSeatIds();
        if (m_Seats.Apply(order, local, full) == 0)
            return;
        if (!full)
            RestoreSeatIds(kept);
    } catch (...) {
        Log(full ? kErrPlayerOrderLate : kErrPlayerOrder);
        return;
    }
    m_Seated = true;
    SetPlayerCount(m_Seats.Count());
    m_JustSeated = full;
    if (full) {
        const bool dealt = !m_Public.m_Pack.IsPackFull();
        m_GameOn = dealt && own->waitsNextParty != 0;
        m_DealStartSeat = m_GameOn ? m_Seats.SeatOfDealStart(order) : 0;
        if (!m_GameOn)
            m_NextDealerId = order.dealStart != 0 ? order.dealStart : order.seats[0].player;
        m_NextIsNewParty = m_GameOn || m_Public.m_NumberGame == 0;
        m_Public.m_MoveBlocked = true;
        // Whose turn it is the record does not say: the first move seen tells.
        if (m_GameOn)
            m_Public.m_CurrentPlayer = 0;
    } else if (!m_GameOn && order.dealStart != 0) {
        m_NextDealerId = order.dealStart;
    }
    Relayout();
    if (m_GameOn && m_Public.m_Players[0].m_Waiting)
        Message(QStringLiteral("Ждите начала новой партии!"));
    else if (!m_GameOn)
        AnnounceDealer();
    CheckBarriers();
}

// ---- Starting a game ----

void CPlayNet::StartDeal(bool newParty) {
    CPublic& t = m_Public;
    const DPNID local = LocalId();
    // One dealer at a time: the peer whose turn it is, between games.
    if (local == 0 || m_NextDealerId != local || m_GameOn || m_DealPending)
        return;
    if (m_Seats.Count() < 2) {
        m_Notice(QStringLiteral("Игру начать нельзя! В игре только один игрок!"), kAttention);
        return;
    }
    if (m_LockAddPlayers)
        m_DirectPlay.SetMaxPlayers(m_Seats.Count());
    newParty = newParty || m_NextIsNewParty;
    if (newParty)
        ResetParty();
    m_NextDealerId = 0;
    char masts[netrec::kCards];
    char values[netrec::kCards];
    m_Moves.StartGame(masts, values);
    t.m_CurrentPlayer = 1;
    t.NextPlayer(&t.m_CurrentPlayer, nullptr);
    netrec::PartyRecord r;
    r.id = newParty ? e_NewParty : e_NextGame;
    std::copy(std::begin(masts), std::end(masts), reinterpret_cast<char*>(r.masts.data()));
    std::copy(std::begin(values), std::end(values), reinterpret_cast<char*>(r.values.data()));
    r.firstPlayer = IdOf(t.m_CurrentPlayer);
    Send(netrec::Build(r));
    m_DealerId = local;
    Announce(QStringLiteral("Игра №") + QString::number(t.m_NumberGame), 1);
    Deal(true);
}

void CPlayNet::ApplyParty(DPNID sender, const netrec::PartyRecord& r) {
    CPublic& t = m_Public;
    if (sender != m_NextDealerId || m_DealPending) {
        Refuse(sender, "a deal out of turn");
        // Nobody waits for this table because of a deal it refused.
        Send(netrec::BuildSignal(e_EndDistr));
        return;
    }
    const bool newParty = r.id == e_NewParty;
    if (newParty)
        ResetParty();
    if (!m_Moves.StartGameAs(reinterpret_cast<const char*>(r.masts.data()),
                             reinterpret_cast<const char*>(r.values.data()))) {
        Refuse(sender, "a shuffle that is no order of the deck");
        Send(netrec::BuildSignal(e_EndDistr));
        return;
    }
    m_NextDealerId = 0;
    const int first = LocalSeatOf(r.firstPlayer);
    t.m_CurrentPlayer = first != 0 ? first : LocalSeatOf(sender);
    m_DealerId = sender;
    Announce(QStringLiteral("Игра №") + QString::number(t.m_NumberGame), 1);
    Deal(false);
}

void CPlayNet::ResetParty() {
    CPublic& t = m_Public;
    for (int s = 1; s <= CPublic::kMaxPlayers; ++s) {
        t.m_Players[s - 1].m_Waiting = false;
        t.m_Players[s - 1].m_Out = false;
    }
    m_Moves.ResetParty(m_NumberStars);
    m_NextIsNewParty = false;
    m_GameOn = false;
}

// ---- Dealing and its barrier ----

void CPlayNet::Deal(bool dealer) {
    CPublic& t = m_Public;
    try {
        if (t.m_Players[0].m_Out)
            Message(QStringLiteral("Ждите начала новой партии!"));
        m_DealPending = true;
        m_DistrAwaited = OtherSeated();
        m_EndDistrSent = false;
        m_FirstTurnDue = true;
        Arm(TIMER_END_DISTR, kBarrierPollMs);
        const int n = std::max(t.m_NumberPlayers, 1);
        m_DealStartSeat = t.m_CurrentPlayer - 1 < 1 ? n : t.m_CurrentPlayer - 1;
        t.m_MoveBlocked = true;
        m_Dealer = dealer;
        ShowButton(QString(), false);
        m_GameOn = true;
        m_Moves.DistrCards(t.m_CurrentPlayer);
    } catch (...) {
        Log(kErrDeal);
    }
    CheckBarriers();
}

void CPlayNet::SendEndOf(bool take) {
    bool& sent = take ? m_EndTakeSent : m_EndDistrSent;
    if (sent)
        return;
    sent = true;
    Send(netrec::BuildSignal(take ? e_EndTake : e_EndDistr));
}

void CPlayNet::CountAck(DPNID sender, bool take) {
    if (take) {
        if (m_TakePending)
            m_TakeAwaited.erase(sender);
    } else if (m_DealPending) {
        m_DistrAwaited.erase(sender);
    }
    CheckBarriers();
}

void CPlayNet::CheckBarriers() {
    // A peer that has left is waited for no more, whether it acknowledged or not.
    for (auto* awaited : {&m_DistrAwaited, &m_TakeAwaited})
        for (auto it = awaited->begin(); it != awaited->end();)
            it = LocalSeatOf(*it) == 0 || !InSession(*it) ? awaited->erase(it) : std::next(it);
    if (m_TakePending && m_TakeAwaited.empty())
        m_TakePending = false;
    if (m_DealPending && m_DistrAwaited.empty()) {
        m_DealPending = false;
        if (m_Dealer && m_GameOn) {
            // The dealer's own deal is over (its steps run in order): the
            // others hear so before they hear whose turn it is.
            SendEndOf(false);
            AfterDeal();
        }
    }
    if (IsHost() && !m_Joiners.empty() && !m_DealPending && !m_TakePending)
        Arm(TIMER_SEAT, 0);
}

void CPlayNet::AfterDeal() {
    CPublic& t = m_Public;
    int holder = t.m_CurrentPlayer;
    if (t.IsZanta(&holder)) {
        t.m_CurrentPlayer = holder;
        SendTurnRecord(e_Zanta, IdOf(holder), false);
        Announce(QStringLiteral("Внимание занта!"), 1);
        m_ZantaDue = holder;
        Arm(TIMER_ZANTA, 2000);
        return;
    }
    PassTurn(t.m_CurrentPlayer, false);
}

void CPlayNet::ApplyZanta(DPNID sender, const netrec::TurnRecord& r) {
    DealerDone(sender);
    if (sender != m_DealerId || !m_FirstTurnDue)
        return Refuse(sender, "a zanta from a peer that did not deal");
    (void)r;
    Announce(QStringLiteral("Внимание занта!"), 1);
}

// ---- Turns ----

void CPlayNet::PassTurn(int seat, bool zanta) {
    CPublic& t = m_Public;
    if (seat < 1 || IdOf(seat) == 0)
        return;
    t.m_CurrentPlayer = seat;
    m_FirstTurnDue = false;
    SendTurnRecord(e_NextPlayerGo, IdOf(seat), zanta);
    AnnounceTurn(zanta);
}

void CPlayNet::DealerDone(DPNID sender) {
    // Whatever the dealer speaks after his deal comes after his deal's end.
    if (m_DealPending && sender == m_DealerId) {
        m_DistrAwaited.erase(sender);
        CheckBarriers();
    }
}

void CPlayNet::ApplyTurn(DPNID sender, const netrec::TurnRecord& r) {
    CPublic& t = m_Public;
    DealerDone(sender);
    const int seat = LocalSeatOf(r.player);
    const bool fromCurrent = sender == IdOf(t.m_CurrentPlayer) && !m_FirstTurnDue;
    const bool fromDealer = sender == m_DealerId && m_FirstTurnDue;
    if (!m_GameOn || m_DealPending || seat == 0 || t.m_Players[seat - 1].m_Out ||
        !(fromCurrent || fromDealer))
        return Refuse(sender, "a turn out of turn");
    if (fromCurrent && !fromDealer && !t.CheckCompletionPlayer(t.m_CurrentPlayer) &&
        t.GetNumberCardsPlayerOnTable(t.m_CurrentPlayer) == 0)
        return Refuse(sender, "a turn passed before any card was played");
    t.m_CurrentPlayer = seat;
    m_FirstTurnDue = false;
    AnnounceTurn(r.afterZanta != 0);
}

void CPlayNet::AnnounceTurn(bool zanta) {
    CPublic& t = m_Public;
    const int seat = t.m_CurrentPlayer;
    t.m_MoveBlocked = seat != 1;
    const QString turn = seat == 1 ? QStringLiteral("Ваш ход!")
                                   : QStringLiteral("Ходит ") + SeatName(seat) + QStringLiteral("!");
    if (zanta && t.m_Game31) {
        Message(turn);
        PlayZanta(seat);
        return;
    }
    if (zanta) {
        Message(seat == 1 ? turn : QStringLiteral("У игрока ") + SeatName(seat) + QStringLiteral(" занта!"));
        Announce(QStringLiteral("Игра продолжается!"), 1);
        return;
    }
    Message(turn);
    t.FlashPlayer(seat);
}

void CPlayNet::PlayZanta(int holder) {
    m_Moves.ShowZanta(holder, true);
    EndGame(holder);
}

// ---- The local player's moves ----

void CPlayNet::LocalCard(CCard* card) {
    CPublic& t = m_Public;
    if (!m_GameOn || m_DealPending || m_FirstTurnDue || t.m_CurrentPlayer != 1 || t.m_MoveBlocked)
        return;
    if (!card || card->m_Place != e_Hand || card->m_Player != 1)
        return;
    const bool leading = t.GetNumberCardsOnTable() == t.GetNumberCardsPlayerOnTable(1) &&
                         !t.IsCardsTableReset(1);
    if (leading) {
        if (!t.IsMastOnTable(card->m_Mast)) {
            if (m_LabelBefore.isEmpty())
                m_LabelBefore = t.m_LabelMessage.GetCaption();
            Message(QStringLiteral("Такой мастью ходить нельзя!"));
            Arm(TIMER_LABEL, 800);
            return;
        }
        netrec::GoCardRecord r;
        r.mast = static_cast<BYTE>(card->m_Mast);
        r.value = static_cast<BYTE>(card->m_Value);
        r.player = LocalId();
        Send(netrec::Build(r));
        m_Moves.LeadCard(1, card);
        if (t.m_AutomaticGame && !m_Moves.HoldsMast(1, card->m_Mast))
            LocalFurther();
        else
            ShowButton(ButtonText::Further, true);
        return;
    }
    try {
        SendAnswer(card);
        m_Moves.AnswerCard(1, card);
    } catch (...) {
        Log(kErrLocalBita);
        return;
    }
    if (!t.CheckCompletionPlayer(1)) {
        ShowButton(QString(), false);
        return;
    }
    t.m_MoveBlocked = true;
    if (t.CheckCircleCompletion()) {
        if (t.m_AutomaticGame)
            Arm(TIMER_AUTO_TAKE, 500);
        else
            ShowButton(kTake, true);
    } else if (t.m_AutomaticGame) {
        LocalFurther();
    } else {
        ShowButton(ButtonText::Further, true);
    }
}

void CPlayNet::SendAnswer(CCard* card) {
    CPublic& t = m_Public;
    netrec::TableRecord r;
    r.mast = static_cast<BYTE>(card->m_Mast);
    r.value = static_cast<BYTE>(card->m_Value);
    r.column = card->m_IndexX;
    if (CCard* target = m_Moves.AnswerTarget(1, card)) {
        r.id = e_BitaCards;
        r.beatenMast = static_cast<BYTE>(target->m_Mast);
        r.beatenValue = static_cast<BYTE>(target->m_Value);
        Send(netrec::Build(r));
        return;
    }
    r.id = e_ResetCards;
    const bool throwingAlready = t.IsCardsTableReset(1);
    Send(netrec::Build(r));
    if (throwingAlready)
        return;
    // A failed beat throws the cards beaten with so far, each on its own record.
    for (CCard* c : t.m_Pack.m_Cards) {
        if (c->m_Place != e_Going || c->m_Player != 1)
            continue;
        netrec::TableRecord more;
        more.id = e_ResetCards;
        more.mast = static_cast<BYTE>(c->m_Mast);
        more.value = static_cast<BYTE>(c->m_Value);
        more.column = c->m_IndexX;
        Send(netrec::Build(more));
    }
}

void CPlayNet::LocalFurther() {
    CPublic& t = m_Public;
    if (!m_GameOn || t.m_CurrentPlayer != 1 || m_FirstTurnDue)
        return;
    const bool led = t.GetNumberCardsPlayerOnTable(1) > 0 && t.GetNumberCardsOnTable() == t.GetNumberCardsPlayerOnTable(1);
    if (!led && !t.CheckCompletionPlayer(1))
        return;
    if (t.CheckCircleCompletion())
        return; // the circle is closed: the take comes next
    ShowButton(QString(), false);
    t.m_MoveBlocked = true;
    int next = 1;
    t.NextPlayer(&next, nullptr);
    PassTurn(next, false);
}

// ---- The other players' moves ----

CCard* CPlayNet::FindCard(int mast, int value) const {
    for (CCard* c : m_Public.m_Pack.m_Cards)
        if (c->m_Mast == mast && c->m_Value == value)
            return c;
    return nullptr;
}

bool CPlayNet::IsTurnOf(DPNID sender) const {
    const CPublic& t = m_Public;
    return m_GameOn && !m_DealPending && !m_FirstTurnDue && sender != 0 &&
           sender == IdOf(t.m_CurrentPlayer) && t.m_CurrentPlayer != 1;
}

void CPlayNet::ApplyGoCard(DPNID sender, const netrec::GoCardRecord& r) {
    CPublic& t = m_Public;
    if (!IsTurnOf(sender) || r.player != sender)
        return Refuse(sender, "a lead out of turn");
    const int seat = t.m_CurrentPlayer;
    CCard* card = FindCard(r.mast, r.value);
    if (t.GetNumberCardsOnTable() != t.GetNumberCardsPlayerOnTable(seat))
        return Refuse(sender, "a lead while others' cards lie on the table");
    if (!m_Moves.LeadCard(seat, card))
        return Refuse(sender, "a lead of a card not held or of another suit");
}

void CPlayNet::ApplyAnswer(DPNID sender, const netrec::TableRecord& r) {
    CPublic& t = m_Public;
    if (!IsTurnOf(sender))
        return Refuse(sender, "an answer out of turn");
    const int seat = t.m_CurrentPlayer;
    if (t.GetNumberCardsOnTable() == t.GetNumberCardsPlayerOnTable(seat))
        return Refuse(sender, "an answer with nothing to answer");
    CCard* card = FindCard(r.mast, r.value);
    if (!card || card->m_Player != seat)
        return Refuse(sender, "an answer with a card not held");
    if (r.id == e_ResetCards && card->m_Place == e_Reset)
        return; // thrown already with the failed beat before it
    if (card->m_Place != e_Hand)
        return Refuse(sender, "an answer with a card not in the hand");
    CCard* target = m_Moves.AnswerTarget(seat, card);
    if (r.id == e_BitaCards) {
        if (!target || target != FindCard(r.beatenMast, r.beatenValue))
            return Refuse(sender, "a beat the rules refuse");
    } else if (target) {
        return Refuse(sender, "a throw of a card that beats");
    }
    m_Moves.AnswerCard(seat, card);
}

// ---- The take ----

void CPlayNet::TakeTable(DPNID taker, bool local) {
    CPublic& t = m_Public;
    if (!m_GameOn || m_DealPending)
        return local ? void() : Refuse(taker, "a take while none is due");
    if (taker != IdOf(t.m_CurrentPlayer) || !t.CheckCircleCompletion())
        return local ? void() : Refuse(taker, "a take before the circle is closed");
    if (local && t.m_CurrentPlayer != 1)
        return;
    Disarm(TIMER_AUTO_TAKE);
    if (local) {
        ShowButton(QString(), false);
        Send(netrec::BuildSignal(e_TakeCards));
    }
    m_TakerId = taker;
    t.m_LabelMessage.Show(false);
    m_TakePending = true;
    m_TakeAwaited = OtherSeated();
    m_EndTakeSent = false;
    Arm(TIMER_END_TAKE, kBarrierPollMs);
    m_Moves.TakeTrick();
    const int winner = m_Moves.GameWinner();
    if (winner == -1) {
        if (local)
            Arm(TIMER_CONTINUE, 500);
    } else {
        EndGame(winner);
    }
    CheckBarriers();
}

void CPlayNet::ContinueAfterTake() {
    CPublic& t = m_Public;
    if (!m_GameOn || m_TakerId != LocalId() || m_DealPending)
        return;
    SendTurnRecord(e_ContinueGame, IdOf(t.m_CurrentPlayer), false);
    m_DealerId = LocalId();
    Deal(true);
}

void CPlayNet::ApplyContinue(DPNID sender, const netrec::TurnRecord& r) {
    CPublic& t = m_Public;
    const int seat = LocalSeatOf(r.player);
    if (!m_GameOn || m_DealPending || sender != m_TakerId || seat == 0 || seat != t.m_CurrentPlayer)
        return Refuse(sender, "a refill out of turn");
    m_DealerId = sender;
    Deal(false);
}

// ---- The end of a game ----

void CPlayNet::EndGame(int winner) {
    CPublic& t = m_Public;
    m_GameOn = false;
    m_FirstTurnDue = false;
    Disarm(TIMER_CONTINUE);
    Disarm(TIMER_AUTO_TAKE);
    t.m_MoveBlocked = true;
    const int bits = m_Moves.EndGame(winner);
    m_NextDealerId = IdOf(winner);
    if (bits & e_PartyOver) {
        Announce(QStringLiteral("Партия окончена!"), 2);
        t.m_LabelResult.SetCaption((bits & e_PartyWinnerSeat1) ? QStringLiteral("Вы выиграли!")
                                                               : QStringLiteral("Вы проиграли!"),
                                   2);
        Announce(QStringLiteral("Начало новой партии!"), 1);
        m_NextIsNewParty = true;
    } else {
        Announce(QStringLiteral("Игра окончена!"), 1);
        m_NextIsNewParty = false;
    }
    AnnounceDealer();
}

void CPlayNet::StopGame() {
    // The end of a deal or a take this table still owes goes out now: a
    // table that did not see this game stop may still be waiting for it.
    SendEndOf(false);
    SendEndOf(true);
    for (UINT id : {TIMER_AUTO_TAKE, TIMER_ZANTA, TIMER_CONTINUE, TIMER_END_DISTR, TIMER_END_TAKE})
        Disarm(id);
    m_GameOn = false;
    m_DealPending = false;
    m_TakePending = false;
    m_FirstTurnDue = false;
    m_DistrAwaited.clear();
    m_TakeAwaited.clear();
    m_ZantaDue = 0;
    m_Public.m_MoveBlocked = true;
}

void CPlayNet::GatherCards() {
    CPublic::MoveScope scope(m_Public);
    m_Public.m_Pack.CardsToPack(true);
}

void CPlayNet::SendChat(const QString& text) {
    Step(nullptr, [this, text] {
        netrec::ChatRecord r;
        r.text = Cp1251Field(text, netrec::kChatBytes + 1);
        r.player = LocalId();
        Send(netrec::Build(r));
    });
}
