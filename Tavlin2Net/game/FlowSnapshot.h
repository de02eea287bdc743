#pragma once
// What the window's thread may know of the network table: taken by the game
// strand after every step (the counts and the button as they change), read
// by the window for its menu, its keys, its button and the shell.

#include <QString>

struct CFlowSnapshot {
    int players = 1;          // seats taken, at least one
    bool mayDeal = false;     // this peer deals next and nothing holds the deal up
    bool mayNextGame = false; // ... and the next deal goes on the party
    bool dealPending = false; // a deal waits for the other tables to end it
    bool takePending = false; // so does a take
    bool gameRuns = false;    // cards are dealt and the game is not over
    bool game31 = true;       // a party to 31 points, not to 12 balls
    bool partyLeader = true;  // may change the party's kind
    bool maySetShared = true; // may change the shared settings
    bool hosts = true;        // hosts the game, or is in none
    bool canAct = false;      // a card to play or the button to press
    QString button;           // the action button's caption; empty when hidden
    int sent = 0;             // records sent to the session
    int received = 0;         // records received from it
};
