#pragma once
// The decisions of a computer seat: lead, beat or throw. Every decision is
// computed afresh from the table; the seat remembers nothing between moves and
// sees no other hand. The only chance element is one draw in ten when leading,
// taken from the random source the player is given.
//
// Both programs use it: the single-player table plays its computer seats
// with it, and the network table plays a departed player's seat while it
// waits for him. Choose... only decides, so that a caller can carry the move
// as it carries any other; Computer... decides and plays it on the table.

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class CCard;
class CPublic;

class CComputerPlayer {
public:
    // Returns a non-negative number; only its value modulo 10 matters.
    using RandomSource = std::function<int()>;

    CComputerPlayer(CPublic& table, RandomSource random);

    // The cards to lead, in the order they are laid: one or more of one
    // suit; none with an empty hand.
    std::vector<CCard*> ChooseLead(const int& seat);
    // Each of the seat's cards with the card it covers, covering every
    // unbeaten card of the others; nothing when the seat does not beat.
    std::optional<std::vector<std::pair<CCard*, CCard*>>> ChooseBeats(const int& seat);
    // The cards to throw face down: as many as were led (fewer when the
    // hand is short).
    std::vector<CCard*> ChooseThrow(const int& seat);

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
