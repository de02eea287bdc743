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
    order.kind = PartyKind();
    Send(netrec::Build(order));
    NoticeHeld(name);
    Relayout();
    CheckBarriers();
    return true;
}

void CNetTableFlow::NoticeHeld(const QString& name) {
    m_View.Notice(QStringLiteral("Игрок ") + name +
                      QStringLiteral(" вышел из игры! До конца партии за него играет компьютер."),
                  kAttention);
}

BYTE CNetTableFlow::PartyKind() const {
    return m_Public.m_Game31 ? netrec::PlayerOrderRecord::To31Points : netrec::PlayerOrderRecord::To12Balls;
}

void CNetTableFlow::FreeHeldSeats() {
    if (!IsHost())
        return;
    for (DPNID id : OtherSeated())
        if (IsHeld(id))
            RemoveSeat(id, {});
}

CNetTableFlow::HeldPart CNetTableFlow::HeldSeatDue() const {
    if (!IsHost())
        return HeldPart::None;
    if (!m_GameOn)
        return !m_DealPending && !m_RedealDue && m_Seats.Count() >= 2 && IsHeld(m_NextDealerId)
                   ? HeldPart::Deal
                   : HeldPart::None;
    if (m_DealPending)
        return HeldPart::None;
    // The first turn of a held dealer's deal, which his own table would have
    // given once every table ended the deal (a deal this table dealt for him
    // ends with it as any of its own).
    if (m_FirstTurnDue)
        return !m_Dealer && m_ZantaHolderId == 0 && IsHeld(m_DealerId) ? HeldPart::FirstTurn
                                                                        : HeldPart::None;
    if (m_TakerId != 0)
        return !m_TakePending && IsHeld(m_TakerId) && !m_Clock.IsArmed(TIMER_CONTINUE) ? HeldPart::Refill
                                                                                       : HeldPart::None;
    return IsHeld(IdOf(m_Public.m_CurrentPlayer)) ? HeldPart::Move : HeldPart::None;
}

void CNetTableFlow::ArmHeldSeat() {
    if (!m_Stopped && !m_Clock.IsArmed(TIMER_HELD_SEAT) && HeldSeatDue() != HeldPart::None)
        Arm(TIMER_HELD_SEAT, kHeldSeatPauseMs);
}

void CNetTableFlow::PlayHeldSeat() {
    switch (HeldSeatDue()) {
    case HeldPart::Deal:
        StartDeal(false);
        break;
    case HeldPart::FirstTurn:
        m_Dealer = true;
        AfterDeal();
        break;
    case HeldPart::Refill:
        ContinueAfterTake();
        break;
    case HeldPart::Move:
        HeldSeatMove(m_Public.m_CurrentPlayer);
        break;
    case HeldPart::None:
        break;
    }
}

void CNetTableFlow::HeldSeatMove(int seat) {
    CPublic& t = m_Public;
    const DPNID id = IdOf(seat);
    if (t.CheckCircleCompletion()) {
        TakeTable(id, true);
        return;
    }
    const int mine = t.GetNumberCardsPlayerOnTable(seat);
    const int onTable = t.GetNumberCardsOnTable();
    // Done his part already (he left after it, or the host before): the
    // turn passes on.
    if ((mine > 0 && mine == onTable && !t.IsCardsTableReset(seat)) ||
        (mine > 0 && t.CheckCompletionPlayer(seat))) {
        Further(seat);
        return;
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
        return;
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
}
