// The network table's flow: the game itself from the deal to its end.

#include "NetTableFlow.h"
#include "PlayNetSteps.h"

#include "Card.h"

#include <algorithm>

using namespace playnet;

// ---- Starting a game ----

void CNetTableFlow::StartDeal(bool newParty) {
    CPublic& t = m_Public;
    const DPNID dealer = m_NextDealerId;
    // One dealer at a time: the peer whose turn it is, between games (or
    // the host for a held seat whose turn it is).
    if (LocalId() == 0 || !ActsFor(dealer) || m_GameOn || m_DealPending || m_RedealDue)
        return;
    if (m_Seats.Count() < 2) {
        m_View.Notice(QStringLiteral("Игру начать нельзя! В игре только один игрок!"), kAttention);
        return;
    }
    // The host keeps the session's door; another dealer's word on it would
    // be refused by every member.
    if (m_LockAddPlayers && IsHost())
        m_DirectPlay.SetMaxPlayers(m_Seats.Count());
    newParty = newParty || m_NextIsNewParty;
    if (newParty)
        ResetParty();
    m_NextDealerId = 0;
    char masts[netrec::kCards];
    char values[netrec::kCards];
    m_Moves.StartGame(masts, values);
    // The player after the dealer is served first.
    t.m_CurrentPlayer = LocalSeatOf(dealer);
    t.NextPlayer(&t.m_CurrentPlayer, nullptr);
    netrec::PartyRecord r;
    r.id = newParty ? e_NewParty : e_NextGame;
    std::copy(std::begin(masts), std::end(masts), reinterpret_cast<char*>(r.masts.data()));
    std::copy(std::begin(values), std::end(values), reinterpret_cast<char*>(r.values.data()));
    r.firstPlayer = IdOf(t.m_CurrentPlayer);
    r.stars = static_cast<std::uint16_t>(m_NumberStars.load());
    m_DealtIds.clear();
    for (int s = 1; s <= m_Seats.Count(); ++s)
        if (IdOf(s) != 0 && !t.m_Players[s - 1].m_Out && m_DealtIds.size() < r.dealt.size()) {
            r.dealt[m_DealtIds.size()] = IdOf(s);
            m_DealtIds.push_back(IdOf(s));
        }
    SendAs(dealer, netrec::Build(r));
    m_DealerId = dealer;
    Announce(QStringLiteral("Игра №") + QString::number(t.m_NumberGame), 1);
    Deal(true);
}

void CNetTableFlow::ApplyParty(DPNID sender, const netrec::PartyRecord& r) {
    CPublic& t = m_Public;
    // A deal that crossed a departure: its dealer saw the departure after
    // dealing and stopped it, this table saw the departure first and dealt
    // without the departed. The dealer's new party replaces the void deal
    // as long as nobody has played in it.
    // A newcomer seated during that deal knows neither its dealer nor a
    // move of it: it takes the new party as the others do.
    const bool seatedInVoidDeal = m_Public.m_Players[0].m_Waiting && m_DealerId == 0 &&
                                  IdOf(m_Public.m_CurrentPlayer) == 0 && LocalSeatOf(sender) != 0;
    if (r.id == e_NewParty && m_GameOn && ((m_FirstTurnDue && !m_Dealer && sender == m_DealerId) || seatedInVoidDeal)) {
        StopGame();
        GatherCards();
        m_NextDealerId = sender;
    }
    if (sender != m_NextDealerId || m_DealPending) {
        Refuse(sender, "a deal out of turn");
        // Nobody waits for this table because of a deal it refused. A table
        // still in a deal of its own reports that one's end when it is over:
        // reporting now would give the first turn while it still deals.
        if (m_EndDistrSent)
            Send(netrec::BuildEnd(e_EndDistr, PartyTag(sender, r)));
        return;
    }
    const bool newParty = r.id == e_NewParty;
    if (newParty && r.stars != 0)
        TakeStars(r.stars);
    if (newParty)
        ResetParty();
    if (!m_Moves.StartGameAs(reinterpret_cast<const char*>(r.masts.data()),
                             reinterpret_cast<const char*>(r.values.data()))) {
        Refuse(sender, "a shuffle that is no order of the deck");
        if (m_EndDistrSent)
            Send(netrec::BuildEnd(e_EndDistr, PartyTag(sender, r)));
        return;
    }
    m_NextDealerId = 0;
    const std::vector<DPNID> dealtBefore = std::exchange(m_DealtIds, {});
    for (DPNID id : r.dealt)
        if (id != 0)
            m_DealtIds.push_back(id);
    SitOutUndealt(dealtBefore);
    const int first = LocalSeatOf(r.firstPlayer);
    t.m_CurrentPlayer = first != 0 ? first : LocalSeatOf(sender);
    m_DealerId = sender;
    Announce(QStringLiteral("Игра №") + QString::number(t.m_NumberGame), 1);
    Deal(false);
}

void CNetTableFlow::SitOutUndealt(const std::vector<DPNID>& dealtBefore) {
    if (m_DealtIds.empty())
        return;
    const auto has = [](const std::vector<DPNID>& ids, DPNID id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    // Only a newcomer: a player dealt in last time stays in whatever a
    // dealer says.
    for (int s = 1; s <= m_Seats.Count(); ++s) {
        CPlayer& p = m_Public.m_Players[s - 1];
        const DPNID id = IdOf(s);
        if (id == 0 || p.m_Out || has(m_DealtIds, id) || has(dealtBefore, id))
            continue;
        p.m_Out = true;
        p.m_Waiting = true;
    }
}

void CNetTableFlow::ResetParty() {
    CPublic& t = m_Public;
    for (int s = 1; s <= CPublic::kMaxPlayers; ++s) {
        t.m_Players[s - 1].m_Waiting = false;
        t.m_Players[s - 1].m_Out = false;
        // The points of a game the new party stops count for nothing: the
        // tables stopped it at different moves of it.
        t.m_Players[s - 1].ResetScores();
    }
    m_Moves.ResetParty(m_NumberStars);
    m_NextIsNewParty = false;
    m_GameOn = false;
}

// ---- Dealing and its barrier ----

// The tags that tell one deal or take from another on every table alike: who
// deals and the order of the pack he deals from (a new party's shuffle as
// its record gives it), who takes and which cards.
namespace {
std::uint32_t Mix(std::uint32_t h, std::uint32_t v) { return (h ^ v) * 16777619u; }
} // namespace

std::uint32_t CNetTableFlow::DealTag(DPNID dealer) const {
    std::uint32_t h = Mix(2166136261u, dealer);
    for (const CCard* c : m_Public.m_Pack.m_Cards)
        if (c->m_Place == e_Pack)
            h = Mix(h, static_cast<std::uint32_t>(c->m_Mast * 64 + c->m_Value));
    return h;
}

std::uint32_t CNetTableFlow::PartyTag(DPNID dealer, const netrec::PartyRecord& r) {
    std::uint32_t h = Mix(2166136261u, dealer);
    for (size_t i = 0; i < r.masts.size(); ++i)
        h = Mix(h, static_cast<std::uint32_t>(r.masts[i] * 64 + r.values[i]));
    return h;
}

std::uint32_t CNetTableFlow::TakeTag(DPNID taker) const {
    std::vector<std::uint32_t> cards;
    for (const CCard* c : m_Public.m_Pack.m_Cards)
        if (c->m_Place == e_Going || c->m_Place == e_Reset)
            cards.push_back(static_cast<std::uint32_t>(c->m_Mast * 64 + c->m_Value));
    std::sort(cards.begin(), cards.end());
    std::uint32_t h = Mix(2166136261u, taker);
    for (std::uint32_t v : cards)
        h = Mix(h, v);
    return h;
}

void CNetTableFlow::Deal(bool dealer) {
    CPublic& t = m_Public;
    try {
        if (t.m_Players[0].m_Out)
            Message(QStringLiteral("Ждите начала новой партии!"));
        m_DealPending = true;
        m_GameStopped = false;
        m_TakerId = 0; // a refill due is dealt now, or a new game is
        m_TurnAfterDeal.reset();
        m_DistrAwaited = OtherAwaited();
        m_EndDistrSent = false;
        m_FirstTurnDue = true;
        Arm(TIMER_END_DISTR, kBarrierPollMs);
        const int n = std::max(t.m_NumberPlayers, 1);
        m_DealStartSeat = t.m_CurrentPlayer - 1 < 1 ? n : t.m_CurrentPlayer - 1;
        t.m_MoveBlocked = true;
        m_Dealer = dealer;
        m_DealTag = DealTag(m_DealerId);
        ShowButton(QString(), false);
        m_GameOn = true;
        m_Moves.DistrCards(t.m_CurrentPlayer);
    } catch (...) {
        Log(kErrDeal);
    }
    CheckBarriers();
}

void CNetTableFlow::SendEndOf(bool take) {
    bool& sent = take ? m_EndTakeSent : m_EndDistrSent;
    if (sent)
        return;
    sent = true;
    Send(netrec::BuildEnd(take ? e_EndTake : e_EndDistr, take ? m_TakeTag : m_DealTag));
    if (!take && std::exchange(m_BackUnawaited, false) && !m_DealPending)
        ApplyTurnAfterDeal();
    WatchBarrier();
}

void CNetTableFlow::ApplyTurnAfterDeal() {
    if (!m_TurnAfterDeal)
        return;
    const auto [dealer, turn] = *m_TurnAfterDeal;
    m_TurnAfterDeal.reset();
    ApplyTurn(dealer, turn);
}

void CNetTableFlow::CountAck(DPNID sender, bool take, std::optional<std::uint32_t> tag) {
    std::set<DPNID>& owed = take ? m_VoidTakeEnds : m_VoidDealEnds;
    if (tag) {
        // It names what it ends: an end of anything but the deal or take
        // this table waits for (one stopped, one this table never took)
        // counts for nothing, and the table that sent it owes no other.
        owed.erase(sender);
        const bool current = take ? m_TakePending && *tag == m_TakeTag
                                  : m_DealPending && *tag == m_DealTag;
        if (!current) {
            CheckBarriers();
            return;
        }
    } else if (owed.erase(sender) != 0) {
        // An end without a tag: a table reports in order, so the end of a
        // stopped deal or take it still owed comes before any end of the
        // next one, and counts for nothing.
        CheckBarriers();
        return;
    }
    if (take) {
        if (m_TakePending)
            m_TakeAwaited.erase(sender);
    } else if (m_DealPending) {
        m_DistrAwaited.erase(sender);
    }
    CheckBarriers();
}

void CNetTableFlow::CheckBarriers() {
    // A peer that has left is waited for no more, whether it acknowledged or not.
    for (auto* awaited : {&m_DistrAwaited, &m_TakeAwaited, &m_VoidDealEnds, &m_VoidTakeEnds})
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
        } else {
            ApplyTurnAfterDeal();
        }
    }
    if (!m_TurnAfterDeal && !m_AfterHeldTurn.empty()) {
        // In a step of their own, ahead of every record still to come.
        Step(kErrDispatch, [this, held = std::exchange(m_AfterHeldTurn, {})] {
            for (const CReceivedRecord& r : held)
                Dispatch(r);
        });
    }
    if (m_RedealDue && m_VoidDealEnds.empty()) {
        // A deal stopped by a departure is dealt again once every table
        // has ended the void one.
        m_RedealDue = false;
        StartDeal(true);
    }
    if (IsHost() && !m_Joiners.empty() && !m_DealPending && !m_TakePending)
        Arm(TIMER_SEAT, 0);
    WatchBarrier();
}

// A table that never reports the end of its deal or take would hold up all
// the others for good: when it alone is missing for longer than any honest
// table takes, the host (or, for the host, its successor) declares it departed.
void CNetTableFlow::WatchBarrier() {
    DPNID laggard = 0;
    const bool take = m_TakePending;
    if (m_DealPending || m_TakePending) {
        std::set<DPNID> awaited = take ? m_TakeAwaited : m_DistrAwaited;
        // The dealer reports last, once every other table has: while
        // another is missing, the dealer is not.
        if (!take && awaited.size() > 1)
            awaited.erase(m_DealerId);
        const bool ownSent = take ? m_EndTakeSent : (m_EndDistrSent || m_Dealer);
        if (awaited.size() == 1 && ownSent)
            laggard = *awaited.begin();
    } else if (m_RedealDue && m_VoidDealEnds.size() == 1) {
        laggard = *m_VoidDealEnds.begin();
    }
    if (laggard == 0 || laggard != m_Laggard) {
        m_Laggard = laggard;
        m_LaggardSinceMs = m_Clock.NowMs();
    }
    if (laggard == 0) {
        Disarm(TIMER_BARRIER_WATCH);
        return;
    }
    if (m_Clock.NowMs() - m_LaggardSinceMs < BarrierBoundMs()) {
        Arm(TIMER_BARRIER_WATCH, kBarrierWatchMs);
        return;
    }
    m_Laggard = 0;
    m_DirectPlay.Expel(laggard);
}

int CNetTableFlow::BarrierBoundMs() const {
    const int bound = m_BarrierBoundMs.load();
    return bound > 0 ? bound : kBarrierBoundMs;
}

void CNetTableFlow::AfterDeal() {
    CPublic& t = m_Public;
    int holder = t.m_CurrentPlayer;
    if (t.IsZanta(&holder)) {
        t.m_CurrentPlayer = holder;
        SendTurnRecord(e_Zanta, IdOf(holder), false, m_DealerId);
        Announce(QStringLiteral("Внимание занта!"), 1);
        // By player, not seat: a seat order may come before his turn.
        m_ZantaHolderId = IdOf(holder);
        Arm(TIMER_ZANTA, 2000);
        return;
    }
    PassTurn(t.m_CurrentPlayer, false);
}

void CNetTableFlow::ApplyZanta(DPNID sender, const netrec::TurnRecord& r) {
    DealerDone(sender);
    if (sender != m_DealerId || !m_FirstTurnDue)
        return Refuse(sender, "a zanta from a peer that did not deal");
    (void)r;
    Announce(QStringLiteral("Внимание занта!"), 1);
}

// ---- Turns ----

void CNetTableFlow::PassTurn(int seat, bool zanta) {
    CPublic& t = m_Public;
    if (seat < 1 || IdOf(seat) == 0)
        return;
    // The dealer gives the first turn, the player who moved every other.
    const DPNID from = m_FirstTurnDue ? m_DealerId : IdOf(t.m_CurrentPlayer);
    t.m_CurrentPlayer = seat;
    m_FirstTurnDue = false;
    SendTurnRecord(e_NextPlayerGo, IdOf(seat), zanta, from);
    AnnounceTurn(zanta);
}

void CNetTableFlow::RefuseEnded(DPNID sender, bool take, const char* what) {
    Refuse(sender, what);
    // The tables that took it wait for this one's end as well: it ends at
    // once, named as they name it. A table in a deal or take of its own
    // reports that one when it is over.
    if (take && m_EndTakeSent)
        Send(netrec::BuildEnd(e_EndTake, TakeTag(sender)));
    else if (!take && m_EndDistrSent)
        Send(netrec::BuildEnd(e_EndDistr, DealTag(sender)));
}

void CNetTableFlow::DealerDone(DPNID sender) {
    // Whatever the dealer speaks after his deal comes after his deal's end.
    if (m_DealPending && sender == m_DealerId) {
        m_DistrAwaited.erase(sender);
        CheckBarriers();
    }
}

void CNetTableFlow::ApplyTurn(DPNID sender, const netrec::TurnRecord& r) {
    CPublic& t = m_Public;
    // The dealer gives the first turn once every table has reported the end
    // of its deal: never while this one still owes its own (unless it waits
    // for the next party, and nobody awaits its end).
    if (m_FirstTurnDue && sender == m_DealerId && !m_EndDistrSent && !m_Public.m_Players[0].m_Waiting) {
        // Back in a held seat while a deal crossed the return: its dealer
        // did not wait for this table, which takes his turn once it has
        // dealt too.
        if (m_BackUnawaited && !m_TurnAfterDeal) {
            m_TurnAfterDeal = std::pair(sender, r);
            return;
        }
        return Refuse(sender, "a turn out of turn");
    }
    // Every end the dealer had counted comes here before his turn: one still
    // awaited is of a table he saw depart, and this one will see it too.
    if (m_DealPending && m_FirstTurnDue && sender == m_DealerId && !m_TurnAfterDeal) {
        m_DistrAwaited.erase(sender);
        if (!m_DistrAwaited.empty()) {
            m_TurnAfterDeal = std::pair(sender, r);
            return;
        }
    }
    DealerDone(sender);
    const int seat = LocalSeatOf(r.player);
    const bool fromCurrent = sender == IdOf(t.m_CurrentPlayer) && !m_FirstTurnDue;
    const bool fromDealer = sender == m_DealerId && m_FirstTurnDue;
    if (!m_GameOn || m_DealPending || seat == 0 || t.m_Players[seat - 1].m_Out ||
        !(fromCurrent || fromDealer))
        return Refuse(sender, "a turn out of turn");
    if (fromCurrent && !fromDealer) {
        // The turn passes once its player has done his part, as at the local
        // table: led, or answered every card led (an empty table counts as
        // neither); once the circle is closed the take comes instead.
        const int mine = t.GetNumberCardsPlayerOnTable(t.m_CurrentPlayer);
        const bool led = mine > 0 && mine == t.GetNumberCardsOnTable();
        const bool answered = mine > 0 && t.CheckCompletionPlayer(t.m_CurrentPlayer);
        if (!(led || answered) || t.CheckCircleCompletion())
            return Refuse(sender, "a turn passed too early");
    }
    t.m_CurrentPlayer = seat;
    m_FirstTurnDue = false;
    AnnounceTurn(r.afterZanta != 0);
}

void CNetTableFlow::AnnounceTurn(bool zanta) {
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

void CNetTableFlow::PlayZanta(int holder) {
    m_Moves.ShowZanta(holder, true);
    EndGame(holder);
}

// ---- The local player's moves ----

void CNetTableFlow::LocalCard(CCard* card) {
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
        Answer(1, card);
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

void CNetTableFlow::Answer(int seat, CCard* card) {
    CPublic& t = m_Public;
    const DPNID as = IdOf(seat);
    netrec::TableRecord r;
    r.mast = static_cast<BYTE>(card->m_Mast);
    r.value = static_cast<BYTE>(card->m_Value);
    r.column = card->m_IndexX;
    if (CCard* target = m_Moves.AnswerTarget(seat, card)) {
        r.id = e_BitaCards;
        r.beatenMast = static_cast<BYTE>(target->m_Mast);
        r.beatenValue = static_cast<BYTE>(target->m_Value);
        SendAs(as, netrec::Build(r));
        m_Moves.AnswerCard(seat, card);
        return;
    }
    r.id = e_ResetCards;
    const bool throwingAlready = t.IsCardsTableReset(seat);
    SendAs(as, netrec::Build(r));
    if (!throwingAlready) {
        // A failed beat throws the cards beaten with so far, each on its own record.
        for (CCard* c : t.m_Pack.m_Cards) {
            if (c->m_Place != e_Going || c->m_Player != seat)
                continue;
            netrec::TableRecord more;
            more.id = e_ResetCards;
            more.mast = static_cast<BYTE>(c->m_Mast);
            more.value = static_cast<BYTE>(c->m_Value);
            more.column = c->m_IndexX;
            SendAs(as, netrec::Build(more));
        }
    }
    m_Moves.AnswerCard(seat, card);
}

void CNetTableFlow::LocalFurther() {
    if (m_Public.m_CurrentPlayer != 1)
        return;
    Further(1);
}

void CNetTableFlow::Further(int seat) {
    CPublic& t = m_Public;
    if (!m_GameOn || t.m_CurrentPlayer != seat || m_FirstTurnDue)
        return;
    const bool led = t.GetNumberCardsPlayerOnTable(seat) > 0 &&
                     t.GetNumberCardsOnTable() == t.GetNumberCardsPlayerOnTable(seat);
    if (!led && !t.CheckCompletionPlayer(seat))
        return;
    if (t.CheckCircleCompletion())
        return; // the circle is closed: the take comes next
    if (seat == 1) {
        ShowButton(QString(), false);
        t.m_MoveBlocked = true;
    }
    int next = seat;
    t.NextPlayer(&next, nullptr);
    PassTurn(next, false);
}

// ---- The other players' moves ----

CCard* CNetTableFlow::FindCard(int mast, int value) const {
    for (CCard* c : m_Public.m_Pack.m_Cards)
        if (c->m_Mast == mast && c->m_Value == value)
            return c;
    return nullptr;
}

bool CNetTableFlow::IsTurnOf(DPNID sender) const {
    const CPublic& t = m_Public;
    return m_GameOn && !m_DealPending && !m_FirstTurnDue && sender != 0 &&
           sender == IdOf(t.m_CurrentPlayer) && t.m_CurrentPlayer != 1;
}

void CNetTableFlow::ApplyGoCard(DPNID sender, const netrec::GoCardRecord& r) {
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

void CNetTableFlow::ApplyAnswer(DPNID sender, const netrec::TableRecord& r) {
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
    // A whole answer takes no further card (it would be thrown with the
    // whole answer, which could then never be complete).
    if (t.CheckCompletionPlayer(seat))
        return Refuse(sender, "an answer of more cards than were led");
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

void CNetTableFlow::TakeTable(DPNID taker, bool local) {
    CPublic& t = m_Public;
    if (!m_GameOn || m_DealPending)
        return local ? void() : RefuseEnded(taker, true, "a take while none is due");
    if (taker != IdOf(t.m_CurrentPlayer) || !t.CheckCircleCompletion())
        return local ? void() : RefuseEnded(taker, true, "a take before the circle is closed");
    if (local && !ActsFor(taker))
        return;
    Disarm(TIMER_AUTO_TAKE);
    if (local) {
        if (taker == LocalId())
            ShowButton(QString(), false);
        SendAs(taker, netrec::BuildSignal(e_TakeCards));
    }
    m_TakerId = taker;
    m_TakeTag = TakeTag(taker);
    t.m_LabelMessage.Show(false);
    m_TakePending = true;
    m_TakeAwaited = OtherAwaited();
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

void CNetTableFlow::ContinueAfterTake() {
    CPublic& t = m_Public;
    const DPNID taker = m_TakerId;
    if (!m_GameOn || !ActsFor(taker) || m_DealPending)
        return;
    m_TakerId = 0; // one refill per take
    SendTurnRecord(e_ContinueGame, IdOf(t.m_CurrentPlayer), false, taker);
    m_DealerId = taker;
    Deal(true);
}

void CNetTableFlow::ApplyContinue(DPNID sender, const netrec::TurnRecord& r) {
    CPublic& t = m_Public;
    const int seat = LocalSeatOf(r.player);
    if (!m_GameOn || m_DealPending || sender != m_TakerId || seat == 0 || seat != t.m_CurrentPlayer)
        return RefuseEnded(sender, false, "a refill out of turn");
    // One refill per take: a second one would deal on this table alone and
    // hold the others at a barrier nobody else entered.
    m_TakerId = 0;
    m_DealerId = sender;
    Deal(false);
}

// ---- The end of a game ----

void CNetTableFlow::EndGame(int winner) {
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
    if (m_NextIsNewParty)
        FreeHeldSeats();
}

void CNetTableFlow::StopGame() {
    // The end of a deal or a take this table still owes goes out now: a
    // table that did not see this game stop may still be waiting for it.
    SendEndOf(false);
    SendEndOf(true);
    for (UINT id : {TIMER_AUTO_TAKE, TIMER_ZANTA, TIMER_CONTINUE, TIMER_END_DISTR, TIMER_END_TAKE,
                    TIMER_BARRIER_WATCH})
        Disarm(id);
    // Every table stops this game as well and sends the ends it owes: those
    // still to come here are no ends of whatever comes next.
    if (m_DealPending)
        m_VoidDealEnds.insert(m_DistrAwaited.begin(), m_DistrAwaited.end());
    if (m_TakePending)
        m_VoidTakeEnds.insert(m_TakeAwaited.begin(), m_TakeAwaited.end());
    m_GameStopped = m_GameStopped || m_GameOn;
    m_TurnAfterDeal.reset();
    m_GameOn = false;
    m_DealPending = false;
    m_TakePending = false;
    m_FirstTurnDue = false;
    m_DistrAwaited.clear();
    m_TakeAwaited.clear();
    m_ZantaHolderId = 0;
    m_Public.m_MoveBlocked = true;
}

void CNetTableFlow::GatherCards() {
    CPublic::MoveScope scope(m_Public);
    m_Public.m_Pack.CardsToPack(true);
}

