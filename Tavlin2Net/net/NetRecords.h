#pragma once
// The game's records as they go between peers: fixed layouts, little-endian,
// the kind in the first byte. Builders zero every byte they do not fill;
// readers refuse a record that is short or names an impossible card or kind.

#include "PeerSession.h"
#include "WinTypes.h"

#include <QByteArray>
#include <array>
#include <optional>

enum NetMessageId : BYTE {
    e_PlayerOrder = 1,
    e_NewParty = 2,
    e_NextGame = 3,
    e_GoCard = 4,
    e_NextPlayerGo = 5,
    e_BitaCards = 6,
    e_ResetCards = 7,
    e_TakeCards = 8,
    e_ContinueGame = 9,
    e_Zanta = 10,
    e_EndDistr = 11,
    e_Chat = 12,
    e_SettingGame = 13,
    e_DestroyPlayer = 14,
    e_EndTake = 15,
    // A move a table makes for a seat the computer plays while its player
    // is away: the seat's player, then the move as he would have sent it.
    e_HeldMove = 16,
    // What a joining table's program knows besides the records above: a
    // u32 of bits (kKnowsHeldSeats). A program that sends none knows none.
    e_Knows = 17,
    // The host asks a newcomer who bears a held seat's name to prove the
    // seat is his: the newcomer's id.
    e_SeatAsk = 18,
    // The newcomer's proof: the token whose hash his program published when
    // he took the seat, and the hash of the token it keeps from now on.
    e_SeatProof = 19,
};

namespace netrec {

constexpr int kNameBytes = 12; // 11 characters and a NUL
constexpr int kChatBytes = 50;
constexpr int kSeats = 4;
constexpr int kCards = 36;
constexpr int kPartyMostStars = 1000; // the stars game off
constexpr std::uint32_t kKnowsHeldSeats = 1;
// A seat token and its hash as records carry them.
constexpr int kTokenBytes = 16;

// The size of each kind's record; 0 for an id that is no kind.
int RecordSize(int id);
// The size with the tail the kind may carry after it (an end's tag, whom a
// deal was dealt to and its stars, whether settings switch the kind): a
// reader takes the tail when the record is that long, and an earlier
// program, which cuts it off, reads the record as before.
int TailedSize(int id);

struct SeatRecord {
    QByteArray name; // Windows-1251, cut to 11 bytes
    BYTE scores = 0;
    BYTE balls = 0;
    BYTE stars = 0;
    std::int32_t victories = 0;
    BYTE sitOut = 0;
    BYTE waitsNextParty = 0;
    DPNID player = 0;
    // The player has left and the computer plays his seat until the party
    // ends (1); 0 from an earlier program.
    BYTE held = 0;
};

struct CardRecord {
    BYTE value = 0;
    BYTE mast = 0;
    BYTE place = 0;
    BYTE indexX = 255;
    BYTE indexY = 255;
    DPNID holder = 0;
};

// e_PlayerOrder and e_DestroyPlayer.
struct PlayerOrderRecord {
    BYTE id = e_PlayerOrder;
    // e_DestroyPlayer: 1 when the departure ends the host's game (a new
    // party follows), in the byte after the kind; 0 from an earlier program.
    BYTE endsGame = 0;
    // The party's kind, in the byte after. A newcomer plays the moves that
    // crossed its seat order before the host's settings come.
    enum Kind : BYTE { KindNotSaid = 0, To12Balls = 1, To31Points = 2 };
    BYTE kind = KindNotSaid;
    std::array<SeatRecord, kSeats> seats{};
    std::array<CardRecord, kCards> cards{};
    DPNID dealStart = 0;
    // e_PlayerOrder, after the 552 bytes: a held seat given back to its
    // player, who joined again under a new id, and whose turn it is (the
    // returning table takes the game where it stands, and its number); 0
    // for none.
    DPNID returnedFrom = 0;
    DPNID returnedTo = 0;
    DPNID current = 0;
    std::uint32_t game = 0; // the game's number in the party
};

// e_NewParty and e_NextGame.
struct PartyRecord {
    BYTE id = e_NewParty;
    std::array<BYTE, kCards> masts{};
    std::array<BYTE, kCards> values{};
    DPNID firstPlayer = 0;
    // Whom the dealer dealt to (0 for an empty place). A dealer may deal
    // before the host's seat order for a newcomer reaches him: the tables
    // that seated the newcomer learn from this that he was not dealt in.
    // Sent after the 80 bytes of the deal; a record without it deals to
    // every seat playing.
    std::array<DPNID, kSeats> dealt{};
    // The stars each player begins a new party with, after the list (0 when
    // not said): every table begins it with the dealer's, whatever it
    // ticked since.
    std::uint16_t stars = 0;
};

struct GoCardRecord {
    BYTE mast = 0;
    BYTE value = 0;
    DPNID player = 0;
};

// e_NextPlayerGo, e_ContinueGame and e_Zanta: a player and a flag.
struct TurnRecord {
    BYTE id = e_NextPlayerGo;
    DPNID player = 0;
    BYTE afterZanta = 0; // e_NextPlayerGo only
};

// e_BitaCards and e_ResetCards.
struct TableRecord {
    BYTE id = e_BitaCards;
    BYTE mast = 0;
    BYTE value = 0;
    std::int32_t column = 0;
    BYTE beatenMast = 0; // e_BitaCards only
    BYTE beatenValue = 0;
};

struct ChatRecord {
    QByteArray text; // Windows-1251, cut to 50 bytes
    DPNID player = 0;
};

struct SettingRecord {
    BYTE closedCardReset = 0;
    BYTE automaticGame = 0;
    BYTE lockAddPlayers = 0;
    BYTE game31 = 0;
    BYTE gameForStars = 0;
    // After the five: whether the record switches the party's kind. Any
    // change of a setting sends all five, and one sent before its sender saw
    // another's switch still names the old kind: only a switch switches.
    enum Kind : BYTE { KindNotSaid = 0, SwitchesKind = 1, KeepsKind = 2 };
    BYTE kind = KindNotSaid;
    // After it, the host's choice whether the computer plays a departed
    // player's seat until the party ends.
    enum Hold : BYTE { HoldNotSaid = 0, SeatsFreed = 1, SeatsHeld = 2 };
    BYTE holdSeats = HoldNotSaid;
};

QByteArray Build(const PlayerOrderRecord& r);
QByteArray Build(const PartyRecord& r);
QByteArray Build(const GoCardRecord& r);
QByteArray Build(const TurnRecord& r);
QByteArray Build(const TableRecord& r);
QByteArray Build(const ChatRecord& r);
QByteArray Build(const SettingRecord& r);
QByteArray BuildSignal(NetMessageId id); // e_TakeCards, e_EndDistr, e_EndTake
// What a program knows, and the hash of its seat token (empty: none).
QByteArray BuildKnows(std::uint32_t bits, const QByteArray& tokenHash = {});
struct KnowsRecord {
    std::uint32_t bits = 0;
    QByteArray tokenHash; // kTokenBytes, or empty from an earlier program
};
std::optional<KnowsRecord> ReadKnows(const QByteArray& b);
QByteArray BuildSeatAsk(DPNID newcomer);
struct SeatAskRecord {
    DPNID newcomer = 0;
};
std::optional<SeatAskRecord> ReadSeatAsk(const QByteArray& b);
struct SeatProofRecord {
    QByteArray token;   // kTokenBytes
    QByteArray newHash; // kTokenBytes
};
QByteArray Build(const SeatProofRecord& r);
std::optional<SeatProofRecord> ReadSeatProof(const QByteArray& b);
// The hash a token is known by.
QByteArray TokenHash(const QByteArray& token);
// A new token, from the system's random source.
QByteArray NewToken();
// A move made for a held seat's player.
QByteArray BuildHeldMove(DPNID player, const QByteArray& move);
// The held seat's player and the move, when the record is a well-formed one.
std::optional<std::pair<DPNID, QByteArray>> ReadHeldMove(const QByteArray& b);
// The end of a deal or a take with the tag of the deal or take it ends (the
// id and four bytes); a one-byte end carries none.
QByteArray BuildEnd(NetMessageId id, std::uint32_t tag);
std::optional<std::uint32_t> ReadEndTag(const QByteArray& b);

std::optional<PlayerOrderRecord> ReadPlayerOrder(const QByteArray& b);
std::optional<PartyRecord> ReadParty(const QByteArray& b);
std::optional<GoCardRecord> ReadGoCard(const QByteArray& b);
std::optional<TurnRecord> ReadTurn(const QByteArray& b);
std::optional<TableRecord> ReadTable(const QByteArray& b);
std::optional<ChatRecord> ReadChat(const QByteArray& b);
std::optional<SettingRecord> ReadSetting(const QByteArray& b);

// The record as the window may read it: cut to its kind's size; nothing when
// it is shorter than that, of no kind, or names a suit or value out of range.
std::optional<QByteArray> Checked(const QByteArray& received);

} // namespace netrec
