#pragma once
// Headless self-play: one table driven through whole parties by computer
// seats only, with animations off, through the same table moves the programs
// make: the lead, the answers in turn order, the take by the highest face-up
// card, the refill from the taker, the end of the game with stars or balls,
// drop-outs and the end of the party. Every move is followed by a check of the
// table's invariants, every game by a check of its stars or balls; the first
// broken one stops the party with a message.

#include "ComputerPlayer.h"
#include "Public.h"
#include "Random.h"
#include "TableMoves.h"

#include <QString>

#include <cstdint>
#include <memory>

class CWnd;

struct SelfPlayStats {
    int parties = 0;
    int games = 0;
    int zantaDeals = 0;      // deals after which a seat held three trumps
    int zantaGames = 0;      // games won by three trumps
    int allTakenGames = 0;   // 31-point games ended with every card taken
    std::int64_t moves = 0;
};

class CSelfPlayParty {
public:
    // Bounds that no sound party comes near; passing one is a failure.
    static constexpr int kMaxGamesPerParty = 2000;
    static constexpr int kMaxStepsPerGame = 500;
    // A party that never ends fails within seconds, not at the test's time-out.
    static constexpr int kPartyDeadlineMs = 20000;

    CSelfPlayParty(CWnd* window, int players, bool game31, std::uint32_t seed);
    ~CSelfPlayParty();

    // Plays one whole party. False when an invariant broke or a bound was
    // passed; Failure() tells what happened.
    bool PlayParty();
    const QString& Failure() const { return m_Failure; }
    const SelfPlayStats& Stats() const { return m_Stats; }
    CPublic& Table() { return *m_Table; }
    // The seat left at the end of the last party.
    int LastWinner() const { return m_LastWinner; }
    // Off for measuring the engine alone; on by default.
    void SetCheckInvariants(bool on) { m_CheckInvariants = on; }
    // Called before stars and balls change at the end of each game.
    void SetBreakHook(void (*hook)()) { m_BreakHook = hook; }
    // Seat 1 plays as a careless user would: random cards pressed through
    // the user's own lead and answer moves.
    void SetRandomUser(bool on) { m_RandomUser = on; }

    // The end of a trick as the flow handles it; public so tests can run it
    // on a constructed deal. Returns false when the game is over.
    bool AfterTrick();

private:
    bool Deal();
    bool PlayGame();
    bool Step();
    void EndGame(int winner, bool byZanta);
    void CheckScoring(int winner, const int* stars, const int* balls);
    bool UserMove();
    CCard* RandomHandCard(int seat);
    bool Fail(const QString& what);
    bool CheckInvariants(const char* after);
    bool CheckAnswer(int seat);

    std::unique_ptr<CPublic> m_Table;
    platform::Lcg m_Random;
    CTableMoves m_Moves;
    CComputerPlayer m_Computer;
    int m_NumberStars = 5;
    int m_LastFirstPlayer = 0;
    int m_LastWinner = 0;
    int m_Winner = 0; // of the last game
    bool m_GameOver = false;
    bool m_CheckInvariants = true;
    bool m_RandomUser = false;
    void (*m_BreakHook)() = nullptr;
    QString m_Failure;
    SelfPlayStats m_Stats;
};
