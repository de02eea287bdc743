#pragma once
// The game view of the single-player program: the table drawn over the whole
// client area, and the flow of a party between the user (seat 1) and one to
// three computer seats. Play is paced by one-shot window timers; every step
// that moves cards runs on a short-lived worker thread so the window keeps
// painting while cards glide. One game worker runs at a time, and the window's
// thread touches the table only while nothing animates and no worker runs,
// which serialises play without locks on the table. What the menu and keys
// need to know meanwhile is kept in the view's own atomic flags.

#include "Commands.h"
#include "ComputerPlayer.h"
#include "Public.h"
#include "Random.h"
#include "TableMoves.h"
#include "Wnd.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

// Number of the view's worker threads running.
extern std::atomic<int> g_CountWorkThreads;
// The seat drawn at random to begin the previous new party.
extern std::atomic<int> g_LastFirstPlayer;

class CPlayWithComputer : public CWnd {
    Q_OBJECT
public:
    static constexpr UINT TIMER_FIRST_HELP = 1;
    static constexpr UINT TIMER_STEP = 106;
    static constexpr UINT TIMER_ZANTA = 107;
    // Polls for the table to become idle, only while something waits for it.
    static constexpr UINT TIMER_IDLE = 200;

    explicit CPlayWithComputer(QWidget* parent = nullptr);
    ~CPlayWithComputer() override;

    // Menu commands; true when the view handled the command.
    bool OnCommand(UINT id);
    bool IsCommandEnabled(UINT id);
    bool IsCommandChecked(UINT id);

    // True while any animation or worker of the view runs.
    static bool IsBusy();
    // Runs fn as soon as nothing animates and no worker runs: at once when
    // the table is idle already. This is how an abandoned party restarts, a
    // change of table waits for running steps, and the window closes.
    void RunWhenIdle(std::function<void()> fn);
    bool HasIdleWork() const { return !m_IdleWork.empty() || m_BreakParty; }
    // The window goes: no timer may start another step.
    void StopPlay();

    void OnNewParty();
    void SetNumberPlayers(int n);
    void SetGameKind(bool game31);
    void SetGameForStars(bool on);
    void OnCardClick(CCard* card);
    void OnButtonClick(QPoint point);
    // The user's hand, left to right on the table.
    std::vector<CCard*> UserHand();
    // Whether a game is over and the party goes on (F2, "Следующая игра").
    bool IsNextGameReady() const;
    // The last state of the party seen while the table was still
    // (CPublic::StateGame's bits).
    int PartyState() const { return m_PartyState; }

    // Called when the window title should change.
    std::function<void(const QString&)> m_SetTitle;
    // Called when the party kind changes: the settings page enables the
    // check boxes that only a party to 31 points uses.
    std::function<void(bool game31)> m_GameKindChanged;
    // Shows the rules dialog; the shell installs it.
    std::function<void()> m_ShowFirstHelp;
    // Runs the names dialog; the shell installs it.
    std::function<void()> m_ShowNames;

    CPublic m_Public;
    std::atomic<int> m_GameRate{750};
    std::atomic<bool> m_UserMoved{true};
    bool m_NoShowNameWnd = false;
    std::atomic<bool> m_BreakParty{false};
    std::atomic<bool> m_GameForStars{false};
    std::atomic<int> m_NumberStars{5};
    std::atomic<bool> m_FirstHelp{false};
    // The current game is over (or none has been dealt yet).
    std::atomic<bool> m_GameEnded{true};
    // A zanta is being shown before it ends a 31-point game.
    std::atomic<bool> m_ZantaPending{false};

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT id) override;
    BOOL OnEraseBkgnd(QPainter& dc) override;
    void OnLButtonDown(UINT flags, QPoint point) override;
    void OnSize(UINT type, int cx, int cy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Starts a new party's worker, asking nothing.
    void StartNewParty();
    // Worker bodies.
    void NewParty();
    void StartGame();
    void StepGame();
    void ZantaEnd();

    void ResetParty();
    void ResetGame();
    void DistrCards(int seat);
    void EndGame(int winner);
    void Announce(const QString& text, int effect);
    // A party under way, not lost by the user: leaving it needs a yes.
    bool IsPartyUnderWay() const;
    bool ConfirmAbandon(const QString& question);
    // Cuts every animation short, stops the game's timers and leaves the new
    // party to the idle processing, after whatever idle work the caller
    // queues; drawFirstSeat draws its first seat anew.
    void AbandonParty(bool drawFirstSeat);
    void KillGameTimers();
    // Arms a game timer unless the party is being abandoned or the window goes.
    void ArmTimer(UINT id, int ms);

    // Starts fn on a worker thread counted in g_CountWorkThreads.
    void StartWorker(std::function<void()> fn);
    // The same for a step of the game, which moves cards: one at a time.
    // False (and nothing started) while another one runs.
    bool StartGameWorker(std::function<void()> fn);
    // Runs fn on the GUI thread (table widgets the paint code reads).
    static void OnGui(const std::function<void()>& fn);
    QString SeatName(int seat);
    int NextRandom();

    void OnIdle();

    std::vector<std::function<void()>> m_IdleWork;
    bool m_Stopped = false;
    bool m_DrawFirstSeat = false;
    bool m_FirstHelpArmed = false;
    std::atomic<bool> m_GameWorker{false};
    std::atomic<bool> m_Dealing{false};
    std::atomic<int> m_PartyState{e_StateNoParty};
    std::mutex m_RandomMutex;
    platform::Lcg m_Random;
    CTableMoves m_Moves;
    CComputerPlayer m_Computer;
};
