#pragma once
// The game window of the network program: the table drawn over the whole
// client area, the chat panel in its lower left corner, the menu's commands
// and the input. The party itself runs in the window's table flow, on its
// game strand; the window hands it the clicks, keys, commands and timers,
// does what the flow asks of the window (IFlowView), and learns what it
// shows from the flow's snapshot. The window's own thread never reads the
// table while the strand may run.

#include "DirectPlay.h"
#include "FlowSnapshot.h"
#include "FlowView.h"
#include "NetTableFlow.h"
#include "Public.h"
#include "TableMoves.h"
#include "Telegraph.h"
#include "TimerClock.h"
#include "Wnd.h"

#include <atomic>
#include <functional>

class CPlayNet : public CWnd, private IFlowView {
    Q_OBJECT
public:
    static constexpr UINT TIMER_END_DISTR = CNetTableFlow::TIMER_END_DISTR;
    static constexpr UINT TIMER_END_TAKE = CNetTableFlow::TIMER_END_TAKE;
    static constexpr UINT TIMER_CONTINUE = CNetTableFlow::TIMER_CONTINUE;
    static constexpr int kStarsGame = CNetTableFlow::kStarsGame;
    static constexpr int kStarsNoGame = CNetTableFlow::kStarsNoGame;

    explicit CPlayNet(QWidget* parent = nullptr);
    ~CPlayNet() override;

    // Menu commands of the game (new party, next game, the party kinds);
    // true when the window handled the command.
    bool OnCommand(UINT id);
    bool IsCommandEnabled(UINT id) const;
    bool IsCommandChecked(UINT id) const;

    // The party kind; send tells the other peers.
    void SetGameKind(bool game31, bool send) { m_Flow.SetGameKind(game31, send); }
    // The stars game; in a party to 31 points the stars are dealt anew.
    void SetGameForStars(bool on, bool send);
    // The general settings page's WM_PUBLIC_SETTING.
    void OnPublicSetting(UINT control, int state);
    // The five shared settings to every other peer.
    void SendSettings() { m_Flow.SendSettings(); }
    // The local player's new name, after the names dialog: the seat, the
    // victory table, the seat order and the session learn it.
    void ChangeName(const QString& name) { m_Flow.ChangeName(name); }
    // The token that proves a held seat this player's (see CNetTableFlow).
    void SetSeatToken(const QByteArray& token, std::function<void(const QByteArray&)> keep) {
        m_Flow.SetSeatToken(token, std::move(keep));
    }
    // "Выход из игры": the session starts afresh and the table is left alone.
    bool RestartPeer() { return m_Flow.RestartPeer(); }

    // Nothing moves, no step runs or waits on the strand.
    bool IsIdle() const { return m_Flow.IsIdle(); }
    // The table still waits for the other peers to finish a deal or a take.
    bool WaitsForPeers() const;
    // A step of the game is armed to start by itself.
    bool HasArmedStep() const { return m_Flow.HasArmedStep(); }
    std::vector<UINT> ArmedTimers() const { return m_Flow.ArmedTimers(); }
    // Runs the step armed under id out now, as its timer would (tests end a
    // long pause so); false when it is not armed.
    bool RunOut(UINT id);
    // A running party is to be left: the frame's idle processing starts the
    // new party once the table is still.
    std::atomic<bool> m_BreakRequested{false};
    void RunBreak();
    // The window goes: no timer starts a step any more, the strand ends.
    void StopPlay();

    // What the flow published last.
    CFlowSnapshot Snapshot() const { return m_Flow.Snapshot(); }
    int NumberPlayers() const { return Snapshot().players; }
    // The table in the session's terms; read only while IsIdle().
    QString DumpTable() { return m_Flow.DumpTable(); }
    // Reads the table between two steps of the game (see CNetTableFlow).
    bool ReadBetweenSteps(const std::function<void()>& read) { return m_Flow.ReadBetweenSteps(read); }
    // Records this window sent and records it received, for tests that
    // wait until nothing is on its way.
    int RecordsSent() const { return Snapshot().sent; }
    int RecordsReceived() const { return Snapshot().received; }
    // The local player may act now: a card to play or the button to press.
    bool CanAct() const { return Snapshot().canAct; }
    // The caption of the action button; empty when it is hidden.
    QString ButtonCaption() const { return Snapshot().button; }
    // Presses the action button, as a click on it would.
    void PressButton();
    // The local player's chat line, to every other peer.
    void SendChat(const QString& text) { m_Flow.SendChat(text); }
    // Shows or hides the chat panel ("Чат игроков"); with three or four
    // players it stays shown.
    void ShowTelegraph(bool show);

    // Shell hooks, called on the window's thread.
    std::function<void(const QString&)> m_SetTitle;
    // The check boxes that follow the shared settings received from a peer.
    std::function<void(UINT control, bool on)> m_SetCheck;
    // Enables or disables the check boxes 1077, 1078 and 1080 together.
    std::function<void(bool enable)> m_EnableSharedChecks;
    // Shows or hides the settings sheet (hidden with the window).
    std::function<void(bool show)> m_ShowSettings;
    // Shows a notice (a departure, a deal refused) without holding up the
    // game; a message box unless replaced.
    std::function<void(const QString& text, const QString& caption)> m_Notice;

    // Settings kept between runs; the shell reads and writes them.
    bool m_ShowNameWnd = false;
    bool m_ShowTelegraph = false;

    CPublic m_Public;
    CDirectPlay m_DirectPlay;
    CTelegraph m_Telegraph;

private:
    CTableMoves m_Moves;
    CTimerClock m_Clock;

public:
    CNetTableFlow m_Flow;
    // The flow's pace, barrier bound and shared settings, under the names
    // the shell and the tests know.
    std::atomic<int>& m_PacePercent = m_Flow.m_PacePercent;
    std::atomic<int>& m_BarrierBoundMs = m_Flow.m_BarrierBoundMs;
    std::atomic<bool>& m_LockAddPlayers = m_Flow.m_LockAddPlayers;
    std::atomic<bool>& m_HoldSeats = m_Flow.m_HoldSeats;
    std::atomic<bool>& m_GameForStars = m_Flow.m_GameForStars;
    std::atomic<int>& m_NumberStars = m_Flow.m_NumberStars;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnEraseBkgnd(QPainter& dc) override;
    void OnLButtonDown(UINT flags, QPoint point) override;
    void OnSize(UINT type, int cx, int cy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // A connect's end: its status, and why when it failed.
    void OnConnection(const CNetPost& post);
    // What the flow does to the window, each on the window's thread.
    QSize ClientSize() const override { return m_ClientSize.load(); }
    void Repaint() override;
    void ShowChatSeats(int players, const std::array<QString, 3>& names) override;
    void ShowChatName(int seat, const QString& name) override;
    void ShowChatLine(int seat, const QString& text) override;
    void Notice(const QString& text, const QString& caption) override;
    void ShowTitle(const QString& title) override;
    void ShowCheck(UINT control, bool on) override;
    void EnableSharedChecks(bool enable) override;

    std::atomic<bool> m_Stopped{false};
    std::atomic<QSize> m_ClientSize{QSize()};
    int m_TelegraphSeats = 0; // the chat panel's player count
};
