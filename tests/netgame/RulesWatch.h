#pragma once
// What the rules of the game say comes next at one table, worked out from
// the cards and seats as they lie after every moment, never from the flow
// that moved them: who takes a complete circle, who leads after a deal or a
// take, who wins a game (points, a zanta, the last trick), whom the next deal
// is offered to, and, when a player departs, whether the game is
// interrupted and who deals next. Players are known by their identifiers,
// so a table's own seat numbers do not matter.

#include "Public.h"

#include <QString>

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

class RulesWatch {
public:
    // dealer: whom the first deal is offered to (the host), 0 when unknown.
    explicit RulesWatch(std::uint32_t dealer) {
        if (dealer != 0)
            m_Dealers.insert(dealer);
    }

    // The table after one moment, whether it offers its own player the
    // deal now, and whether it hosts (and so settles departures). Empty
    // while the table keeps the rules; otherwise what it did against them.
    QString Observe(const CPublic& t, bool offersDeal, bool host);
    // The player who left as from came back to his held seat as to.
    void Returns(std::uint32_t from, std::uint32_t to) { m_Returns[from] = to; }

private:
    struct Card {
        int place = 0;
        std::uint32_t holder = 0;
        int value = 0;
        int row = 0;
        int points = 0;
    };
    struct Seen {
        std::map<const void*, Card> cards; // by the card itself
        std::vector<std::uint32_t> order;          // seated players in turn order
        std::set<std::uint32_t> out;
        std::set<std::uint32_t> held; // played by the computer for a player who left
        std::uint32_t current = 0;
        std::uint32_t local = 0;
        int game = 0;
        bool game31 = true;

        int InPlace(int place) const;
        int HandOf(std::uint32_t id) const;
        int Trumps(std::uint32_t id) const; // in hand or just shown
        // The player after id in turn order, players out skipped; 0 when
        // id is not seated.
        std::uint32_t After(std::uint32_t id) const { return After(order, id); }
        std::uint32_t After(const std::vector<std::uint32_t>& seats, std::uint32_t id) const;
        // The seat before id, none skipped (where a deal begins).
        std::uint32_t Before(std::uint32_t id) const;
        bool Seated(std::uint32_t id) const;
    };

    static Seen Look(const CPublic& t);
    void Departed(const Seen& before, std::uint32_t id, bool decides);
    // A player came back to his held seat under a new id: the seat, his
    // cards and what this watch expects of him are his new id's.
    void Returned(Seen& before, std::uint32_t from, std::uint32_t to);
    QString NewGame(const Seen& now);
    QString Took(const Seen& before, const Seen& now);
    // After a deal or a refill served from first on: who has the turn (a
    // zanta's holder, or first), and who leads.
    std::uint32_t Dealt(const Seen& now, std::uint32_t first);
    void GameOver(std::set<std::uint32_t> dealers);

    bool m_First = true;
    Seen m_Last;
    bool m_GameOn = false;
    // Whom the next deal is offered to: empty while a game runs or when the
    // rules leave it to what this watch cannot see; more than one when it
    // depends on a step that leaves no trace on the cards.
    std::set<std::uint32_t> m_Dealers;
    // Between games, when the deal went to whoever switched the party's
    // kind: someone the cards do not tell, kept by a departure all the same.
    bool m_DealerUnseen = false;
    std::uint32_t m_DealStart = 0; // where the current deal or refill began
    // A refill of an empty pack deals nothing to see, but begins a deal all
    // the same: until the next lead it may or may not have come.
    std::uint32_t m_EmptyRefillStart = 0;
    // The seats before the departures since the last deal: a dealer who had
    // not yet heard of one deals to the seats he knew.
    std::vector<std::uint32_t> m_SeatsKnown;
    std::uint32_t m_Leader = 0;    // who leads next; 0 unknown
    std::uint32_t m_Zanta = 0;     // a zanta that ends the game once shown
    std::map<std::uint32_t, std::uint32_t> m_Returns;
};
