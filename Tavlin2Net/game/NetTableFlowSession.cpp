// The network table's flow and its session: names, players coming and
// going, seats and the records the peers send.

#include "NetTableFlow.h"
#include "PlayNetSteps.h"

#include "Cp1251.h"
#include "GuiThread.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

using namespace playnet;

// ---- Names and the session ----

void CNetTableFlow::ChangeName(const QString& name) {
    m_DirectPlay.SetName(Cp1251Field(name, netrec::kNameBytes).constData());
    Step(nullptr, [this, name] {
        m_Public.m_Players[0].SetName(name);
        ShowVictory(1);
    });
}

bool CNetTableFlow::RestartPeer() {
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
        // What the old session reported before it closed may be queued
        // behind this step: it does nothing.
        ++m_Generation;
        LeaveSession();
        Publish();
        *result = hr == S_OK ? 1 : 0;
    });
    if (!posted)
        return false;
    QDeadlineTimer deadline(10000);
    while (*result < 0 && !deadline.hasExpired()) {
        m_Strand.RunQueued();
        platform::DrainGuiQueue();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return *result == 1;
}

void CNetTableFlow::LeaveSession() {
    CPublic& t = m_Public;
    StopGame();
    m_Joiners.clear();
    for (int s = 1; s <= CPublic::kMaxPlayers; ++s) {
        t.m_Players[s - 1].m_PlayerID = 0;
        t.m_Players[s - 1].m_Waiting = false;
        t.m_Players[s - 1].m_Out = false;
        t.m_Players[s - 1].SetHeld(false);
    }
    m_Seated = false;
    m_BeforeSeat.clear();
    m_TokenHashes.clear();
    m_Returning.clear();
    m_ReturnedIds.clear();
    m_LastReturn = {};
    m_SeatAskedAtMs.clear();
    m_ProofSent = false;
    m_BackUnawaited = false;
    m_KnowsDue = false;
    m_NextDealerId = 0;
    m_VoidDealEnds.clear();
    m_VoidTakeEnds.clear();
    m_RedealDue = false;
    ShowButton(QString(), false);
    SetPlayerCount(1);
    Relayout();
    Message(QStringLiteral("Нет игры!"));
    m_Public.m_LabelAnnounce.SetShade(true);
    m_Public.m_LabelAnnounce.SetCaption(QStringLiteral("Ждем игроков!"), 0);
}

void CNetTableFlow::Send(const QByteArray& record) {
    if (m_DirectPlay.m_SessionState != 0 &&
        m_DirectPlay.SendTo(record.constData(), static_cast<DWORD>(record.size())) == S_OK)
    {
        std::lock_guard lock(m_SnapshotMutex);
        ++m_Snapshot.sent;
    }
}

void CNetTableFlow::SendAs(DPNID as, const QByteArray& record) {
    Send(as == 0 || as == LocalId() ? record : netrec::BuildHeldMove(as, record));
}

void CNetTableFlow::SendTurnRecord(NetMessageId id, DPNID player, bool zanta, DPNID as) {
    netrec::TurnRecord r;
    r.id = id;
    r.player = player;
    r.afterZanta = zanta ? 1 : 0;
    SendAs(as, netrec::Build(r));
}

QString CNetTableFlow::DumpTable() {
    QString dump = QStringLiteral("busy");
    ReadBetweenSteps([&] { dump = m_Seats.Dump(m_Public.m_NumberGame); });
    return dump;
}

bool CNetTableFlow::ReadBetweenSteps(const std::function<void()>& read) {
    if (m_Strand.IsStrandThread()) {
        read();
        return true;
    }
    // A record may start a step at any moment: the read waits its turn on
    // the strand, and the caller serves what the running step asks of the
    // GUI thread meanwhile.
    // 0 waiting, 1 running, 2 done, 3 given up by the caller.
    auto turn = std::make_shared<std::atomic<int>>(0);
    const bool posted = m_Strand.Post([turn, &read] {
        int waiting = 0;
        if (!turn->compare_exchange_strong(waiting, 1))
            return; // given up: read belongs to a caller that has returned
        read();
        *turn = 2;
    });
    if (!posted) { // the strand has ended: nothing changes the table any more
        read();
        return true;
    }
    const QDeadlineTimer deadline(10000);
    for (int spins = 0;; ++spins) {
        if (turn->load() == 2)
            return true;
        int waiting = 0;
        if (deadline.hasExpired() && turn->compare_exchange_strong(waiting, 3))
            return false;
        m_Strand.RunQueued();
        if (platform::IsGuiThread())
            platform::DrainGuiQueue();
        if (spins < 100)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// ---- Session events (strand) ----

void CNetTableFlow::OnCreatePlayer(DPNID player) {
    const DPNID local = LocalId();
    if (player == local) {
        m_Public.m_Players[0].m_PlayerID = local;
        m_Seated = IsHost();
        // A joiner tells the host what it can follow, and every member the
        // hash of its seat token, once its connection is complete.
        m_KnowsDue = !IsHost();
        SendKnowsIfDue();
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
    SendKnowsIfDue();
    // The newcomer learns every seated member's token hash: he may be host
    // when one of them comes back.
    if (m_Seated)
        Send(netrec::BuildKnows(netrec::kKnowsHeldSeats, netrec::TokenHash(SeatToken())));
    if (!IsHost())
        return;
    if (std::find(m_Joiners.begin(), m_Joiners.end(), player) == m_Joiners.end()) {
        m_Joiners.push_back(player);
        m_JoinedAtMs[player] = m_Clock.NowMs();
    }
    Arm(TIMER_SEAT, 0);
}

void CNetTableFlow::SeatNewPlayers() {
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
        PeerInfo info;
        if (m_DirectPlay.GetPeerInfo(id, info) != S_OK || LocalSeatOf(id) != 0) {
            m_Joiners.pop_front();
            continue; // gone before he was seated, or seated already
        }
        if (m_HoldSeats && !m_KnowsHeldSeats.count(id)) {
            // Where seats are held every table must follow a held seat's
            // moves: a program that has not said it can is waited for a
            // while, then turned away rather than left to drift.
            if (m_Clock.NowMs() - m_JoinedAtMs[id] < kKnowsWaitMs) {
                Arm(TIMER_SEAT, kBarrierPollMs);
                break;
            }
            m_Joiners.pop_front();
            m_DirectPlay.Expel(id);
            m_View.Notice(QStringLiteral("Игрок ") + info.name +
                              QStringLiteral(" не принят: его программа не умеет играть за вышедших игроков."),
                          kAttention);
            continue;
        }
        if (const Comeback back = SeatReturning(id, info.name); back != Comeback::NotOne) {
            if (back == Comeback::Waiting) {
                Arm(TIMER_SEAT, kBarrierPollMs);
                break;
            }
            if (!m_Joiners.empty() && m_Joiners.front() == id)
                m_Joiners.pop_front();
            continue;
        }
        m_Joiners.pop_front();
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
    netrec::PlayerOrderRecord order = m_Seats.Build(tail);
    order.kind = PartyKind();
    // The last seat given back, so that a newcomer reads a record that
    // crossed the return as the others do.
    if (m_LastReturn.first != 0) {
        order.returnedFrom = m_LastReturn.first;
        order.returnedTo = m_LastReturn.second;
    }
    Send(netrec::Build(order));
    SendSettingsNow();
    Relayout();
    if (!m_GameOn && m_Seats.Count() >= 2)
        AnnounceDealer();
}

void CNetTableFlow::OnPeerInfo(DPNID player) {
    PeerInfo info;
    if (m_DirectPlay.GetPeerInfo(player, info) != S_OK)
        return;
    const int seat = LocalSeatOf(player);
    // A held seat keeps the name the host's table gave it: a rename its
    // player made as he left may not have reached every table.
    if (seat <= 1 || IsHeld(player))
        return;
    const QString before = SeatName(seat);
    m_Public.m_Players[seat - 1].SetName(info.name);
    m_DirectPlay.RenameSeat(player, info.name);
    ShowVictory(seat);
    const QString name = info.name;
    // The message that names him now says his new name.
    const QString shown = m_Public.m_LabelMessage.GetCaption();
    for (const QString& form : {QStringLiteral("Сдает %1!"), QStringLiteral("Ходит %1!")})
        if (shown == form.arg(before))
            Message(form.arg(name));
    m_View.ShowChatName(seat, name);
}

void CNetTableFlow::OnDestroyPlayer(DPNID player, const QByteArray& name, bool hostLeft) {
    m_Joiners.erase(std::remove(m_Joiners.begin(), m_Joiners.end(), player), m_Joiners.end());
    if (m_DirectPlay.m_SessionState == 0) {
        LeaveSession();
        return;
    }
    AnnounceWaiting();
    if (LocalSeatOf(player) == 0 || IsHeld(player)) {
        // Not seated here (or removed already by the host's record), or his
        // seat is held already: the host saw him go first.
        CheckBarriers();
        return;
    }
    if (hostLeft && !IsHost()) {
        // The new host removes the seat once the session has chosen him
        // (this table, if it is host already, does it now).
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

void CNetTableFlow::OnHostMigrate(DPNID newHost) {
    const DPNID departed = m_HostLeftId;
    const QByteArray name = m_HostLeftName;
    m_HostLeftId = 0;
    m_HostLeftName.clear();
    if (newHost != LocalId())
        return;
    if (departed != 0 && LocalSeatOf(departed) != 0)
        RemoveSeat(departed, name);
    // Those who went while the old host was going, whose seats it never
    // cleared: the session has told this table of them already.
    for (DPNID id : OtherSeated())
        if (!InSession(id) && !IsHeld(id))
            RemoveSeat(id, {});
}

void CNetTableFlow::RemoveSeat(DPNID departed, const QByteArray& nameBytes) {
    if (HoldSeat(departed))
        return;
    const QString name = nameBytes.isEmpty() ? SeatName(LocalSeatOf(departed)) : Cp1251ToUnicode(nameBytes);
    const DPNID nextDealer = DropSeat(departed);
    const SeatIds kept = KeepSeatIds();
    m_Seats.Compact();
    RestoreSeatIds(kept);
    SetPlayerCount(m_Seats.Count());
    const int present = m_Seats.Count();
    // A game the departure ends names the next dealer as this host sees it:
    // the others may not have seen the same refills by then.
    netrec::PlayerOrderRecord order =
        m_Seats.Build(m_GameOn && !m_Interrupted ? IdOf(m_DealStartSeat) : nextDealer);
    order.id = e_DestroyPlayer;
    order.endsGame = m_Interrupted ? 1 : 0;
    Send(netrec::Build(order));
    if (present >= 2) {
        if (m_LockAddPlayers && m_Public.m_NumberGame > 0)
            m_DirectPlay.SetMaxPlayers(present);
        m_View.Notice(QStringLiteral("Игрок ") + name + QStringLiteral(" вышел из игры!"), kAttention);
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

DPNID CNetTableFlow::DropSeat(DPNID departed) {
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
        t.m_Players[seat - 1].SetHeld(false);
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

CNetTableFlow::SeatIds CNetTableFlow::KeepSeatIds() const {
    return {IdOf(m_Public.m_CurrentPlayer), IdOf(m_DealStartSeat)};
}

void CNetTableFlow::RestoreSeatIds(const SeatIds& ids) {
    // Seat numbers change with the seats; the players they stood for do not.
    // Before the first deal nobody is current, and nobody becomes so here.
    m_Public.m_CurrentPlayer = ids.current != 0 ? std::max(LocalSeatOf(ids.current), 1) : 0;
    m_DealStartSeat = LocalSeatOf(ids.dealStart);
}

void CNetTableFlow::AfterDeparture(DPNID nextDealer) {
    // Between games the next dealer is the one whose turn it is, as after a game.
    if (m_Interrupted || !m_GameOn)
        m_Public.m_CurrentPlayer = std::max(LocalSeatOf(nextDealer), 1);
    // This table's own deal, stopped before anybody played: a table that
    // learnt of the departure before the deal dealt it without the departed
    // and waits for a first turn. The same dealer deals again at once, and
    // every table takes that deal in place of the void one.
    const bool ownDealStopped = m_Interrupted && m_Dealer && m_FirstTurnDue;
    // The ends of the void deal still on their way must not count for the
    // new one: it waits for them.
    const std::set<DPNID> owed = ownDealStopped ? m_DistrAwaited : std::set<DPNID>();
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
    if (ownDealStopped && m_NextDealerId == LocalId() && m_Seats.Count() >= 2) {
        m_VoidDealEnds.insert(owed.begin(), owed.end());
        m_RedealDue = true;
    }
    Relayout();
    CheckBarriers();
}

bool CNetTableFlow::FromHost(DPNID sender, const netrec::PlayerOrderRecord& order) const {
    if (IsHost())
        return false;
    if (sender == m_DirectPlay.HostPlayer())
        return true;
    // A host that took over may speak before this peer learned of it: the
    // session makes the earliest member left the host. A player it still
    // seats but who has left here already (he went while the old host was
    // going, and the new host removes him in a record of his own) is no
    // longer a member to take over, nor is one whose seat it holds.
    DPNID lowest = 0;
    for (const auto& seat : order.seats)
        if (seat.player != 0 && seat.held == 0 && InSession(seat.player) &&
            (lowest == 0 || seat.player < lowest))
            lowest = seat.player;
    return sender == lowest;
}

void CNetTableFlow::ApplyDeparture(DPNID sender, const netrec::PlayerOrderRecord& order) {
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
    // A newcomer waiting for the next party ends no game by leaving: each
    // table keeps the boards it has scored (the host's may be a take behind
    // or ahead). A player's departure ends the game, and the host's boards
    // settle it for everyone.
    const bool onlyWaiting = std::all_of(gone.begin(), gone.end(), [&](DPNID id) {
        return m_Public.m_Players[LocalSeatOf(id) - 1].m_Waiting;
    });
    // The players whose seats the host keeps for the rest of the party.
    QStringList held;
    for (const auto& seat : order.seats)
        if (seat.player != 0 && seat.held != 0 && LocalSeatOf(seat.player) > 1 && !IsHeld(seat.player))
            held << SeatName(LocalSeatOf(seat.player));
    DPNID nextDealer = 0;
    QString name;
    for (DPNID id : gone) {
        name = SeatName(LocalSeatOf(id));
        nextDealer = DropSeat(id);
    }
    // The host's word on whether the game ends settles it: this table may
    // have seen that game end already, and even dealt the next.
    if (order.endsGame != 0 && !gone.empty())
        m_Interrupted = true;
    if (order.dealStart != 0 && (!m_GameOn || m_Interrupted) && LocalSeatOf(order.dealStart) != 0)
        nextDealer = order.dealStart;
    // Between games here, a newcomer's leaving changes nobody's turn to deal:
    // the record's tail is the deal start seat if the host's game still ran.
    if (onlyWaiting && !m_GameOn && m_NextDealerId != 0 && LocalSeatOf(m_NextDealerId) != 0)
        nextDealer = m_NextDealerId;
    const SeatIds kept = KeepSeatIds();
    if (ApplySeats(order, onlyWaiting ? CNetSeats::Take::NewBoards : CNetSeats::Take::AllBoards) == 0)
        return;
    RestoreSeatIds(kept);
    SetPlayerCount(m_Seats.Count());
    if (!gone.empty())
        m_View.Notice(QStringLiteral("Игрок ") + name + QStringLiteral(" вышел из игры!"), kAttention);
    for (const QString& who : held)
        NoticeHeld(who);
    if (gone.empty()) {
        Relayout();
        CheckBarriers();
        return;
    }
    AfterDeparture(nextDealer);
}

// ---- Records (strand) ----

namespace {
// Records kept to be taken later (before the table's seat, after a held
// turn): a bound on what a peer can make a table hold.
constexpr std::size_t kMostKeptRecords = 512;

// The kinds that are a player's move in the game.
bool IsMove(int id) {
    switch (id) {
    case e_GoCard:
    case e_BitaCards:
    case e_ResetCards:
    case e_NextPlayerGo:
    case e_TakeCards:
    case e_ContinueGame:
    case e_Zanta:
    case e_NewParty:
    case e_NextGame:
        return true;
    default:
        return false;
    }
}
} // namespace

void CNetTableFlow::Dispatch(const CReceivedRecord& record) {
    if (record.id < 0)
        return;
    SendKnowsIfDue();
    if (!m_ReturnedIds.empty()) {
        CReceivedRecord renamed = record;
        if (NameReturned(renamed))
            return Dispatch(renamed);
    }
    DPNID sender = record.sender;
    const int id = record.id;
    // What a newcomer knows and how a held seat is claimed pass before its
    // seat: they are how it gets one.
    if (id == e_Knows) {
        if (auto* r = record.As<netrec::KnowsRecord>())
            TakeKnows(sender, *r);
        return;
    }
    if (id == e_SeatAsk) {
        if (auto* r = record.As<netrec::SeatAskRecord>())
            AnswerSeatAsk(sender, *r);
        return;
    }
    if (id == e_SeatProof) {
        if (auto* r = record.As<netrec::SeatProofRecord>())
            TakeSeatProof(sender, *r);
        return;
    }
    qCDebug(lcNetGame) << "table" << LocalId() << "takes record" << id << "from" << sender
                       << "for" << record.heldSeat;
    m_TakingMove = IsMove(id);
    const struct MoveTaken {
        bool& taking;
        ~MoveTaken() { taking = false; }
    } moveTaken{m_TakingMove};
    // Before its seats the table keeps the game's records for the seat order
    // to sort out.
    const bool aboutTheGame = id != e_PlayerOrder && id != e_DestroyPlayer && id != e_Chat && id != e_SettingGame;
    // The shared settings too: a player may have changed them after the
    // host wrote the settings that follow the seat order.
    if (!m_Seated && (aboutTheGame || id == e_SettingGame)) {
        if (m_BeforeSeat.size() < kMostKeptRecords)
            m_BeforeSeat.push_back(record);
        return;
    }
    // A move for a held seat counts as its player's, from the table that
    // plays it.
    if (record.heldSeat != 0) {
        if (!IsMove(id) || !IsHeld(record.heldSeat) || !PlaysHeldSeats(sender))
            return Refuse(sender, "a move for a seat the sender does not play");
        sender = record.heldSeat;
    }
    // Only the seat order may come from a player the table has not seated.
    if (aboutTheGame && LocalSeatOf(sender) == 0)
        return Refuse(sender, "a record from a player without a seat");
    // What its player did after a first turn held back comes after it.
    if (m_TakingMove && m_TurnAfterDeal) {
        if (m_AfterHeldTurn.size() < kMostKeptRecords)
            m_AfterHeldTurn.push_back(record);
        return;
    }
    // A table that joined during the game learns whose turn it is from the
    // first move it sees: a card or a take comes from the player to move, a
    // refill from the one who took and names who moves, and a turn given is
    // taken as the dealer's first, as is a zanta he announces (the seat
    // order does not say whether one was due).
    if (m_GameOn && m_Public.m_Players[0].m_Waiting && IdOf(m_Public.m_CurrentPlayer) == 0) {
        if (id == e_GoCard || id == e_BitaCards || id == e_ResetCards || id == e_TakeCards) {
            m_Public.m_CurrentPlayer = LocalSeatOf(sender);
        } else if (id == e_ContinueGame) {
            if (auto* r = record.As<netrec::TurnRecord>())
                m_Public.m_CurrentPlayer = LocalSeatOf(r->player);
            m_TakerId = sender;
        } else if (id == e_NextPlayerGo || id == e_Zanta) {
            m_DealerId = sender;
            m_FirstTurnDue = true;
            m_EndDistrSent = true;
        }
    }
    switch (id) {
    case e_PlayerOrder:
        if (auto* r = record.As<netrec::PlayerOrderRecord>())
            ApplyPlayerOrder(record, *r);
        break;
    case e_DestroyPlayer:
        if (auto* r = record.As<netrec::PlayerOrderRecord>())
            ApplyDeparture(sender, *r);
        break;
    case e_NewParty:
    case e_NextGame:
        if (auto* r = record.As<netrec::PartyRecord>()) {
            try {
                ApplyParty(sender, *r);
            } catch (...) {
                Log(kErrApplyParty);
            }
        }
        break;
    case e_GoCard:
        if (auto* r = record.As<netrec::GoCardRecord>()) {
            try {
                ApplyGoCard(sender, *r);
            } catch (...) {
                Log(kErrApplyGoCard);
            }
        }
        break;
    case e_BitaCards:
    case e_ResetCards:
        if (auto* r = record.As<netrec::TableRecord>()) {
            try {
                ApplyAnswer(sender, *r);
            } catch (...) {
                Log(id == e_BitaCards ? kErrApplyBita : kErrApplyReset);
            }
        }
        break;
    case e_NextPlayerGo:
        if (auto* r = record.As<netrec::TurnRecord>())
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
        if (auto* r = record.As<netrec::TurnRecord>())
            ApplyContinue(sender, *r);
        break;
    case e_Zanta:
        if (auto* r = record.As<netrec::TurnRecord>())
            ApplyZanta(sender, *r);
        break;
    case e_EndDistr:
        CountAck(sender, false, record.endTag);
        break;
    case e_EndTake:
        CountAck(sender, true, record.endTag);
        break;
    case e_Chat:
        if (auto* r = record.As<netrec::ChatRecord>()) {
            const int seat = LocalSeatOf(r->player != 0 ? r->player : sender);
            const QString text = Cp1251ToUnicode(r->text);
            if (seat >= 2)
                m_View.ShowChatLine(seat, text);
        }
        break;
    case e_SettingGame:
        // The shared settings come from the players of the party (and the
        // host, who sends them to a newcomer), not from one who sits out.
        if (!PlaysHere(sender) && sender != m_DirectPlay.HostPlayer())
            return Refuse(sender, "settings from a player who does not play");
        if (auto* r = record.As<netrec::SettingRecord>())
            ApplySettings(sender, *r);
        break;
    default:
        Refuse(sender, "a record of no kind");
        break;
    }
}

int CNetTableFlow::ApplySeats(const netrec::PlayerOrderRecord& order, CNetSeats::Take take) {
    const QString own = SeatName(1);
    const int seated = m_Seats.Apply(order, LocalId(), take);
    if (seated == 0)
        return 0;
    // The host wrote the names it knew when it sent the order: a player
    // renamed while it was on its way keeps his new name, which the session
    // has told this table, and this table knows its own best.
    if (!own.isEmpty() && SeatName(1) != own)
        m_Public.m_Players[0].SetName(own);
    for (int s = 2; s <= CPublic::kMaxPlayers; ++s) {
        PeerInfo info;
        // A held seat's name is the host's, as the record has it.
        if (IdOf(s) == 0 || IsHeld(IdOf(s)) || m_DirectPlay.GetPeerInfo(IdOf(s), info) != S_OK ||
            info.name.isEmpty())
            continue;
        // As a seat record carries it.
        const QString name = Cp1251ToUnicode(Cp1251Field(info.name, netrec::kNameBytes));
        if (SeatName(s) != name)
            m_Public.m_Players[s - 1].SetName(name);
    }
    return seated;
}

void CNetTableFlow::TakeRecordsAfter(const CReceivedRecord& seatOrder) {
    // What the host had taken of each sender when it wrote the seat order is
    // in the table it carries; what came after is not.
    std::map<DPNID, std::uint32_t> taken(seatOrder.after.begin(), seatOrder.after.end());
    taken[seatOrder.sender] = seatOrder.seq;
    const std::vector<CReceivedRecord> kept = std::move(m_BeforeSeat);
    m_BeforeSeat.clear();
    for (const CReceivedRecord& r : kept) {
        const auto it = taken.find(r.sender);
        if (it == taken.end() || r.seq > it->second)
            Dispatch(r);
    }
}

void CNetTableFlow::ApplyPlayerOrder(const CReceivedRecord& record, const netrec::PlayerOrderRecord& order) {
    const DPNID sender = record.sender;
    if (!FromHost(sender, order))
        return Refuse(sender, "seat order from a peer that is not the host");
    const DPNID local = LocalId();
    // A held seat given back: its player's new id takes it here first, so
    // that the order's seats are this table's own.
    const bool returns = order.returnedFrom != 0 && order.returnedTo != local;
    if (returns && IsHeld(order.returnedFrom) && LocalSeatOf(order.returnedTo) == 0)
        GiveSeatBack(order.returnedFrom, order.returnedTo);
    if (returns) {
        m_ReturnedIds[order.returnedFrom] = order.returnedTo;
        m_LastReturn = {order.returnedFrom, order.returnedTo};
    }
    const auto own = std::find_if(order.seats.begin(), order.seats.end(),
                                  [&](const netrec::SeatRecord& s) { return s.player == local; });
    if (own == order.seats.end())
        return; // not seated yet
    // A newcomer takes the whole table, once; the others only the seats. A
    // newcomer still waiting for the next party has played every record
    // since on its own table: a later seat order (for the next newcomer)
    // is a snapshot behind some of them, and would undo them.
    const bool full = !m_Seated;
    std::vector<DPNID> seatedBefore;
    for (int s = 1; s <= m_Seats.Count(); ++s)
        seatedBefore.push_back(IdOf(s));
    try {
        const SeatIds kept = KeepSeatIds();
        if (ApplySeats(order, full ? CNetSeats::Take::Everything : CNetSeats::Take::NewBoards) == 0)
            return;
        if (!full)
            RestoreSeatIds(kept);
    } catch (...) {
        Log(full ? kErrPlayerOrderLate : kErrPlayerOrder);
        return;
    }
    const bool wasSeated = m_Seated;
    m_Seated = true;
    SetPlayerCount(m_Seats.Count());
    // The host seated a newcomer to play between its games; here the game
    // had begun already, and its dealer dealt to him only if he knew him.
    if (full)
        m_DealtIds.clear();
    else if (m_GameOn)
        SitOutUndealt(seatedBefore);
    m_JustSeated = full;
    if (full) {
        // The kind of the party it joins, before any move it plays.
        const bool to31 = order.kind == netrec::PlayerOrderRecord::To31Points;
        if (order.kind != netrec::PlayerOrderRecord::KindNotSaid && to31 != m_Public.m_Game31)
            ApplyGameKind(to31, sender, true);
        const bool dealt = !m_Public.m_Pack.IsPackFull();
        // Back in his own seat: the game goes on where it stands.
        const bool back = order.returnedTo == local && order.returnedFrom != 0;
        m_GameOn = dealt && (own->waitsNextParty != 0 || (back && order.current != 0));
        m_DealStartSeat = m_GameOn ? m_Seats.SeatOfDealStart(order) : 0;
        if (!m_GameOn)
            m_NextDealerId = order.dealStart != 0 ? order.dealStart : order.seats[0].player;
        m_NextIsNewParty = m_GameOn || m_Public.m_NumberGame == 0;
        if (back) {
            m_ReturnedIds[order.returnedFrom] = local;
            m_LastReturn = {order.returnedFrom, local};
            m_BackUnawaited = true;
            m_Public.m_NumberGame = static_cast<int>(std::min<std::uint32_t>(order.game, 9999));
        }
        if (back)
            m_View.Notice(QStringLiteral("Вы снова в игре, на своем месте!"), kAttention);
        // Seated between games: a move that comes before the next deal is
        // of a game the host had ended or stopped when it wrote the order.
        if (!m_GameOn)
            m_GameStopped = true;
        m_Public.m_MoveBlocked = true;
        if (back && m_GameOn) {
            for (int s = 1; s <= m_Seats.Count(); ++s)
                if (!m_Public.m_Players[s - 1].m_Out)
                    m_DealtIds.push_back(IdOf(s));
            m_NextIsNewParty = false;
            m_Public.m_CurrentPlayer = LocalSeatOf(order.current);
        } else if (m_GameOn) {
            // Whose turn it is the record does not say: the first move seen tells.
            m_Public.m_CurrentPlayer = 0;
        }
    } else if (!m_GameOn && m_NextDealerId == 0 && order.dealStart != 0) {
        // A seated table knows the next dealer from its own game's end; the
        // record's tail is the deal start seat if the host's game still ran
        // when it wrote it (a take behind this table).
        m_NextDealerId = order.dealStart;
    }
    Relayout();
    if (full && m_GameOn && !m_Public.m_Players[0].m_Out)
        AnnounceTurn(false);
    else if (m_GameOn && m_Public.m_Players[0].m_Waiting)
        Message(QStringLiteral("Ждите начала новой партии!"));
    else if (!m_GameOn)
        AnnounceDealer();
    CheckBarriers();
    if (!wasSeated)
        TakeRecordsAfter(record);
}
