#pragma once
// Whole network tables in one thread of time: two to four flows over a
// simulated session, each with its own virtual clock. A seeded generator
// chooses every moment: which record arrives next, whose timer runs out,
// which player acts, and when a player's program crashes, leaves, is renamed
// or switches the party's kind. After every moment the tables are checked:
// each keeps the deck whole and no hand above three cards, refuses nothing
// another sent, those still in the session agree once nothing is on its way,
// someone can always act or has a timer running, and each does what the
// rules give next (RulesWatch). A failure names its
// seed, and ZANTA_NETSIM_SEED=<seed> replays exactly that run.

#include "RulesWatch.h"
#include "SimTable.h"

#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class TableSim {
public:
    // What may happen besides play, departures, renames and kind switches.
    struct Upsets {
        // Newcomers during the run (ZANTA_NETSIM_JOINS=0 leaves them out).
        bool joins = On("ZANTA_NETSIM_JOINS");
        // The stars game switched on and off (ZANTA_NETSIM_STARS=0 leaves
        // it alone).
        bool stars = On("ZANTA_NETSIM_STARS");
        // The host keeps a departed player's seat, played by the computer
        // (ZANTA_NETSIM_HOLD=1 for every run).
        bool holdSeats = qEnvironmentVariableIntValue("ZANTA_NETSIM_HOLD") != 0;

    private:
        static bool On(const char* name) {
            return !qEnvironmentVariableIsSet(name) || qEnvironmentVariableIntValue(name) != 0;
        }
    };
    TableSim(std::uint64_t seed, Upsets upsets)
        : m_Seed(seed), m_Net(seed), m_Joins(upsets.joins), m_Stars(upsets.stars),
          m_HoldSeats(upsets.holdSeats) {}
    explicit TableSim(std::uint64_t seed) : TableSim(seed, Upsets()) {}

    // Empty when the run kept every rule; otherwise what broke, and the
    // last moments before it.
    QString Run(int moments);
    // Games dealt during the run (each new game number the host's table
    // showed), and the virtual time the run took.
    int Games() const { return m_Games; }
    // Players who came back to their held seats, and claims to one made
    // without its token (each seated is a failure of the run).
    int Returns() const;
    int ForgedClaims() const;
    std::int64_t VirtualMs() const;

private:
    struct Seat {
        std::unique_ptr<SimTable> table;
        bool gone = false; // crashed or left: no longer checked
        // Joined during the run: it learns the game's number and whose turn
        // it is from the next deal, and counts once seated.
        bool late = false;
        std::uint64_t joinedAt = 0;
        // What the rules give next at this table, once it counts.
        std::unique_ptr<RulesWatch> rules;
        // A departed player's program started again to take his held seat
        // back; forged: another program that only bears his name.
        bool returning = false;
        bool forged = false;
        std::uint32_t returnsFrom = 0; // the held seat's player id
    };
    bool Live(const Seat& s) const { return !s.gone; }
    int LiveCount() const;
    // Lets the strands finish what they were given, serving the GUI thread.
    bool Drain();
    bool Quiet();
    QString Check(bool quiet);
    // Every counted table against the rules, after a moment.
    QString Watch();
    // What each table shows and waits for, to explain a failure.
    QString State() const;
    void Moment();
    bool PlayerActs(SimTable& t);
    void Upset();
    void Join();
    // A departed player whose seat the host holds comes back (or another
    // claims the seat under his name).
    bool Return();
    SimTable& AddLate(const QString& name, const SimTable& host, const QByteArray& token = {});
    // Seated like every other live table (a late one once the host took it).
    bool Counts(const Seat& s) const;
    void Note(const QString& what);
    std::uint64_t Pick(std::uint64_t n) { return m_Net.Random(n); }

    std::uint64_t m_Seed;
    CSimNetwork m_Net;
    std::vector<Seat> m_Seats;
    QStringList m_Trace;
    int m_Upsets = 0;
    std::uint64_t m_Moment = 0;
    int m_Games = 0;
    int m_LastGame = 0;
    const bool m_Joins;
    const bool m_Stars;
    const bool m_HoldSeats;
};
