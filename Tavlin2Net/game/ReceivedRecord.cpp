#include "ReceivedRecord.h"

namespace {
template <typename Record> CReceivedRecord::Body BodyOf(const std::optional<Record>& r) {
    if (r)
        return *r;
    return std::monostate();
}
} // namespace

CReceivedRecord CReceivedRecord::Decode(DPNID sender, const QByteArray& bytes) {
    if (const auto held = netrec::ReadHeldMove(bytes)) {
        CReceivedRecord r = Decode(sender, held->second);
        r.heldSeat = held->first;
        return r;
    }
    CReceivedRecord r;
    r.sender = sender;
    if (bytes.isEmpty())
        return r;
    r.id = static_cast<BYTE>(bytes[0]);
    switch (r.id) {
    case e_PlayerOrder:
    case e_DestroyPlayer:
        r.body = BodyOf(netrec::ReadPlayerOrder(bytes));
        break;
    case e_NewParty:
    case e_NextGame:
        r.body = BodyOf(netrec::ReadParty(bytes));
        break;
    case e_GoCard:
        r.body = BodyOf(netrec::ReadGoCard(bytes));
        break;
    case e_BitaCards:
    case e_ResetCards:
        r.body = BodyOf(netrec::ReadTable(bytes));
        break;
    case e_NextPlayerGo:
    case e_ContinueGame:
    case e_Zanta:
        r.body = BodyOf(netrec::ReadTurn(bytes));
        break;
    case e_Chat:
        r.body = BodyOf(netrec::ReadChat(bytes));
        break;
    case e_SettingGame:
        r.body = BodyOf(netrec::ReadSetting(bytes));
        break;
    case e_Knows:
        r.body = BodyOf(netrec::ReadKnows(bytes));
        break;
    case e_SeatAsk:
        r.body = BodyOf(netrec::ReadSeatAsk(bytes));
        break;
    case e_SeatProof:
        r.body = BodyOf(netrec::ReadSeatProof(bytes));
        break;
    case e_EndDistr:
    case e_EndTake:
        r.endTag = netrec::ReadEndTag(bytes);
        break;
    default:
        break; // the other signals carry no fields
    }
    return r;
}
