#pragma once
// The seats of a network table in the session's terms. Every peer sits
// itself at seat 1 and the others after it in the host's order; records name
// players by their session ids. This class turns the local seats into the
// seat order record and back, carrying every card's holder across a change
// of seats by its player's id, and writes the table out in ids so that two
// peers' views of one game compare equal.

#include "NetRecords.h"
#include "Public.h"

#include <QString>

class CNetSeats {
public:
    explicit CNetSeats(CPublic& table) : m_Table(table) {}

    // The local seat of a player; 0 when he has none.
    int SeatOf(DPNID player) const;
    DPNID IdOf(int seat) const;
    // Seats with a player: 1..count.
    int Count() const;

    // The seat order as the host publishes it: the local seats in order,
    // every card with its holder's id, and the deal start seat's id.
    netrec::PlayerOrderRecord Build(DPNID dealStart) const;
    // What a table takes of a seat order besides the seats themselves.
    enum class Take {
        // A join: the players seated here already keep the boards (score,
        // balls, stars, victories, out) this table has scored for them;
        // the host's may be a take behind or ahead. Cards keep their holders.
        NewBoards,
        // A departure: every board as the host has it, whose view of the
        // moment settles a game that ended on one table and not yet on
        // another. Cards keep their holders.
        AllBoards,
        // A player who joined during a party: every board, and the deck, the
        // trump and every card's place.
        Everything,
    };
    // Takes the seats of a record, rotated so that local is seat 1. Returns
    // the number of seats, or 0 when local is not in it.
    int Apply(const netrec::PlayerOrderRecord& order, DPNID local, Take take);
    // The seats that still have a player move up to 1..n in their order;
    // the seats behind them are emptied. Returns n.
    int Compact();

    // The deal start seat named by a record; 0 for none.
    int SeatOfDealStart(const netrec::PlayerOrderRecord& order) const;

    QString Dump(int gameNumber) const;
    // The number of seats in play, set on the window's thread.
    void SetNumberPlayers(int n);

private:
    // Holders of the cards as player ids, and back to seats.
    std::vector<DPNID> CardHolders() const;
    void RestoreHolders(const std::vector<DPNID>& holders);
    void TakeCards(const netrec::PlayerOrderRecord& order);

    CPublic& m_Table;
};
