#pragma once
// Drives the real single-player window the way a user does: simulated mouse
// clicks on the card windows and on the table's action button, choosing legal
// cards from what the table shows.

#include "MainFrame.h"
#include "TestUtil.h"

#include <QString>

#include <memory>

class ProgramDriver {
public:
    // A fresh program with a short game rate and animations off.
    ProgramDriver(int players, bool game31, bool animate = false);
    ~ProgramDriver();

    CMainFrame& Frame() { return *m_Frame; }
    CPlayWithComputer& View() { return *m_Frame->View(); }
    CPublic& Table() { return View().m_Public; }

    // Presses the action button if it shows this caption.
    bool PressButton(const QString& caption);
    void ClickCard(CCard* card);
    // Waits until the user can act or the party is over; false on time-out.
    bool WaitForUser(int timeoutMs = 20000);
    bool IsUsersTurn();
    // Makes one legal move for the user: lead, "Далее", beat or throw.
    void MakeUserMove();
    // Plays until "Вы выиграли!" or "Вы проиграли!"; checks each game's end.
    // Returns an empty string or what went wrong.
    QString PlayParty(int maxGames = 400);

    // Pixels where the window on screen differs from what its widgets paint
    // afresh now: what a moved or turned card left behind. Their bounds go
    // to where.
    int StalePixels(QRect* where = nullptr);

    int GamesChecked() const { return m_GamesChecked; }
    // With ZANTA_SHOT_DIR set, saves a picture of the window there (for
    // looking at a party as a user sees it); otherwise nothing.
    void Snapshot(const QString& name);

private:
    QString CheckGameEnd(const int starsBefore[4], const int ballsBefore[4]);

    // Animation pauses are counted, not slept: the rules run at full speed.
    testutil::PauseCounter m_NoPauses;
    std::unique_ptr<CMainFrame> m_Frame;
    int m_GamesChecked = 0;
};
