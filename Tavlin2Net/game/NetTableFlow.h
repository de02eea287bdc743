#pragma once
// The flow of a party at one peer's network table, among two to four peers.
// Every peer runs the whole table on its own: its player's moves from the
// window, the others' from their records. The peer that acts sends what it
// did; every table reports the end of its deal and take animations, and the
// next step waits for the slowest table.
//
// Threads: every step that reads or changes the table runs on the flow's
// game strand, in the order its causes arrived (clicks, timers, records,
// session events). The public calls below post such steps and may come from
// any thread; what other threads may know is in the snapshot the strand
// publishes after every step. The flow reaches the world only through what
// it is given: the table and its moves, the session, a clock and the view.

#include "DirectPlay.h"
#include "Clock.h"
#include "ComputerPlayer.h"
#include "FlowSnapshot.h"
#include "FlowView.h"
#include "GameStrand.h"
#include "NetSeats.h"
#include "Public.h"
#include "ReceivedRecord.h"
#include "TableMoves.h"

#include <atomic>
#include <deque>
#include <map>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <vector>

class CNetTableFlow {
public:
    // The flow's timers.
    static constexpr UINT TIMER_LABEL = 102;
    static constexpr UINT TIMER_AUTO_TAKE = 108;
    static constexpr UINT TIMER_ZANTA = 110;
    static constexpr UINT TIMER_CONTINUE = 111;
    static constexpr UINT TIMER_END_DISTR = 113;
    static constexpr UINT TIMER_END_TAKE = 114;
    static constexpr UINT TIMER_SEAT = 117;
    static constexpr UINT TIMER_BARRIER_WATCH = 118;
    static constexpr UINT TIMER_HELD_SEAT = 119;
    static constexpr UINT kTimers[] = {TIMER_LABEL,    TIMER_AUTO_TAKE, TIMER_ZANTA,
                                       TIMER_CONTINUE, TIMER_END_DISTR, TIMER_END_TAKE,
                                       TIMER_SEAT,     TIMER_BARRIER_WATCH, TIMER_HELD_SEAT};
    static constexpr int kStarsGame = 5;
    static constexpr int kStarsNoGame = netrec::kPartyMostStars;

    // strand: the program's own worker thread, or the caller's thread for a
    // simulation that runs everything in one thread of time.
    CNetTableFlow(CPublic& table, CTableMoves& moves, CDirectPlay& session, CClock& clock,
                  IFlowView& view, CGameStrand::Mode strand = CGameStrand::Mode::OwnThread);
    // Takes the session's events from the session (OnSessionEvent) until
    // stopped; the destructor stops.
    ~CNetTableFlow();
    CNetTableFlow(const CNetTableFlow&) = delete;
    CNetTableFlow& operator=(const CNetTableFlow&) = delete;

    // The local player's doings.
    void PlayCard(CCard* card);
    // Deals, a new party when asked or due; only the peer whose turn it is
    // deals, and a lone host is told why nothing is dealt.
    void RequestDeal(bool newParty);
    void RequestTake();
    void RequestFurther();
    // What the action button shows, as a click on it would ask.
    void PressButton();
    // The party kind; send tells the other peers.
    void SetGameKind(bool game31, bool send);
    // The stars game; in a party to 31 points the stars are dealt anew.
    void SetGameForStars(bool on, bool send);
    // A shared setting of the table's own (sound, closed throw, automatic
    // game, lock on new players); the caller sends the settings after.
    void SetTableOption(UINT control, bool on);
    // The five shared settings to every other peer.
    void SendSettings();
    void SendChat(const QString& text);
    // The local player's new name: the seat, the victory table, the seat
    // order and the session learn it.
    void ChangeName(const QString& name);
    // The token this program proves a held seat its own with when it joins
    // again, and what keeps it: told on the strand of each new token once
    // the old one is shown (a proof shows it to every member).
    void SetSeatToken(const QByteArray& token, std::function<void(const QByteArray&)> keep = {});
    QByteArray SeatToken() const;
    // The session starts afresh and the table is left alone; waits for the
    // strand to do it while serving what it asks of the GUI thread.
    bool RestartPeer();

    // A session event, on the session's thread, in the order the session
    // reported it: a record is decoded here and applied on the strand. False
    // for the events of the connection, which are the window's.
    bool OnSessionEvent(const CNetPost& post);
    // A timer of the clock ran out.
    void Fire(UINT id);
    // No timer starts a step any more, the strand ends.
    void Stop();

    // Nothing moves, no step runs or waits on the strand.
    bool IsIdle() const;
    // With the caller's strand: runs the steps waiting, on this thread.
    void RunQueuedSteps() { m_Strand.RunQueued(); }
    // A step of the game is armed to start by itself: a take, a zanta, a
    // refill, a barrier's check or the seating of a newcomer.
    bool HasArmedStep() const;
    // The ids of the timers armed now, for a report of a stall.
    std::vector<UINT> ArmedTimers() const;
    // What the strand published last.
    CFlowSnapshot Snapshot() const;
    // The table in the session's terms, seat numbers replaced by the
    // players' ids, so that every peer's dump of the same game is the same.
    // Taken between two steps of the strand; "busy" if no step ends in time.
    QString DumpTable();
    // Runs read on the strand between two steps and waits for it (any
    // thread; a window's thread keeps serving the strand meanwhile): the
    // table as it stands. False, with read not run, if no step ends within
    // ten seconds.
    bool ReadBetweenSteps(const std::function<void()>& read);

    // The game's pauses (the take, the refill, the zanta, the polls for the
    // other tables) in percent of their length; tests play fast.
    std::atomic<int> m_PacePercent{100};
    // How long one table alone may hold up the end of a deal or a take
    // before it is declared departed; 0 for the usual bound.
    std::atomic<int> m_BarrierBoundMs{0};
    // Shared settings kept between runs; the shell reads and writes them.
    std::atomic<bool> m_LockAddPlayers{true};
    // The host's choice: a player who leaves during a party keeps his seat,
    // which the host's table plays for him until the party ends.
    std::atomic<bool> m_HoldSeats{false};
    std::atomic<bool> m_GameForStars{true};
    std::atomic<int> m_NumberStars{kStarsGame};

private:
    // Runs step on the strand, guarded: an exception writes errorLine to
    // the session log and abandons the step.
    void Step(const char* errorLine, std::function<void()> step);
    void Log(const char* line);
    // A record the table will not apply: logged, nothing changes.
    void Refuse(DPNID sender, const char* what);
    // A move its sender made before he saw what this table has seen (the game
    // stopped, or a deal he has not yet ended): it is ignored, but no fault.
    bool MoveIsStale(DPNID sender) const;
    // The clock's timers, paced.
    void Arm(UINT id, UINT ms);
    void Disarm(UINT id);
    UINT Paced(UINT ms) const;

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
    // The host keeps a departed player's seat for the rest of the party,
    // when the party is on and the table holds seats; false when it does not.
    bool HoldSeat(DPNID departed);
    // At the party's end the host frees the seats it held.
    void FreeHeldSeats();
    // Every table tells its player whose seat the computer plays now.
    void NoticeHeld(const QString& name);
    // Coming back to a held seat. The host asks a newcomer who bears a held
    // seat's name for the token his program took the seat with; every table
    // checks the proof against the hash it was told; the host gives the seat
    // back at the next moment nothing moves, with the seat order.
    void TakeKnows(DPNID sender, const netrec::KnowsRecord& r);
    // A joiner's word on what it knows, once it can reach the others.
    void SendKnowsIfDue();
    void AnswerSeatAsk(DPNID sender, const netrec::SeatAskRecord& r);
    void TakeSeatProof(DPNID sender, const netrec::SeatProofRecord& r);
    // The held seat whose player's name the newcomer bears; 0 for none.
    DPNID HeldSeatNamed(DPNID newcomer) const;
    // For the host's seating: a newcomer coming back is asked, waited for,
    // given his seat or turned away. True when he is dealt with here (the
    // seating of later newcomers waits while he is asked).
    enum class Comeback { NotOne, Waiting, Done };
    Comeback SeatReturning(DPNID newcomer, const QString& name);
    // Nothing moves and no step of the game is due: a seat may change hands.
    bool AtStillPoint() const;
    void HandBack(DPNID held, DPNID player);
    // A held seat is its player's again, under his new id.
    void GiveSeatBack(DPNID held, DPNID player);
    // A record its sender wrote before he learned of a return names the
    // seat's old id: it is read as naming the new one. False when it names
    // none.
    bool NameReturned(CReceivedRecord& record) const;
    // The party's kind as a seat order carries it.
    BYTE PartyKind() const;
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
    void Dispatch(const CReceivedRecord& record);
    void ApplyPlayerOrder(const CReceivedRecord& record, const netrec::PlayerOrderRecord& order);
    // Once seated: the records that came before the seat order and that the
    // table it carries does not yet hold, taken now in the order they came.
    void TakeRecordsAfter(const CReceivedRecord& seatOrder);
    // Takes the host's seats (see CNetSeats::Take); the number of seats, 0
    // when the order does not seat this table.
    int ApplySeats(const netrec::PlayerOrderRecord& order, CNetSeats::Take take);
    void ApplyDeparture(DPNID sender, const netrec::PlayerOrderRecord& order);
    void ApplyParty(DPNID sender, const netrec::PartyRecord& r);
    // A newcomer its dealer did not know of when he dealt sits out until
    // the next party, as he would had he joined during the game.
    void SitOutUndealt(const std::vector<DPNID>& dealtBefore);
    void ApplyGoCard(DPNID sender, const netrec::GoCardRecord& r);
    void ApplyAnswer(DPNID sender, const netrec::TableRecord& r);
    void ApplyTurn(DPNID sender, const netrec::TurnRecord& r);
    void ApplyContinue(DPNID sender, const netrec::TurnRecord& r);
    void ApplyZanta(DPNID sender, const netrec::TurnRecord& r);
    void ApplySettings(DPNID sender, const netrec::SettingRecord& r);
    // The stars a party begins with, and the stars game's check box; the
    // stars on the boards change only with a party.
    void TakeStars(int stars);
    void CountAck(DPNID sender, bool take, std::optional<std::uint32_t> tag);
    // A refill or a take this table will not apply: refused, and its end
    // reported all the same.
    void RefuseEnded(DPNID sender, bool take, const char* what);
    std::uint32_t DealTag(DPNID dealer) const;
    static std::uint32_t PartyTag(DPNID dealer, const netrec::PartyRecord& r);
    std::uint32_t TakeTag(DPNID taker) const;
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
    // The dealer's first turn held back until this table's deal was over.
    void ApplyTurnAfterDeal();
    void PassTurn(int seat, bool zanta);
    void AnnounceTurn(bool zanta);
    void PlayZanta(int holder);
    void LocalCard(CCard* card);
    // seat (this table's own, or a held one it plays) answers with card: the
    // records go out and the card is laid.
    void Answer(int seat, CCard* card);
    void LocalFurther();
    // The turn passes on from seat, who has done his part.
    void Further(int seat);
    // The held seats' part, played by the host's table after a pause.
    enum class HeldPart { None, Deal, FirstTurn, Refill, Move };
    HeldPart HeldSeatDue() const;
    void ArmHeldSeat();
    void PlayHeldSeat();
    // The held seat whose turn it is leads, answers, passes the turn on or
    // takes.
    void HeldSeatMove(int seat);
    void TakeTable(DPNID taker, bool local);
    void ContinueAfterTake();
    void EndGame(int winner);
    void StopGame();
    void GatherCards();
    void ApplyGameKind(bool game31, DPNID by, bool keepParty = false);
    // The five shared settings to every peer; switchesKind when they tell of
    // this table's switch of the party's kind.
    void SendSettingsNow(bool switchesKind = false);
    void Send(const QByteArray& record);
    // A move of the player as: this table's own, or a held seat's it plays.
    void SendAs(DPNID as, const QByteArray& record);
    void SendTurnRecord(NetMessageId id, DPNID player, bool zanta, DPNID as);

    // Labels, button, layout (strand).
    void Message(const QString& text);
    void Announce(const QString& text, int effect = 0);
    void AnnounceDealer();
    void AnnounceWaiting();
    void ShowButton(const QString& text, bool show);
    void ShowVictory(int seat);
    void Relayout();
    void SetPlayerCount(int n);
    void ShowChatSeats();
    // What the window's thread may know, taken after every step.
    void Publish();

    int LocalSeatOf(DPNID player) const;
    DPNID IdOf(int seat) const;
    DPNID LocalId() const;
    QString SeatName(int seat) const;
    std::set<DPNID> OtherSeated() const;
    // Whose end of a deal or take this table waits for: the others seated,
    // but not a newcomer waiting for the next party. Every table seats him
    // waiting, sooner or later, while a dealer may not know of him yet: his
    // end would be awaited by some tables and not by others.
    std::set<DPNID> OtherAwaited() const;
    bool InSession(DPNID player) const;
    // Seated here and playing the party (not sitting out).
    bool PlaysHere(DPNID player) const;
    bool IsHost() const { return m_DirectPlay.m_SessionState == 1; }
    bool IsHeld(DPNID player) const;
    // This table moves for the player: he is its own, or a held seat and
    // this table is the host.
    bool ActsFor(DPNID player) const;
    // The table a held seat's moves come from: the host, or its successor,
    // who may have seen the host leave before this table did.
    bool PlaysHeldSeats(DPNID sender) const;
    bool IsTurnOf(DPNID sender) const;
    bool FromHost(DPNID sender, const netrec::PlayerOrderRecord& order) const;
    CCard* FindCard(int mast, int value) const;

    CPublic& m_Public;
    CTableMoves& m_Moves;
    CDirectPlay& m_DirectPlay;
    CClock& m_Clock;
    IFlowView& m_View;
    CNetSeats m_Seats;
    std::atomic<bool> m_Stopped{false};
    // Counts the sessions left: steps of an earlier one do nothing.
    std::atomic<int> m_Generation{0};

    // Strand state.
    bool m_Seated = false;      // this table has its seats from the host
    // The game's records that came before this table had its seats: the host
    // may have taken them into the seat order, or not yet.
    std::vector<CReceivedRecord> m_BeforeSeat;
    bool m_JustSeated = false;  // the whole table came; the party's settings follow
    bool m_Dealer = false;      // this peer dealt the current deal
    bool m_GameOn = false;      // cards are dealt and the game is not over
    bool m_FirstTurnDue = false; // dealt, the first turn not yet given
    bool m_NextIsNewParty = true;
    bool m_Interrupted = false;
    bool m_KindShown = false;
    bool m_DealPending = false;
    bool m_TakePending = false;
    int m_PlayerCount = 1;      // seats taken, at least one
    bool m_EndDistrSent = true;
    bool m_EndTakeSent = true;
    int m_DealStartSeat = 0;
    DPNID m_ZantaHolderId = 0; // whose zanta this dealer has announced; his turn is due
    DPNID m_DealerId = 0;     // who dealt the current deal (or refill)
    DPNID m_NextDealerId = 0; // who deals next; 0 while a game runs
    // Whom the last deal was dealt to, as its dealer said; empty when he
    // did not say or this table has seen no deal yet.
    std::vector<DPNID> m_DealtIds;
    DPNID m_TakerId = 0;      // who took the last trick, until his refill is dealt
    DPNID m_HostLeftId = 0;
    QByteArray m_HostLeftName;
    std::set<DPNID> m_DistrAwaited; // peers whose end of deal is still to come
    std::uint32_t m_DealTag = 0;     // the deal this table deals or waits for
    std::uint32_t m_TakeTag = 0;     // the same for the take
    std::set<DPNID> m_TakeAwaited;
    // Tables whose end of this table's deal, stopped by a departure, is
    // still to come; the deal is dealt again once they are in.
    std::set<DPNID> m_VoidDealEnds;
    // The same for the ends of a stopped take.
    std::set<DPNID> m_VoidTakeEnds;
    bool m_RedealDue = false;
    // The game was stopped for every table (a departure, a new party): the
    // moves of it still on their way are stale, not refused.
    bool m_GameStopped = false;
    // The dealer's first turn, come while this table still waits for the end
    // of a table the dealer saw depart first: it counts once this one does.
    std::optional<std::pair<DPNID, netrec::TurnRecord>> m_TurnAfterDeal;
    // The moves that came after that turn, taken once it is (or the game
    // it belonged to stops), in their order.
    std::vector<CReceivedRecord> m_AfterHeldTurn;
    // The record on the strand now is a move of the game.
    bool m_TakingMove = false;
    DPNID m_Laggard = 0; // the one table the barrier still waits for
    std::int64_t m_LaggardSinceMs = 0; // on the clock
    std::deque<DPNID> m_Joiners; // players to seat, in the order they came
    // When each came (on the clock), and those whose program said it knows
    // held seats: a joiner that says nothing is not seated where seats are
    // held.
    std::map<DPNID, std::int64_t> m_JoinedAtMs;
    std::set<DPNID> m_KnowsHeldSeats;
    // The seat tokens' hashes the members published, by player.
    std::map<DPNID, QByteArray> m_TokenHashes;
    // Newcomers who proved a held seat theirs: the seat's player.
    std::map<DPNID, DPNID> m_Returning;
    // Seats given back this session: the old id, the new.
    std::map<DPNID, DPNID> m_ReturnedIds;
    std::pair<DPNID, DPNID> m_LastReturn; // a host's seat orders name it
    // When the host asked a newcomer for his token.
    std::map<DPNID, std::int64_t> m_SeatAskedAtMs;
    bool m_ProofSent = false;
    bool m_KnowsDue = false;
    // Back in a held seat, until the end of the first deal this table deals
    // there: a dealer who dealt before he heard of the return did not wait
    // for this table's end.
    bool m_BackUnawaited = false;
    mutable std::mutex m_TokenMutex;
    QByteArray m_SeatToken;
    std::function<void(const QByteArray&)> m_KeepSeatToken;
    QString m_LabelBefore;
    // The strategy the held seats are played by, and its draws.
    std::minstd_rand m_HeldDraws{20261209};
    CComputerPlayer m_Computer;

    mutable std::mutex m_SnapshotMutex;
    CFlowSnapshot m_Snapshot;

    // The strand goes first: its last step may still use all the above.
    CGameStrand m_Strand;
};
