#pragma once
// The game window of the network program: the table drawn over the whole
// client area, the chat panel in its lower left corner, and the flow of a
// party among two to four peers. Every peer runs the whole table on its own:
// its player's moves from the mouse, the others' from their records. The
// peer that acts sends what it did; every table reports the end of its deal
// and take animations, and the next step waits for the slowest table.
//
// Threads: every step that reads or changes the table runs on the window's
// game strand, in the order its causes arrived (clicks, timers, records,
// session events). The window's own thread never reads the table while the
// strand may run; what the menu, the keys and the shell need to know is kept
// in atomic flags the strand updates.

#include "DirectPlay.h"
#include "GameStrand.h"
#include "NetSeats.h"
#include "Public.h"
#include "TableMoves.h"
#include "Telegraph.h"
#include "Wnd.h"

#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <deque>
#include <set>

class CPlayNet : public CWnd {
    Q_OBJECT
public:
    static constexpr UINT TIMER_LABEL = 102;
    static constexpr UINT TIMER_AUTO_TAKE = 108;
    static constexpr UINT TIMER_ZANTA = 110;
    static constexpr UINT TIMER_CONTINUE = 111;
    static constexpr UINT TIMER_END_DISTR = 113;
    static constexpr UINT TIMER_END_TAKE = 114;
    static constexpr UINT TIMER_SEAT = 117;
    static constexpr UINT TIMER_BARRIER_WATCH = 118;
    static constexpr int kStarsGame = 5;
    static constexpr int kStarsNoGame = 1000;

    explicit CPlayNet(QWidget* parent = nullptr);
    ~CPlayNet() override;

    // Menu commands of the game (new party, next game, the party kinds);
    // true when the window handled the command.
    bool OnCommand(UINT id);
    bool IsCommandEnabled(UINT id) const;
    bool IsCommandChecked(UINT id) const;

    // The party kind; send tells the other peers.
    void SetGameKind(bool game31, bool send);
    // The stars game; in a party to 31 points the stars are dealt anew.
    void SetGameForStars(bool on, bool send);
    // The general settings page's WM_PUBLIC_SETTING.
    void OnPublicSetting(UINT control, int state);
    // The five shared settings to every other peer.
    void SendSettings();
    // The local player's new name, after the names dialog: the seat, the
    // victory table, the seat order and the session learn it.
    void ChangeName(const QString& name);
    // "Выход из игры": the session starts afresh and the table is left alone.
    bool RestartPeer();

    // Nothing moves, no step runs or waits on the strand.
    bool IsIdle() const;
    // The table still waits for the other peers to finish a deal or a take.
    bool WaitsForPeers() const;
    // A step of the game is armed to start by itself: a take, a zanta, a
    // refill, a barrier's check or the seating of a newcomer.
    bool HasArmedStep() const;
    // A running party is to be left: the frame's idle processing starts the
    // new party once the table is still.
    std::atomic<bool> m_BreakRequested{false};
    void RunBreak();
    // The window goes: no timer starts a step any more, the strand ends.
    void StopPlay();

    int NumberPlayers() const { return m_Players.load(); }
    // The table in the session's terms, seat numbers replaced by the
    // players' ids, so that every peer's dump of the same game is the same.
    // Read only while IsIdle().
    QString DumpTable();
    // Records this window sent and records it received, for tests that
    // wait until nothing is on its way.
    int RecordsSent() const { return m_Sent.load(); }
    int RecordsReceived() const { return m_Received.load(); }
    // The local player may act now: a card to play or the button to press.
    bool CanAct() const { return m_CanAct.load(); }
    // The caption of the action button; empty when it is hidden.
    QString ButtonCaption() const;
    // Presses the action button, as a click on it would.
    void PressButton();
    // The local player's chat line, to every other peer.
    void SendChat(const QString& text);
    // Shows or hides the chat panel ("Чат игроков"); with three or four
    // players it stays shown.
    void ShowTelegraph(bool show);

    // The game's pauses (the take, the refill, the zanta, the polls for the
    // other tables) in percent of their length; tests play fast.
    std::atomic<int> m_PacePercent{100};
    // How long one table alone may hold up the end of a deal or a take
    // before it is declared departed; 0 for the usual bound.
    std::atomic<int> m_BarrierBoundMs{0};

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
    std::atomic<bool> m_LockAddPlayers{true};
    std::atomic<bool> m_GameForStars{false};
    std::atomic<int> m_NumberStars{kStarsGame};
    bool m_ShowTelegraph = false;

    CPublic m_Public;
    CDirectPlay m_DirectPlay;
    CTelegraph m_Telegraph;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT id) override;
    BOOL OnEraseBkgnd(QPainter& dc) override;
    void OnLButtonDown(UINT flags, QPoint point) override;
    void OnSize(UINT type, int cx, int cy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Runs step on the strand, guarded: an exception writes errorLine to
    // the session log and abandons the step.
    void Step(const char* errorLine, std::function<void()> step);
    void Log(const char* line);
    // A record the table will not apply: logged, nothing changes.
    void Refuse(DPNID sender, const char* what);
    // Timers of the window, armed and killed from the strand.
    void Arm(UINT id, UINT ms);
    void Disarm(UINT id);
    UINT Paced(UINT ms) const;
    void OnSessionPost(LPARAM ticket);

    // Session events (strand).
    void OnCreatePlayer(DPNID player);
    void SeatNewPlayers();
    void OnDestroyPlayer(DPNID player, const QByteArray& name, bool hostLeft);
    void OnHostMigrate(DPNID newHost);
    void OnPeerInfo(DPNID player);
    void LeaveSession();
    // The host removes a departed seat, compacts and tells the others.
    void RemoveSeat(DPNID departed, const QByteArray& name);
    // Takes a departed seat off the table; returns the next dealer's id.
    DPNID DropSeat(DPNID departed);
    void AfterDeparture(DPNID nextDealer);
    // The current player and the deal start seat as players, across a
    // change of seat numbers.
    struct SeatIds {
        DPNID current = 0;
        DPNID dealStart = 0;
    };
    SeatIds KeepSeatIds() const;
    void RestoreSeatIds(const SeatIds& ids);

    // Records (strand).
    void Dispatch(DPNID sender, const QByteArray& record);
    void ApplyPlayerOrder(DPNID sender, const netrec::PlayerOrderRecord& order);
    void ApplyDeparture(DPNID sender, const netrec::PlayerOrderRecord& order);
    void ApplyParty(DPNID sender, const netrec::PartyRecord& r);
    void ApplyGoCard(DPNID sender, const netrec::GoCardRecord& r);
    void ApplyAnswer(DPNID sender, const netrec::TableRecord& r);
    void ApplyTurn(DPNID sender, const netrec::TurnRecord& r);
    void ApplyContinue(DPNID sender, const netrec::TurnRecord& r);
    void ApplyZanta(DPNID sender, const netrec::TurnRecord& r);
    void ApplySettings(DPNID sender, const netrec::SettingRecord& r);
    void CountAck(DPNID sender, bool take);
    void DealerDone(DPNID sender);

    // The game (strand).
    void StartDeal(bool newParty);
    void ResetParty();
    void Deal(bool dealer);
    void SendEndOf(bool take);
    void CheckBarriers();
    void WatchBarrier();
    int BarrierBoundMs() const;
    void AfterDeal();
    void PassTurn(int seat, bool zanta);
    void AnnounceTurn(bool zanta);
    void PlayZanta(int holder);
    void LocalCard(CCard* card);
    void SendAnswer(CCard* card);
    void LocalFurther();
    void TakeTable(DPNID taker, bool local);
    void ContinueAfterTake();
    void EndGame(int winner);
    void StopGame();
    void GatherCards();
    void ApplyGameKind(bool game31, DPNID by, bool keepParty = false);
    void SendSettingsNow();
    void Send(const QByteArray& record);
    void SendTurnRecord(NetMessageId id, DPNID player, bool zanta);

    // Labels, button, layout (strand).
    void Message(const QString& text);
    void Announce(const QString& text, int effect = 0);
    void AnnounceDealer();
    void AnnounceWaiting();
    void ShowButton(const QString& text, bool show);
    void ShowVictory(int seat);
    void Relayout();
    void SetPlayerCount(int n);
    void SetTelegraphSeats();
    // What the window's thread may know, taken after every step.
    void Publish();

    int LocalSeatOf(DPNID player) const;
    DPNID IdOf(int seat) const;
    DPNID LocalId() const;
    QString SeatName(int seat) const;
    int PlayingSeats() const;
    std::set<DPNID> OtherSeated() const;
    bool InSession(DPNID player) const;
    // Seated here and playing the party (not sitting out).
    bool PlaysHere(DPNID player) const;
    bool IsHost() const { return m_DirectPlay.m_SessionState == 1; }
    bool IsTurnOf(DPNID sender) const;
    bool FromHost(DPNID sender, const netrec::PlayerOrderRecord& order) const;
    CCard* FindCard(int mast, int value) const;

    CGameStrand m_Strand;
    CTableMoves m_Moves;
    CNetSeats m_Seats;
    std::atomic<bool> m_Stopped{false};
    // Expires with the window: timer calls posted to the GUI thread by the
    // strand check it, as they may come due after the window is gone.
    std::shared_ptr<int> m_Alive = std::make_shared<int>(0);
    // Counts the sessions left: steps of an earlier one do nothing.
    std::atomic<int> m_Generation{0};
    std::atomic<QSize> m_ClientSize{QSize()};

    // Strand state.
    bool m_Seated = false;      // this table has its seats from the host
    bool m_JustSeated = false;  // the whole table came; the party's settings follow
    int m_TelegraphSeats = 0;   // the chat panel's player count (GUI thread)
    bool m_Dealer = false;      // this peer dealt the current deal
    bool m_GameOn = false;      // cards are dealt and the game is not over
    bool m_FirstTurnDue = false; // dealt, the first turn not yet given
    bool m_NextIsNewParty = true;
    bool m_Interrupted = false;
    bool m_KindShown = false;
    bool m_EndDistrSent = true;
    bool m_EndTakeSent = true;
    int m_DealStartSeat = 0;
    int m_ZantaDue = 0;
    DPNID m_DealerId = 0;     // who dealt the current deal (or refill)
    DPNID m_NextDealerId = 0; // who deals next; 0 while a game runs
    DPNID m_TakerId = 0;      // who took the last trick, until his refill is dealt
    DPNID m_HostLeftId = 0;
    QByteArray m_HostLeftName;
    std::set<DPNID> m_DistrAwaited; // peers whose end of deal is still to come
    std::set<DPNID> m_TakeAwaited;
    // Tables whose end of this table's deal, stopped by a departure, is
    // still to come; the deal is dealt again once they are in.
    std::set<DPNID> m_VoidDealEnds;
    bool m_RedealDue = false;
    DPNID m_Laggard = 0; // the one table the barrier still waits for
    QElapsedTimer m_LaggardSince;
    std::deque<DPNID> m_Joiners; // players to seat, in the order they came
    QString m_LabelBefore;

    // Read by the window's thread.
    std::atomic<int> m_Players{1};
    std::atomic<bool> m_DealPending{false};
    std::atomic<bool> m_TakePending{false};
    std::atomic<bool> m_MayDeal{false};
    std::atomic<bool> m_MayNextGame{false};
    std::atomic<bool> m_PartyLeader{true};
    std::atomic<bool> m_MaySetShared{true};
    std::atomic<bool> m_GameRuns{false};
    std::atomic<bool> m_Game31{true};
    std::atomic<bool> m_CanAct{false};
    std::atomic<int> m_Sent{0};
    std::atomic<int> m_Received{0};
    mutable std::mutex m_ButtonMutex;
    QString m_ButtonText;
};
