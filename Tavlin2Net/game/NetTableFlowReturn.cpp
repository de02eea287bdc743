// The network table's flow: a player who left comes back to the seat the
// computer kept for him. His program proves the seat its own with a token
// only it holds: every member was told the token's hash when he took the
// seat, and the token itself shows only when the host asks for it, after
// which the program keeps a new one.

#include "NetTableFlow.h"
#include "PlayNetSteps.h"

#include "Cp1251.h"

using namespace playnet;

void CNetTableFlow::SetSeatToken(const QByteArray& token, std::function<void(const QByteArray&)> keep) {
    std::lock_guard lock(m_TokenMutex);
    m_SeatToken = token.left(netrec::kTokenBytes);
    m_KeepSeatToken = std::move(keep);
}

QByteArray CNetTableFlow::SeatToken() const {
    std::lock_guard lock(m_TokenMutex);
    return m_SeatToken;
}

void CNetTableFlow::SendKnowsIfDue() {
    // The session may tell of this table's own player before its connection
    // completes: what is sent then goes nowhere.
    if (!m_KnowsDue || m_DirectPlay.m_SessionState == 0)
        return;
    m_KnowsDue = false;
    Send(netrec::BuildKnows(netrec::kKnowsHeldSeats, netrec::TokenHash(SeatToken())));
}

void CNetTableFlow::TakeKnows(DPNID sender, const netrec::KnowsRecord& r) {
    if ((r.bits & netrec::kKnowsHeldSeats) != 0)
        m_KnowsHeldSeats.insert(sender);
    // A held seat's hash is the one its player took it with: a member who
    // says another now under the same id is not believed.
    if (r.tokenHash.size() == netrec::kTokenBytes && !IsHeld(sender))
        m_TokenHashes[sender] = r.tokenHash;
    if (IsHost() && !m_Joiners.empty())
        Arm(TIMER_SEAT, 0);
}

void CNetTableFlow::AnswerSeatAsk(DPNID sender, const netrec::SeatAskRecord& r) {
    // Only the host asks, only once, and only a table still waiting for
    // its seat shows its token.
    if (r.newcomer != LocalId() || sender != m_DirectPlay.HostPlayer() || m_Seated || m_ProofSent)
        return;
    const QByteArray next = netrec::NewToken();
    std::function<void(const QByteArray&)> keep;
    netrec::SeatProofRecord proof;
    {
        std::lock_guard lock(m_TokenMutex);
        if (m_SeatToken.size() != netrec::kTokenBytes)
            return;
        proof.token = std::exchange(m_SeatToken, next);
        keep = m_KeepSeatToken;
    }
    proof.newHash = netrec::TokenHash(next);
    // Kept before it is shown: a program that dies now comes back with the
    // new token, which the hash below names.
    if (keep)
        keep(next);
    m_ProofSent = true;
    Send(netrec::Build(proof));
}

DPNID CNetTableFlow::HeldSeatNamed(DPNID newcomer) const {
    PeerInfo info;
    if (m_DirectPlay.GetPeerInfo(newcomer, info) != S_OK)
        return 0;
    const QString name = Cp1251ToUnicode(Cp1251Field(info.name, netrec::kNameBytes));
    for (int s = 2; s <= CPublic::kMaxPlayers; ++s)
        if (IdOf(s) != 0 && m_Public.m_Players[s - 1].IsHeld() && m_Public.m_Players[s - 1].Name() == name)
            return IdOf(s);
    return 0;
}

void CNetTableFlow::TakeSeatProof(DPNID sender, const netrec::SeatProofRecord& r) {
    if (LocalSeatOf(sender) != 0 || m_Returning.count(sender))
        return;
    const DPNID held = HeldSeatNamed(sender);
    const auto known = m_TokenHashes.find(held);
    // A table that joined after the seat's player cannot judge the claim.
    if (held == 0 || known == m_TokenHashes.end())
        return;
    if (known->second != netrec::TokenHash(r.token))
        return Refuse(sender, "a claim to a held seat without its token");
    // A token shown is spent: nobody else may claim the seat with it.
    m_TokenHashes.erase(known);
    m_TokenHashes[sender] = r.newHash;
    m_Returning[sender] = held;
    if (IsHost())
        Arm(TIMER_SEAT, 0);
}

CNetTableFlow::Comeback CNetTableFlow::SeatReturning(DPNID newcomer, const QString& name) {
    const auto returning = m_Returning.find(newcomer);
    if (returning != m_Returning.end()) {
        if (!IsHeld(returning->second)) {
            // The party his seat was kept for has ended: he joins as anyone.
            m_Returning.erase(returning);
            return Comeback::NotOne;
        }
        if (!AtStillPoint())
            return Comeback::Waiting;
        const DPNID held = returning->second;
        m_Returning.erase(returning);
        HandBack(held, newcomer);
        return Comeback::Done;
    }
    if (HeldSeatNamed(newcomer) == 0)
        return Comeback::NotOne;
    const auto asked = m_SeatAskedAtMs.find(newcomer);
    if (asked == m_SeatAskedAtMs.end()) {
        m_SeatAskedAtMs[newcomer] = m_Clock.NowMs();
        Send(netrec::BuildSeatAsk(newcomer));
        return Comeback::Waiting;
    }
    if (m_Clock.NowMs() - asked->second < kKnowsWaitMs)
        return Comeback::Waiting;
    // No token, or not his: the seat waits for its own player.
    m_SeatAskedAtMs.erase(asked);
    m_DirectPlay.Expel(newcomer);
    m_View.Notice(QStringLiteral("Игрок ") + name + QStringLiteral(" не принят: место ") + name +
                      QStringLiteral(" ждет своего игрока."),
                  kAttention);
    return Comeback::Done;
}

bool CNetTableFlow::AtStillPoint() const {
    if (m_DealPending || m_TakePending || m_RedealDue)
        return false;
    if (!m_GameOn)
        return true;
    // A closed circle waits for its take, which the seat's computer may
    // be about to make.
    return !m_FirstTurnDue && m_TakerId == 0 && m_ZantaHolderId == 0 && !m_TurnAfterDeal &&
           !m_Public.CheckCircleCompletion() &&
           !m_Clock.IsArmed(TIMER_CONTINUE) && !m_Clock.IsArmed(TIMER_ZANTA) && !m_Clock.IsArmed(TIMER_AUTO_TAKE);
}

void CNetTableFlow::HandBack(DPNID held, DPNID player) {
    const int seat = LocalSeatOf(held);
    if (seat == 0)
        return;
    GiveSeatBack(held, player);
    netrec::PlayerOrderRecord order = m_Seats.Build(m_GameOn ? IdOf(m_DealStartSeat) : m_NextDealerId);
    order.kind = PartyKind();
    order.returnedFrom = held;
    order.returnedTo = player;
    order.current = m_GameOn ? IdOf(m_Public.m_CurrentPlayer) : 0;
    order.game = static_cast<std::uint32_t>(std::max(m_Public.m_NumberGame, 0));
    Send(netrec::Build(order));
    SendSettingsNow();
    CheckBarriers();
}

void CNetTableFlow::GiveSeatBack(DPNID held, DPNID player) {
    const int seat = LocalSeatOf(held);
    if (seat == 0)
        return;
    CPlayer& p = m_Public.m_Players[seat - 1];
    p.m_PlayerID = player;
    p.SetHeld(false);
    // The name he came back with, as the session tells it now: he may have
    // renamed himself while he waited.
    PeerInfo info;
    if (m_DirectPlay.GetPeerInfo(player, info) == S_OK && !info.name.isEmpty())
        p.SetName(Cp1251ToUnicode(Cp1251Field(info.name, netrec::kNameBytes)));
    const QString name = p.Name();
    m_DirectPlay.RenameSeat(player, name);
    for (DPNID* id : {&m_DealerId, &m_NextDealerId, &m_TakerId, &m_ZantaHolderId})
        if (*id == held)
            *id = player;
    for (DPNID& id : m_DealtIds)
        if (id == held)
            id = player;
    m_ReturnedIds[held] = player;
    m_LastReturn = {held, player};
    m_Joiners.erase(std::remove(m_Joiners.begin(), m_Joiners.end(), player), m_Joiners.end());
    m_Returning.erase(player);
    m_SeatAskedAtMs.erase(player);
    m_View.Notice(QStringLiteral("Игрок ") + name + QStringLiteral(" вернулся в игру!"), kAttention);
    ShowChatSeats();
    Relayout();
}

bool CNetTableFlow::NameReturned(CReceivedRecord& record) const {
    bool renamed = false;
    const auto name = [&](DPNID& id) {
        if (const auto it = m_ReturnedIds.find(id); id != 0 && it != m_ReturnedIds.end()) {
            id = it->second;
            renamed = true;
        }
    };
    name(record.heldSeat);
    if (auto* r = std::get_if<netrec::TurnRecord>(&record.body))
        name(r->player);
    if (auto* r = std::get_if<netrec::GoCardRecord>(&record.body))
        name(r->player);
    if (auto* r = std::get_if<netrec::ChatRecord>(&record.body))
        name(r->player);
    if (auto* r = std::get_if<netrec::PartyRecord>(&record.body)) {
        name(r->firstPlayer);
        for (DPNID& id : r->dealt)
            name(id);
    }
    return renamed;
}
