// The network table's flow: seats kept for players who left during a party.
// The host's table plays such a seat with the computer strategy until the
// party ends, sending its moves as that seat's; every table takes them from
// the host (or from its successor, who may have seen the host go first).

#include "NetTableFlow.h"
#include "PlayNetSteps.h"

#include "Card.h"
#include "Cp1251.h"

using namespace playnet;

namespace {
// How long the computer thinks over a held seat's move.
constexpr UINT kHeldSeatPauseMs = 700;
} // namespace

bool CNetTableFlow::IsHeld(DPNID player) const {
    const int seat = LocalSeatOf(player);
    return seat != 0 && m_Public.m_Players[seat - 1].IsHeld();
}

bool CNetTableFlow::ActsFor(DPNID player) const {
    return player != 0 && (player == LocalId() || (IsHeld(player) && IsHost()));
}

bool CNetTableFlow::PlaysHeldSeats(DPNID sender) const {
    const DPNID host = m_DirectPlay.HostPlayer();
    if (sender == host)
        return true;
    // The session makes the earliest member left the host.
    DPNID successor = 0;
    for (int s = 1; s <= CPublic::kMaxPlayers; ++s) {
        const DPNID id = IdOf(s);
        if (id != 0 && id != host && !IsHeld(id) && InSession(id) && (successor == 0 || id < successor))
            successor = id;
    }
    return sender == successor;
}

bool CNetTableFlow::HoldSeat(DPNID departed) {
    CPublic& t = m_Public;
    const int seat = LocalSeatOf(departed);
    // A player of a party under way: not one waiting for the next party,
    // and not between parties.
    if (!m_HoldSeats || !IsHost() || seat <= 1 || IsHeld(departed) || t.m_Players[seat - 1].m_Out ||
        t.m_NumberGame == 0 || m_NextIsNewParty)
        return false;
    CPlayer& p = t.m_Players[seat - 1];
    // A rename he made just before he left may have reached some tables and
    // not others: every table takes the name this one has from the record.
    const QString name = p.Name();
    p.SetHeld(true);
    netrec::PlayerOrderRecord order = m_Seats.Build(m_GameOn ? IdOf(m_DealStartSeat) : m_NextDealerId);
    order.id = e_DestroyPlayer;
    order.kind = t.m_Game31 ? netrec::PlayerOrderRecord::To31Points : netrec::PlayerOrderRecord::To12Balls;
    Send(netrec::Build(order));
    m_View.Notice(QStringLiteral("Игрок ") + name +
                      QStringLiteral(" вышел из игры! До конца партии за него играет компьютер."),
                  kAttention);
    Relayout();
    CheckBarriers();
    return true;
}

void CNetTableFlow::FreeHeldSeats() {
    if (!IsHost())
        return;
    for (DPNID id : OtherSeated())
        if (IsHeld(id))
            RemoveSeat(id, {});
}

void CNetTableFlow::ArmHeldSeat() {
    if (!IsHost() || m_Stopped || m_Clock.IsArmed(TIMER_HELD_SEAT))
        return;
    const CPublic& t = m_Public;
    const bool deals = !m_GameOn && !m_DealPending && !m_RedealDue && IsHeld(m_NextDealerId);
    const bool firstTurn = m_GameOn && m_FirstTurnDue && !m_DealPending && !m_Dealer &&
                           m_ZantaHolderId == 0 && IsHeld(m_DealerId);
    const bool refills = m_GameOn && !m_DealPending && !m_TakePending && IsHeld(m_TakerId) &&
                         !m_Clock.IsArmed(TIMER_CONTINUE);
    const bool moves = m_GameOn && !m_DealPending && !m_FirstTurnDue && m_TakerId == 0 &&
                       IsHeld(IdOf(t.m_CurrentPlayer));
    if (deals || firstTurn || refills || moves)
        Arm(TIMER_HELD_SEAT, kHeldSeatPauseMs);
}

void CNetTableFlow::PlayHeldSeat() {
    CPublic& t = m_Public;
    if (!IsHost())
        return;
    if (!m_GameOn && !m_DealPending && !m_RedealDue && IsHeld(m_NextDealerId)) {
        if (m_Seats.Count() >= 2)
            StartDeal(false);
        return;
    }
    if (!m_GameOn || m_DealPending)
        return;
    if (m_FirstTurnDue) {
        // The held dealer's deal, which his own table would have ended with
        // the first turn: every table has ended it.
        if (!m_Dealer && m_ZantaHolderId == 0 && IsHeld(m_DealerId)) {
            m_Dealer = true;
            AfterDeal();
        }
        return;
    }
    if (m_TakerId != 0) {
        if (!m_TakePending && IsHeld(m_TakerId))
            ContinueAfterTake();
        return;
    }
    const int seat = t.m_CurrentPlayer;
    if (IsHeld(IdOf(seat)))
        HeldSeatMove(seat);
}

bool CNetTableFlow::HeldSeatMove(int seat) {
    CPublic& t = m_Public;
    const DPNID id = IdOf(seat);
    if (t.CheckCircleCompletion()) {
        TakeTable(id, true);
        return true;
    }
    const int mine = t.GetNumberCardsPlayerOnTable(seat);
    const int onTable = t.GetNumberCardsOnTable();
    // Done his part already (he left after it, or the host before): the
    // turn passes on.
    if ((mine > 0 && mine == onTable && !t.IsCardsTableReset(seat)) ||
        (mine > 0 && t.CheckCompletionPlayer(seat))) {
        Further(seat);
        return true;
    }
    if (onTable == 0) {
        const std::vector<CCard*> lead = m_Computer.ChooseLead(seat);
        for (CCard* card : lead) {
            netrec::GoCardRecord r;
            r.mast = static_cast<BYTE>(card->m_Mast);
            r.value = static_cast<BYTE>(card->m_Value);
            r.player = id;
            SendAs(id, netrec::Build(r));
            m_Moves.LeadCard(seat, card);
        }
        Further(seat);
        return !lead.empty();
    }
    // The strategy picks the cards; each covers what the table's rules give
    // it, as any player's answer does.
    std::vector<CCard*> cards;
    if (const auto beats = m_Computer.ChooseBeats(seat)) {
        for (const auto& [card, target] : *beats)
            cards.push_back(card);
    }
    if (cards.empty())
        cards = m_Computer.ChooseThrow(seat);
    for (CCard* card : cards) {
        if (t.CheckCompletionPlayer(seat) || card->m_Place != e_Hand)
            break;
        Answer(seat, card);
    }
    // A hand too short to answer every card led throws what it has.
    if (!t.CheckCompletionPlayer(seat))
        for (CCard* card : t.m_Pack.m_Cards)
            if (card->m_Place == e_Hand && card->m_Player == seat && !t.CheckCompletionPlayer(seat))
                Answer(seat, card);
    if (!t.CheckCircleCompletion())
        Further(seat);
    return true;
}
