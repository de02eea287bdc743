#pragma once
// The steps of a game that every source of moves shares: the single-player
// view (the user's clicks and the computer seats), the network view (the
// local user and the peers' records) and the self-play harness. Each step
// changes the table and moves its cards; pacing, announcements and who may
// act when belong to the flow that calls them.

#include "Public.h"

#include <functional>

class CCard;

class CTableMoves {
public:
    explicit CTableMoves(CPublic& table) : m_Table(table) {}

    // A new party: stars (0 in a party to 12 balls), balls, drop-outs, board
    // colours, victories and the game number back to their start, the cards
    // back in the pack, the result line empty.
    void ResetParty(int stars);
    // A seat outside the table (none yet, or left from a larger table) is
    // drawn afresh, never the seat drawn last time; returns the seat drawn or 0.
    int DrawFirstSeat(const std::function<int()>& random, int lastDrawn);
    // A new game: scores to 0, the game number counted, the pack shuffled and
    // gathered.
    void StartGame();
    // The same for the peer that deals a network game: the shuffle is
    // written to masts and values (36 each) for the other tables.
    void StartGame(char* masts, char* values);
    // The same for a table that follows another's shuffle; false (and
    // nothing changed) when the arrays are not an order of this deck.
    bool StartGameAs(const char* masts, const char* values);
    // Fills every active seat up to three cards from the pack, the given seat
    // first, and turns up the trump card. Returns the seat now holding a
    // zanta, which becomes the current player, or 0.
    int DistrCards(int firstSeat);

    // seat lays card face up as a lead: refused (false) when the card is not
    // in seat's hand or not of the suit already led.
    bool LeadCard(int seat, CCard* card);
    // The suit of the cards led in this circle; 0 on an empty table.
    int LedMast();
    bool HoldsMast(int seat, int mast);
    // seat answers with card: it covers the strongest uncovered card of the
    // others it beats, or it is thrown. A seat that cannot beat everything
    // throws the card and every card it laid face up in this circle; a seat
    // that threw once throws every further card of the circle.
    void AnswerCard(int seat, CCard* card);
    // What AnswerCard would do with card, changing nothing: the card it
    // would cover, or null when it would be thrown.
    CCard* AnswerTarget(int seat, const CCard* card);
    // After a computer seat's move: the table laid out, the circle checked,
    // the turn passed on.
    void FinishMove();

    // The holder of the highest face-up card takes the table and scores its
    // points; he becomes the current player. Returns him.
    int TakeTrick();
    // The winner of the game, or -1 while it goes on (a game whose cards are
    // all taken is over even when nobody passed 30 points).
    int GameWinner();
    // A zanta holder other than the user shows his hand face up; evenUser
    // shows the user's own hand too (the network tables show every hand).
    void ShowZanta(int holder, bool evenUser = false);
    // Scores a finished game: stars or balls, the winner's victory counted and
    // shown. Returns IsEndParty's bits.
    int EndGame(int winner);
    // Who deals the next game after winner's: the seat after the winner, or,
    // when the party is over or the user is out, the seat after the winner in
    // plain seat order for the next party. Returns StateGame's bits.
    int PassDeal(int winner);

private:
    bool ThrowCard(CCard* card);

    CPublic& m_Table;
};
