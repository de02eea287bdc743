#include "NetSeats.h"

#include "Card.h"
#include "Cp1251.h"
#include "GuiThread.h"

#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <map>

namespace {
constexpr int kTrumpBonus = 9;

int BaseValue(int value) { return value > kTrumpBonus ? value - kTrumpBonus : value; }

// The score boards and star rows count in signed bytes (stars without the
// stars game: 1000, kept as -24). A seat record carries a count's low 8 bits
// and every reader takes them back as the same signed byte, so each table
// shows what the host has.
BYTE LowByte(int n) {
    return static_cast<BYTE>(n & 0xFF);
}
int SignedByte(BYTE b) {
    return static_cast<std::int8_t>(b);
}

// One seat as its record carries it.
netrec::SeatRecord RecordOf(const CPlayer& p) {
    netrec::SeatRecord seat;
    seat.name = Cp1251Field(p.Name(), netrec::kNameBytes);
    seat.scores = LowByte(p.m_Tablo.GetScoresValue());
    seat.balls = LowByte(p.m_Tablo.GetBallsValue());
    seat.stars = LowByte(p.m_Star.GetNumberStars());
    seat.victories = p.m_Victory;
    seat.sitOut = p.m_Out ? 1 : 0;
    seat.waitsNextParty = p.m_Waiting ? 1 : 0;
    seat.held = p.IsHeld() ? 1 : 0;
    seat.player = p.m_PlayerID;
    return seat;
}
} // namespace

int CNetSeats::SeatOf(DPNID player) const {
    if (player == 0)
        return 0;
    for (int s = 1; s <= CPublic::kMaxPlayers; ++s)
        if (m_Table.m_Players[s - 1].m_PlayerID == player)
            return s;
    return 0;
}

DPNID CNetSeats::IdOf(int seat) const {
    return seat >= 1 && seat <= CPublic::kMaxPlayers ? m_Table.m_Players[seat - 1].m_PlayerID : 0;
}

int CNetSeats::Count() const {
    int n = 0;
    while (n < CPublic::kMaxPlayers && m_Table.m_Players[n].m_PlayerID != 0)
        ++n;
    return n;
}

netrec::PlayerOrderRecord CNetSeats::Build(DPNID dealStart) const {
    netrec::PlayerOrderRecord r;
    for (int s = 0; s < CPublic::kMaxPlayers; ++s) {
        const CPlayer& p = m_Table.m_Players[s];
        if (p.m_PlayerID == 0)
            continue;
        r.seats[static_cast<size_t>(s)] = RecordOf(p);
    }
    const auto& cards = m_Table.m_Pack.m_Cards;
    for (size_t k = 0; k < cards.size() && k < r.cards.size(); ++k) {
        const CCard* c = cards[k];
        netrec::CardRecord& card = r.cards[k];
        card.value = static_cast<BYTE>(c->m_Value);
        card.mast = static_cast<BYTE>(c->m_Mast);
        card.place = static_cast<BYTE>(c->m_Place);
        card.indexX = static_cast<BYTE>(c->m_IndexX);
        card.indexY = static_cast<BYTE>(c->m_IndexY);
        card.holder = IdOf(c->m_Player);
    }
    r.dealStart = dealStart;
    return r;
}

std::vector<DPNID> CNetSeats::CardHolders() const {
    std::vector<DPNID> holders;
    for (const CCard* c : m_Table.m_Pack.m_Cards)
        holders.push_back(IdOf(c->m_Player));
    return holders;
}

void CNetSeats::RestoreHolders(const std::vector<DPNID>& holders) {
    auto& cards = m_Table.m_Pack.m_Cards;
    for (size_t k = 0; k < cards.size() && k < holders.size(); ++k) {
        CCard* c = cards[k];
        if (c->m_Place == e_Pack) {
            c->m_Player = 0;
            continue;
        }
        const int seat = SeatOf(holders[k]);
        c->m_Player = seat;
        if (seat == 0) {
            // Its holder is gone: the card goes back to the pack.
            c->m_Place = e_Pack;
            c->m_IndexX = c->m_IndexY = -1;
        }
    }
}

int CNetSeats::Apply(const netrec::PlayerOrderRecord& order, DPNID local, Take take) {
    std::vector<const netrec::SeatRecord*> seats;
    for (const auto& s : order.seats)
        if (s.player != 0 && std::none_of(seats.begin(), seats.end(),
                                          [&](auto* o) { return o->player == s.player; }))
            seats.push_back(&s);
    const auto self = std::find_if(seats.begin(), seats.end(), [&](auto* s) { return s->player == local; });
    if (self == seats.end())
        return 0;
    std::rotate(seats.begin(), self, seats.end());

    const std::vector<DPNID> holders = CardHolders();
    std::map<DPNID, netrec::SeatRecord> own;
    if (take == Take::NewBoards)
        for (const CPlayer& p : m_Table.m_Players)
            if (p.m_PlayerID != 0)
                own[p.m_PlayerID] = RecordOf(p);
    const int n = static_cast<int>(seats.size());
    for (int s = 0; s < CPublic::kMaxPlayers; ++s) {
        CPlayer& p = m_Table.m_Players[s];
        if (s >= n) {
            p.m_PlayerID = 0;
            p.m_Waiting = false;
            p.SetHeld(false);
            continue;
        }
        const netrec::SeatRecord& named = *seats[static_cast<size_t>(s)];
        const auto kept = own.find(named.player);
        const netrec::SeatRecord& r = kept != own.end() ? kept->second : named;
        p.m_PlayerID = named.player;
        const QString name = Cp1251ToUnicode(named.name);
        if (p.Name() != name)
            p.SetName(name);
        p.m_Tablo.SetScoreValue(SignedByte(r.scores));
        p.m_Tablo.SetBallsValue(SignedByte(r.balls));
        if (p.m_Star.GetNumberStars() != SignedByte(r.stars))
            p.m_Star.ResetStars(SignedByte(r.stars));
        p.m_Victory = r.victories;
        p.m_Out = r.sitOut != 0;
        p.m_Waiting = r.waitsNextParty != 0;
        p.SetHeld(named.held != 0);
    }
    SetNumberPlayers(std::max(n, 1));
    if (take == Take::Everything)
        TakeCards(order);
    else
        RestoreHolders(holders);
    return n;
}

void CNetSeats::TakeCards(const netrec::PlayerOrderRecord& order) {
    CPack& pack = m_Table.m_Pack;
    char masts[netrec::kCards];
    char values[netrec::kCards];
    int trump = 0;
    for (int k = 0; k < netrec::kCards; ++k) {
        const auto& c = order.cards[static_cast<size_t>(k)];
        masts[k] = static_cast<char>(c.mast);
        values[k] = static_cast<char>(BaseValue(c.value));
        if (c.value > kTrumpBonus)
            trump = c.mast;
    }
    if (!pack.ArrayShuffle(masts, values))
        return;
    if (trump != 0) {
        pack.SetKozir(trump);
        pack.m_KozirState = 2;
    }
    for (size_t k = 0; k < pack.m_Cards.size() && k < order.cards.size(); ++k) {
        CCard* c = pack.m_Cards[k];
        const auto& r = order.cards[k];
        c->m_Place = r.place;
        c->m_Player = c->m_Place == e_Pack ? 0 : SeatOf(r.holder);
        if (c->m_Place != e_Pack && c->m_Player == 0)
            c->m_Place = e_Pack;
        c->m_IndexX = static_cast<std::int8_t>(r.indexX);
        c->m_IndexY = static_cast<std::int8_t>(r.indexY);
        // The trump card lies face up under the pack, as the others dealt it.
        const bool kozir = trump != 0 && c->m_Place == e_Pack && k + 1 == pack.m_Cards.size();
        const bool faceUp = kozir || c->m_Place == e_Going ||
                            (c->m_Place == e_Reset && !m_Table.m_ClosedCardReset) ||
                            (c->m_Place == e_Hand && c->m_Player == 1);
        c->CardOpen(faceUp);
    }
    // A card led or laid on the table is beaten when a card lies on it.
    for (CCard* c : pack.m_Cards) {
        c->m_Beaten = false;
        if (c->m_Place != e_Going)
            continue;
        for (const CCard* above : pack.m_Cards)
            if (above->m_Place == e_Going && above->m_IndexX == c->m_IndexX &&
                above->m_IndexY == c->m_IndexY + 1)
                c->m_Beaten = true;
    }
}

int CNetSeats::Compact() {
    const std::vector<DPNID> holders = CardHolders();
    // Seats move up in place: a copy of a CPlayer would make widgets, and
    // this runs on the game's strand, not the window's thread.
    int n = 0;
    for (int s = 0; s < CPublic::kMaxPlayers; ++s) {
        if (m_Table.m_Players[s].m_PlayerID == 0)
            continue;
        if (s != n)
            m_Table.m_Players[n] = m_Table.m_Players[s];
        ++n;
    }
    for (int s = n; s < CPublic::kMaxPlayers; ++s) {
        m_Table.m_Players[s].m_PlayerID = 0;
        m_Table.m_Players[s].m_Waiting = false;
        m_Table.m_Players[s].SetHeld(false);
    }
    SetNumberPlayers(std::max(n, 1));
    RestoreHolders(holders);
    return n;
}

void CNetSeats::SetNumberPlayers(int n) {
    // The window's thread lays the table out and paints it from the count.
    platform::RunOnGuiThread([&] { m_Table.m_NumberPlayers = n; });
}

int CNetSeats::SeatOfDealStart(const netrec::PlayerOrderRecord& order) const {
    return SeatOf(order.dealStart);
}

QString CNetSeats::Dump(int gameNumber) const {
    QStringList out;
    const CPublic& t = m_Table;
    // With every card in the pack no game is dealt: its number and current
    // player mean nothing yet (a newcomer learns them from the next deal).
    const bool dealt = std::any_of(t.m_Pack.m_Cards.begin(), t.m_Pack.m_Cards.end(),
                                   [](const CCard* c) { return c->m_Place != e_Pack; });
    out << QStringLiteral("game %1 trump %2 current %3 players %4")
               .arg(dealt ? QString::number(gameNumber) : QStringLiteral("-"))
               .arg(const_cast<CPack&>(t.m_Pack).GetKozirMast())
               .arg(dealt ? QString::number(IdOf(t.m_CurrentPlayer)) : QStringLiteral("-"))
               .arg(t.m_NumberPlayers);
    QStringList seats;
    for (const CPlayer& p : t.m_Players) {
        if (p.m_PlayerID == 0)
            continue;
        seats << QStringLiteral("seat %1 %2 scores %3 balls %4 stars %5 victories %6 out %7 waits %8 held %9")
                     .arg(p.m_PlayerID)
                     .arg(p.Name())
                     .arg(p.m_Tablo.GetScoresValue())
                     .arg(p.m_Tablo.GetBallsValue())
                     .arg(p.m_Star.GetNumberStars())
                     .arg(p.m_Victory)
                     .arg(p.m_Out)
                     .arg(p.m_Waiting)
                     .arg(p.IsHeld());
    }
    seats.sort();
    out << seats;
    QStringList cards;
    int packIndex = 0;
    for (const CCard* c : t.m_Pack.m_Cards) {
        QString line = QStringLiteral("card %1.%2 place %3 holder %4")
                           .arg(c->m_Mast)
                           .arg(BaseValue(c->m_Value), 2, 10, QChar('0'))
                           .arg(c->m_Place)
                           .arg(IdOf(c->m_Player));
        if (c->m_Place == e_Going || c->m_Place == e_Reset)
            line += QStringLiteral(" at %1,%2").arg(c->m_IndexX).arg(c->m_IndexY);
        if (c->m_Place == e_Going && c->m_Beaten)
            line += QStringLiteral(" beaten");
        if (c->m_Place == e_Pack)
            line += QStringLiteral(" pack %1").arg(packIndex++);
        cards << line;
    }
    cards.sort();
    out << cards;
    return out.join('\n');
}
