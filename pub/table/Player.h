#pragma once
// One seat of the table: the player's name, parties won, score board, stars and
// whether he has dropped out of the party.

#include "MyLabel.h"
#include "Star.h"
#include "Tablo.h"

#include <QString>

#include <atomic>
#include <cstdint>

class CWnd;
class QPainter;

class CPlayer {
public:
    CPlayer();
    // Copies carry the values over; the widgets of the target keep their
    // windows and places.
    CPlayer(const CPlayer& other);
    CPlayer& operator=(const CPlayer& other);

    void SetParent(CWnd* parent);
    void SetName(const QString& name);
    // The player's name, without what the label adds to it. Any thread.
    QString Name() const;
    // A seat the computer plays while its player is away: the label says so
    // after the name.
    void SetHeld(bool held);
    bool IsHeld() const { return m_Held; }
    // Called from the table's painting.
    void SetDC(QPainter* dc);

    void ResetScores();
    void ResetBalls();
    void ResetVictory();
    void ResetTabloColor();

    CMyLabel m_LabelName;
    int m_Victory;
    CTablo m_Tablo;
    bool m_Out;
    CStar m_Star;
    // The network program: the peer-session id of the seat's player (0 for
    // an empty seat), and whether he joined during a party and waits for
    // the next one.
    std::uint32_t m_PlayerID = 0;
    bool m_Waiting = false;

private:
    // The label is the one place the name is kept: it guards it for the
    // threads that read it.
    std::atomic<bool> m_Held{false};
};
