#pragma once
// The decisions of a computer seat: lead, beat or throw. Every decision is
// computed afresh from the table; the seat remembers nothing between moves and
// sees no other hand. The only chance element is one draw in ten when leading,
// taken from the random source the player is given.

#include <functional>

class CCard;
class CPublic;

class CComputerPlayer {
public:
    // Returns a non-negative number; only its value modulo 10 matters.
    using RandomSource = std::function<int()>;

    CComputerPlayer(CPublic& table, RandomSource random);

    // Lays one or more cards of one suit face up; false with an empty hand.
    bool ComputerLead(const int& seat);
    // Covers every unbeaten card of the others; false when it laid nothing.
    bool ComputerBeat(const int& seat);
    // Throws face down as many cards as were led (fewer when the hand is short).
    void ComputerThrow(const int& seat);

    // Fills hand (room for 3) with the seat's cards: strongest first when
    // byValue, otherwise plain cards before trumps, most points first.
    // Returns the number of cards.
    int SortHandForBeat(const int& seat, CCard** hand, bool byValue);

    // pairs[k] = {hand index, table index}, -1 when unused. True when every
    // led column has a beater.
    bool MatchBeats(CCard* const* tableList, CCard* const* handList, int pairs[3][2]);

private:
    // The seat's hand cards in deck order (at most 3; a fourth is an error).
    int CollectHand(const int& seat, CCard** hand);
    int ActiveSeats() const;

    CPublic& m_Table;
    RandomSource m_Random;
};
