#include "RulesWatch.h"

#include "Card.h"

#include <algorithm>

namespace {

bool OnTable(int place) { return place == e_Going || place == e_Reset; }

QString Who(std::uint32_t id) { return id == 0 ? QStringLiteral("nobody") : QStringLiteral("#%1").arg(id); }

} // namespace

int RulesWatch::Seen::InPlace(int place) const {
    return static_cast<int>(std::count_if(cards.begin(), cards.end(),
                                          [place](const auto& c) { return c.second.place == place; }));
}

int RulesWatch::Seen::HandOf(std::uint32_t id) const {
    return static_cast<int>(std::count_if(cards.begin(), cards.end(), [id](const auto& c) {
        return c.second.place == e_Hand && c.second.holder == id;
    }));
}

int RulesWatch::Seen::Trumps(std::uint32_t id) const {
    return static_cast<int>(std::count_if(cards.begin(), cards.end(), [id](const auto& c) {
        return c.second.holder == id && (c.second.place == e_Hand || c.second.place == e_Going) &&
               c.second.value > 9;
    }));
}

bool RulesWatch::Seen::Seated(std::uint32_t id) const {
    return id != 0 && std::find(order.begin(), order.end(), id) != order.end();
}

std::uint32_t RulesWatch::Seen::After(const std::vector<std::uint32_t>& seats, std::uint32_t id) const {
    const auto at = std::find(seats.begin(), seats.end(), id);
    if (id == 0 || at == seats.end())
        return 0;
    const size_t n = seats.size();
    const size_t from = static_cast<size_t>(at - seats.begin());
    for (size_t k = 1; k <= n; ++k) {
        const std::uint32_t next = seats[(from + k) % n];
        if (!out.contains(next))
            return next;
    }
    return 0;
}

std::uint32_t RulesWatch::Seen::Before(std::uint32_t id) const {
    const auto at = std::find(order.begin(), order.end(), id);
    if (id == 0 || at == order.end())
        return 0;
    return at == order.begin() ? order.back() : *(at - 1);
}

RulesWatch::Seen RulesWatch::Look(const CPublic& t) {
    Seen s;
    const auto idOf = [&t](int seat) {
        return seat >= 1 && seat <= CPublic::kMaxPlayers ? t.m_Players[seat - 1].m_PlayerID : 0u;
    };
    for (int seat = 1; seat <= CPublic::kMaxPlayers; ++seat) {
        if (const std::uint32_t id = idOf(seat); id != 0) {
            s.order.push_back(id);
            if (t.m_Players[seat - 1].m_Out)
                s.out.insert(id);
            if (t.m_Players[seat - 1].IsHeld())
                s.held.insert(id);
        }
    }
    s.current = idOf(t.m_CurrentPlayer);
    s.local = idOf(1);
    s.game = t.m_NumberGame;
    s.game31 = t.m_Game31;
    for (const CCard* c : t.m_Pack.m_Cards)
        if (c)
            s.cards[c] = {c->m_Place, idOf(c->m_Player), c->m_Value, c->m_IndexY, c->m_Scores};
    return s;
}

void RulesWatch::GameOver(std::set<std::uint32_t> dealers) {
    m_GameOn = false;
    m_DealerUnseen = false;
    m_Dealers = std::move(dealers);
    m_Leader = 0;
    m_Zanta = 0;
}

std::uint32_t RulesWatch::Dealt(const Seen& now, std::uint32_t first) {
    m_DealStart = now.Before(first);
    m_EmptyRefillStart = 0;
    m_Leader = first;
    m_Zanta = 0;
    // Three trumps in one hand: the first such player from the first one
    // on has the turn, and in a party to 31 points wins the game with it.
    const auto at = std::find(now.order.begin(), now.order.end(), first);
    if (at == now.order.end())
        return first;
    const size_t from = static_cast<size_t>(at - now.order.begin());
    for (size_t k = 0; k < now.order.size(); ++k) {
        const std::uint32_t id = now.order[(from + k) % now.order.size()];
        if (now.Trumps(id) == 3) {
            m_Leader = now.game31 ? 0 : id;
            m_Zanta = now.game31 ? id : 0;
            return id;
        }
    }
    return first;
}

void RulesWatch::Departed(const Seen& before, std::uint32_t id, bool decides) {
    if (m_SeatsKnown.empty())
        m_SeatsKnown = before.order;
    const bool wasPlaying = !before.out.contains(id);
    int playing = 0, sitting = 0;
    std::uint32_t onlyPlaying = 0;
    for (std::uint32_t p : before.order) {
        if (p == id)
            continue;
        if (before.out.contains(p)) {
            ++sitting;
        } else {
            ++playing;
            onlyPlaying = p;
        }
    }
    // A game stops when a player of it leaves, or when it is left with one
    // player (or with nobody playing: then everyone plays again).
    const bool interrupted = (m_GameOn && (wasPlaying || playing <= 1)) || (playing == 0 && sitting >= 2);
    // Who deals next: between games the one offered the deal keeps it; else
    // the seat where the deal began, or the first one playing after it.
    std::set<std::uint32_t> next;
    if (!m_GameOn) {
        next = m_Dealers;
        next.erase(id);
    }
    if (!m_GameOn && m_DealerUnseen && playing > 1)
        return; // the one offered keeps it, unless he left: the host's to know
    // With no deal yet the first remaining seat of the host's order deals:
    // the host's to know, not this watch's (next stays empty).
    if (next.empty() && playing == 1) {
        next.insert(onlyPlaying);
    } else if (next.empty()) {
        for (std::uint32_t start : {m_DealStart, m_EmptyRefillStart}) {
            if (start == 0)
                continue;
            if (!before.Seated(start)) {
                // The seat where the deal began is gone already, and where
                // it sat with it.
                next.clear();
                break;
            }
            next.insert(start != id ? start : before.After(id));
        }
        next.erase(0);
    }
    // The host removes the seat and names the next dealer for every table:
    // another table follows the host's view of the moment, which may differ
    // from its own (a game over here, not yet there). It learns the dealer
    // from the next game's end.
    if (!decides)
        next.clear();
    if (interrupted) {
        GameOver(next);
    } else if (!m_GameOn) {
        m_Dealers = next;
    }
}

void RulesWatch::Returned(Seen& before, std::uint32_t from, std::uint32_t to) {
    const auto swap = [from, to](std::uint32_t& id) {
        if (id == from)
            id = to;
    };
    for (std::uint32_t& id : before.order)
        swap(id);
    for (std::uint32_t& id : m_SeatsKnown)
        swap(id);
    for (auto& [key, card] : before.cards)
        swap(card.holder);
    if (before.out.erase(from) != 0)
        before.out.insert(to);
    if (m_Dealers.erase(from) != 0)
        m_Dealers.insert(to);
    for (std::uint32_t* id : {&m_DealStart, &m_EmptyRefillStart, &m_Leader, &m_Zanta})
        swap(*id);
}

QString RulesWatch::Took(const Seen& before, const Seen& now) {
    std::uint32_t taker = 0;
    for (const auto& [key, was] : before.cards) {
        const auto found = now.cards.find(key);
        if (found == now.cards.end())
            continue;
        const Card& is = found->second;
        if (!OnTable(was.place) || is.place != e_Take)
            continue;
        if (taker != 0 && is.holder != taker)
            return QStringLiteral("one circle went to two trick piles");
        taker = is.holder;
    }
    if (taker == 0)
        return {};
    // The circle is complete: every player in the game laid as many cards as
    // were led.
    int led = 0;
    std::map<std::uint32_t, int> laid;
    for (const auto& [key, was] : before.cards) {
        if (was.place == e_Going && was.row == 0)
            ++led;
        if (OnTable(was.place))
            ++laid[was.holder];
    }
    for (std::uint32_t p : before.order)
        if (!before.out.contains(p) && laid[p] != led)
            return QStringLiteral("%1 took before %2 answered (%3 of %4 cards)")
                .arg(Who(taker), Who(p))
                .arg(laid[p])
                .arg(led);
    // The highest face-up card takes.
    const Card* best = nullptr;
    for (const auto& [key, was] : before.cards)
        if (was.place == e_Going && (!best || was.value > best->value))
            best = &was;
    if (!best || best->holder != taker)
        return QStringLiteral("%1 took the circle %2's card won").arg(Who(taker), Who(best ? best->holder : 0));
    if (!m_GameOn)
        return {};
    // The end of the game: above 30 points in a party to 31, or the last
    // card taken (the most points win, ties to the first from the taker on).
    std::map<std::uint32_t, int> points;
    for (const auto& [key, is] : now.cards)
        if (is.place == e_Take)
            points[is.holder] += is.points;
    if (now.game31 && points[taker] > 30) {
        GameOver({taker});
    } else if (now.InPlace(e_Take) == static_cast<int>(now.cards.size())) {
        int most = -1;
        for (const auto& [p, n] : points)
            most = std::max(most, n);
        std::uint32_t winner = taker;
        for (size_t k = 0; k < now.order.size() && points[winner] != most; ++k)
            winner = now.After(winner);
        GameOver({winner});
    } else {
        m_Leader = taker;
        if (now.InPlace(e_Pack) == 0)
            m_EmptyRefillStart = now.Before(taker);
    }
    return {};
}

QString RulesWatch::NewGame(const Seen& now) {
    const std::set<std::uint32_t> dealers = std::move(m_Dealers);
    const std::vector<std::uint32_t> known = std::move(m_SeatsKnown);
    m_Dealers.clear();
    m_SeatsKnown.clear();
    m_GameOn = true;
    m_DealerUnseen = false;
    if (dealers.empty()) {
        Dealt(now, now.current);
        // A zanta's holder has the first turn wherever the deal began: then
        // the cards do not tell where.
        if (now.Trumps(now.current) == 3)
            m_DealStart = 0;
        return {};
    }
    // The first turn is the dealer's neighbour's (a zanta's holder's).
    std::uint32_t due = 0;
    for (std::uint32_t dealer : dealers) {
        due = Dealt(now, now.After(dealer));
        if (due == now.current)
            return {};
        // A dealer who had not yet heard of a departure dealt to the
        // seats he knew: a deal void for the departed first player, which
        // the rules then treat as a departure during the game.
        if (const std::uint32_t first = now.After(known, dealer); first != 0 && !now.Seated(first)) {
            GameOver({});
            return {};
        }
    }
    return QStringLiteral("game %1: the turn is %2's, the rules give it to %3 (dealer %4)")
        .arg(now.game)
        .arg(Who(now.current), Who(due), Who(*dealers.rbegin()));
}

QString RulesWatch::Observe(const CPublic& t, bool offersDeal, bool host) {
    Seen now = Look(t);
    if (m_First) {
        m_First = false;
        m_Last = std::move(now);
        return {};
    }
    Seen before = std::move(m_Last);
    m_Last = now;
    for (const auto& [from, to] : m_Returns)
        if (before.Seated(from) && !now.Seated(from) && now.Seated(to) && !before.Seated(to))
            Returned(before, from, to);
    // A departure changes the seats and sends the departed player's cards
    // back to the pack.
    // Seats held for players who left are freed when the party ends: the
    // last take that ended it came first.
    bool onlyHeldFreed = false;
    for (std::uint32_t id : before.order) {
        if (now.Seated(id))
            continue;
        onlyHeldFreed = before.held.contains(id);
        if (!onlyHeldFreed)
            break;
    }
    if (onlyHeldFreed) {
        if (QString broken = Took(before, now); !broken.isEmpty())
            return broken;
        // Ended otherwise (a zanta shown, say): the party is over, and the
        // watch learns the next dealer from the next game.
        if (m_GameOn) {
            GameOver({});
            return {};
        }
    }
    // Two players gone in one moment leave one after the other: the second
    // leaves the seats the first left behind.
    bool departed = false;
    Seen seats = before;
    for (std::uint32_t id : before.order)
        if (!now.Seated(id)) {
            departed = true;
            Departed(seats, id, host);
            std::erase(seats.order, id);
            seats.out.erase(id);
        }
    // Another kind of party: whoever switched deals it; the watch learns
    // the dealer from the next game's end.
    if (now.game31 != before.game31 || (now.game == 0 && before.game != 0)) {
        GameOver({});
        m_DealerUnseen = true;
        return {};
    }
    if (!departed && !onlyHeldFreed)
        if (QString broken = Took(before, now); !broken.isEmpty())
            return broken;
    // Cards come into hands only by a deal: a new game when no trick has
    // been taken, else the refill after a take.
    bool dealt = false;
    for (const auto& [card, is] : now.cards) {
        const auto was = before.cards.find(card);
        dealt = dealt || (is.place == e_Hand && was != before.cards.end() && was->second.place != e_Hand);
    }
    if (dealt && now.InPlace(e_Take) == 0)
        return NewGame(now);
    if (dealt && m_GameOn) {
        // The taker is served first and has the turn (or a zanta's holder).
        const std::uint32_t taker = m_Leader;
        const std::uint32_t due = Dealt(now, taker != 0 ? taker : now.current);
        if (taker != 0 && due != now.current)
            return QStringLiteral("after the refill the turn is %1's, the rules give it to %2 (%3 took)")
                .arg(Who(now.current), Who(due), Who(taker));
        return {};
    }
    // A zanta in a party to 31 points is shown, and ends the game.
    if (m_Zanta != 0) {
        const int shown = static_cast<int>(std::count_if(now.cards.begin(), now.cards.end(), [this](const auto& c) {
            return c.second.holder == m_Zanta && c.second.place == e_Going;
        }));
        if (shown > 0 && now.HandOf(m_Zanta) == 0)
            GameOver({m_Zanta});
    }
    // The first card of a circle is the leader's.
    if (m_GameOn && before.InPlace(e_Going) + before.InPlace(e_Reset) == 0 && now.InPlace(e_Going) > 0) {
        for (const auto& [card, is] : now.cards)
            if (is.place == e_Going && m_Leader != 0 && is.holder != m_Leader)
                return QStringLiteral("%1 led; the lead is %2's").arg(Who(is.holder), Who(m_Leader));
        m_Leader = 0;
        if (m_EmptyRefillStart != 0)
            m_DealStart = std::exchange(m_EmptyRefillStart, 0);
    }
    if (offersDeal && m_GameOn)
        return QStringLiteral("the table offers a deal while its game goes on");
    if (offersDeal && !m_Dealers.empty() && !m_Dealers.contains(now.local))
        return QStringLiteral("the table offers %1 the deal; it is %2's").arg(Who(now.local), Who(*m_Dealers.begin()));
    return {};
}
