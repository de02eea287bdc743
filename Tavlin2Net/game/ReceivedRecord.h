#pragma once
// A peer's record as it arrived, decoded once on the session's thread: its
// kind, who sent it and its fields, if the bytes read as its kind. The
// flow applies it on the strand.

#include "NetRecords.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

struct CReceivedRecord {
    using Body = std::variant<std::monostate, netrec::PlayerOrderRecord, netrec::PartyRecord,
                              netrec::GoCardRecord, netrec::TableRecord, netrec::TurnRecord,
                              netrec::ChatRecord, netrec::SettingRecord, netrec::KnowsRecord,
                              netrec::SeatAskRecord, netrec::SeatProofRecord>;

    static CReceivedRecord Decode(DPNID sender, const QByteArray& bytes);

    // The fields, or null when the record has none or they did not read.
    template <typename Record> const Record* As() const { return std::get_if<Record>(&body); }

    DPNID sender = 0;
    // The held seat's player the sender made this move for; 0 for its own.
    DPNID heldSeat = 0;
    int id = -1; // the record's kind (of the move, for a held seat's); -1 for no bytes at all
    Body body;
    // The tag of an end of a deal or a take, when it carries one.
    std::optional<std::uint32_t> endTag;
    // Its number among its sender's records, and how many of each other
    // member's records its sender had delivered when he sent it.
    std::uint32_t seq = 0;
    std::vector<std::pair<DPNID, std::uint32_t>> after;
};
