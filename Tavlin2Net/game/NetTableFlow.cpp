// The network table's flow: its guards, the doings handed to the strand,
// the timers, seats, labels and what the window's thread may know.

#include "NetTableFlow.h"
#include "PlayNetSteps.h"

#include "Card.h"
#include "Cp1251.h"
#include "GuiThread.h"
#include "MyLabel.h"
#include "Star.h"

#include <algorithm>

Q_LOGGING_CATEGORY(lcNetGame, "zanta.netgame", QtCriticalMsg)

using namespace playnet;

bool playnet::IsBusyAnimating() {
    return CMyLabel::m_staticCountThreads != 0 || CStar::m_staticCountThreads != 0 ||
           CCard::m_staticProccessMovecard != 0;
}

CNetTableFlow::CNetTableFlow(CPublic& table, CTableMoves& moves, CDirectPlay& session,
                             CClock& clock, IFlowView& view, CGameStrand::Mode strand)
    : m_Public(table), m_Moves(moves), m_DirectPlay(session), m_Clock(clock), m_View(view),
      m_Seats(table), m_Computer(table, [this] { return static_cast<int>(m_HeldDraws() % 1000); }),
      m_Strand(strand) {
    m_DirectPlay.SetEventSink([this](const CNetPost& post) { return OnSessionEvent(post); });
}

CNetTableFlow::~CNetTableFlow() { Stop(); }

void CNetTableFlow::Stop() {
    m_DirectPlay.SetEventSink(nullptr);
    m_Stopped = true;
    m_Strand.Stop();
}

// ---- Threads and guards ----

void CNetTableFlow::Step(const char* errorLine, std::function<void()> step) {
    if (m_Stopped)
        return;
    const int generation = m_Generation;
    m_Strand.Post([this, errorLine, generation, step = std::move(step)] {
        // A step queued for a session that has since been left does nothing.
        if (generation != m_Generation)
            return;
        try {
            step();
            ArmHeldSeat();
        } catch (const std::exception& e) {
            qCWarning(lcNetGame) << "step failed:" << e.what();
            Log(errorLine);
        } catch (...) {
            Log(errorLine);
        }
        Publish();
    });
}

void CNetTableFlow::Log(const char* line) {
    if (line)
        m_DirectPlay.m_Log.Append(line);
}

void CNetTableFlow::Refuse(DPNID sender, const char* what) {
    if (m_TakingMove && MoveIsStale(sender)) {
        qCDebug(lcNetGame) << "stale from" << sender << ":" << what;
        Log(QStringLiteral("Stale - %1 from %2\r\n").arg(what).arg(sender).toLatin1().constData());
        return;
    }
    qCWarning(lcNetGame) << "ignored from" << sender << ":" << what;
    m_DirectPlay.m_Log.AppendRefusal(QStringLiteral("Ignored - %1 from %2\r\n").arg(what).arg(sender).toLatin1().constData());
}

bool CNetTableFlow::MoveIsStale(DPNID sender) const {
    if (m_GameStopped)
        return true;
    // Until a table ends this deal it has not seen it: what it played came
    // before. The dealer speaks after his own deal.
    return m_DealPending && sender != m_DealerId && m_DistrAwaited.count(sender) != 0;
}

UINT CNetTableFlow::Paced(UINT ms) const {
    return static_cast<UINT>(static_cast<long long>(ms) * m_PacePercent.load() / 100);
}

void CNetTableFlow::Arm(UINT id, UINT ms) {
    if (!m_Stopped)
        m_Clock.Arm(id, static_cast<int>(Paced(ms)), [this, id] { Fire(id); });
}

void CNetTableFlow::Disarm(UINT id) { m_Clock.Disarm(id); }

bool CNetTableFlow::IsIdle() const { return m_Strand.IsIdle() && !IsBusyAnimating(); }

// ---- Seats ----

int CNetTableFlow::LocalSeatOf(DPNID player) const { return m_Seats.SeatOf(player); }
DPNID CNetTableFlow::IdOf(int seat) const { return m_Seats.IdOf(seat); }
DPNID CNetTableFlow::LocalId() const { return m_DirectPlay.m_LocalPlayer.load(); }

QString CNetTableFlow::SeatName(int seat) const {
    if (seat < 1 || seat > CPublic::kMaxPlayers)
        return {};
    return m_Public.m_Players[seat - 1].Name();
}

std::set<DPNID> CNetTableFlow::OtherSeated() const {
    std::set<DPNID> ids;
    for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
        if (IdOf(s) != 0)
            ids.insert(IdOf(s));
    return ids;
}

std::set<DPNID> CNetTableFlow::OtherAwaited() const {
    std::set<DPNID> ids;
    for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
        if (IdOf(s) != 0 && !m_Public.m_Players[s - 1].m_Waiting)
            ids.insert(IdOf(s));
    return ids;
}

bool CNetTableFlow::PlaysHere(DPNID player) const {
    const int seat = LocalSeatOf(player);
    return seat != 0 && !m_Public.m_Players[seat - 1].m_Out;
}

bool CNetTableFlow::InSession(DPNID player) const {
    PeerInfo info;
    return player == LocalId() || m_DirectPlay.GetPeerInfo(player, info) == S_OK;
}

void CNetTableFlow::Relayout() {
    CPublic& t = m_Public;
    const QSize size = m_View.ClientSize();
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
    m_View.Repaint();
}

void CNetTableFlow::ShowVictory(int seat) {
    CPublic& t = m_Public;
    platform::RunOnGuiThread([&] {
        t.m_VictoryTable.DistrPlaceVictory(SeatName(seat), seat, t.m_Players[seat - 1].m_Victory,
                                           t.m_NumberPlayers);
    });
}

void CNetTableFlow::SetPlayerCount(int n) {
    m_Seats.SetNumberPlayers(std::max(n, 1));
    m_PlayerCount = std::max(n, 1);
    ShowChatSeats();
}

// ---- Labels and the button ----

void CNetTableFlow::Message(const QString& text) {
    m_Public.m_LabelMessage.SetCaption(text, 0);
    m_Public.m_LabelMessage.Show(true);
}

void CNetTableFlow::Announce(const QString& text, int effect) {
    m_Public.m_LabelAnnounce.SetShade(false);
    m_Public.m_LabelAnnounce.SetCaption(text, effect);
    m_Public.m_LabelAnnounce.Show(true);
}

void CNetTableFlow::ShowButton(const QString& text, bool show) {
    {
        std::lock_guard lock(m_SnapshotMutex);
        m_Snapshot.button = show ? text : QString();
    }
    m_Public.ShowActiveButton(text, show);
}

CFlowSnapshot CNetTableFlow::Snapshot() const {
    std::lock_guard lock(m_SnapshotMutex);
    return m_Snapshot;
}

void CNetTableFlow::AnnounceDealer() {
    const int dealer = LocalSeatOf(m_NextDealerId);
    if (dealer == 0 || m_PlayerCount < 2)
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

void CNetTableFlow::AnnounceWaiting() {
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

void CNetTableFlow::ShowChatSeats() {
    std::array<QString, 3> names;
    for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
        names[static_cast<size_t>(s - 2)] = SeatName(s);
    m_View.ShowChatSeats(m_PlayerCount, names);
}

// ---- What the window's thread may know ----

void CNetTableFlow::Publish() {
    const DPNID local = LocalId();
    const CPublic& t = m_Public;
    m_PlayerCount = std::max(t.m_NumberPlayers, 1);
    // The party's leader: the first seat in the host's order that plays.
    const int host = std::max(LocalSeatOf(m_DirectPlay.HostPlayer()), 1);
    const int n = m_Seats.Count();
    bool leader = false;
    for (int k = 0; k < n; ++k) {
        const int s = (host - 1 + k) % n + 1;
        if (!t.m_Players[s - 1].m_Out) {
            leader = s == 1;
            break;
        }
    }
    const bool mayDeal = local != 0 && m_NextDealerId == local && !m_GameOn && !m_DealPending &&
                         !m_RedealDue && n >= 2;
    const bool maySetShared = n <= 1 || PlaysHere(local) || IsHost();
    const bool mayPlay = m_GameOn && !m_DealPending && !m_FirstTurnDue && t.m_CurrentPlayer == 1 &&
                         !t.m_MoveBlocked;
    std::lock_guard lock(m_SnapshotMutex);
    CFlowSnapshot& s = m_Snapshot;
    s.players = m_PlayerCount;
    s.mayDeal = mayDeal;
    s.mayNextGame = mayDeal && !m_NextIsNewParty && t.m_NumberGame > 0;
    s.dealPending = m_DealPending;
    s.takePending = m_TakePending;
    s.gameRuns = m_GameOn;
    s.game31 = t.m_Game31;
    s.partyLeader = leader || n <= 1;
    s.maySetShared = maySetShared;
    s.hosts = IsHost() || m_DirectPlay.m_SessionState == 0;
    s.canAct = mayPlay || !s.button.isEmpty();
}



// ---- The doings the window hands over ----

void CNetTableFlow::PlayCard(CCard* card) {
    Step(kErrLocalLead, [this, card] { LocalCard(card); });
}

void CNetTableFlow::RequestDeal(bool newParty) {
    Step(kErrStartDeal, [this, newParty] { StartDeal(newParty); });
}

void CNetTableFlow::RequestTake() {
    Step(kErrTake, [this] { TakeTable(LocalId(), true); });
}

void CNetTableFlow::RequestFurther() {
    Step(kErrLocalLead, [this] { LocalFurther(); });
}

void CNetTableFlow::PressButton() {
    const QString caption = Snapshot().button;
    if (caption == ButtonText::NewParty || caption == ButtonText::Deal || caption == kRedeal)
        RequestDeal(caption == ButtonText::NewParty);
    else if (caption == kTake)
        RequestTake();
    else if (caption == ButtonText::Further)
        RequestFurther();
}

void CNetTableFlow::SendChat(const QString& text) {
    Step(nullptr, [this, text] {
        netrec::ChatRecord r;
        r.text = Cp1251Field(text, netrec::kChatBytes + 1);
        r.player = LocalId();
        Send(netrec::Build(r));
    });
}

// ---- Session events and timers ----

bool CNetTableFlow::OnSessionEvent(const CNetPost& post) {
    const DPNID player = post.player;
    if (post.message != WM_DP_RECEIVE)
        qCDebug(lcNetGame) << "table" << LocalId() << "session event" << post.message << "about" << player;
    switch (post.message) {
    case WM_DP_CREATE_PLAYER:
        Step(kErrCreatePlayer, [this, player] { OnCreatePlayer(player); });
        break;
    case WM_DP_DESTROY_PLAYER: {
        const QByteArray name(post.departedName);
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
        // Counted once queued: whoever sees it counted sees the strand busy.
        CReceivedRecord record = CReceivedRecord::Decode(player, post.record);
        record.seq = post.seq;
        record.after = post.after;
        Step(kErrDispatch, [this, record = std::move(record)] { Dispatch(record); });
        std::lock_guard lock(m_SnapshotMutex);
        ++m_Snapshot.received;
        break;
    }
    default:
        return false;
    }
    return true;
}

bool CNetTableFlow::HasArmedStep() const {
    for (UINT id : {TIMER_AUTO_TAKE, TIMER_ZANTA, TIMER_CONTINUE, TIMER_END_DISTR, TIMER_END_TAKE,
                    TIMER_SEAT, TIMER_HELD_SEAT})
        if (m_Clock.IsArmed(id))
            return true;
    return false;
}

std::vector<UINT> CNetTableFlow::ArmedTimers() const {
    std::vector<UINT> armed;
    for (UINT id : kTimers)
        if (m_Clock.IsArmed(id))
            armed.push_back(id);
    return armed;
}

void CNetTableFlow::Fire(UINT id) {
    switch (id) {
    case TIMER_LABEL:
        Step(nullptr, [this] {
            if (!m_LabelBefore.isEmpty())
                Message(m_LabelBefore);
            m_LabelBefore.clear();
        });
        break;
    case TIMER_AUTO_TAKE:
        Step(kErrTake, [this] { TakeTable(LocalId(), true); });
        break;
    case TIMER_ZANTA:
        Step(nullptr, [this] {
            if (m_ZantaHolderId != 0 && m_GameOn)
                PassTurn(LocalSeatOf(m_ZantaHolderId), true);
            m_ZantaHolderId = 0;
        });
        break;
    case TIMER_CONTINUE:
        Step(kErrDeal, [this] { ContinueAfterTake(); });
        break;
    case TIMER_BARRIER_WATCH:
        Step(nullptr, [this] { WatchBarrier(); });
        break;
    case TIMER_HELD_SEAT:
        Step(kErrDispatch, [this] { PlayHeldSeat(); });
        break;
    case TIMER_END_DISTR:
    case TIMER_END_TAKE:
    case TIMER_SEAT:
        // Tried again every interval until the table is still.
        if (!IsIdle()) {
            Arm(id, kBarrierPollMs);
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
        break;
    }
}

