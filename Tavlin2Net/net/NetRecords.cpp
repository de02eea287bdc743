#include "NetRecords.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtEndian>

namespace netrec {

namespace {

void PutU32(QByteArray& b, int at, std::uint32_t v) {
    qToLittleEndian(v, b.data() + at);
}

std::uint32_t U32(const QByteArray& b, int at) {
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

BYTE U8(const QByteArray& b, int at) {
    return static_cast<BYTE>(b[at]);
}

void PutText(QByteArray& b, int at, const QByteArray& text, int field) {
    const QByteArray cut =
        text.left(text.indexOf('\0') < 0 ? text.size() : text.indexOf('\0')).left(field - 1);
    b.replace(at, cut.size(), cut);
}

QByteArray Text(const QByteArray& b, int at, int field) {
    QByteArray t = b.mid(at, field);
    const qsizetype nul = t.indexOf('\0');
    return nul < 0 ? t : t.left(nul);
}

bool GoodCard(BYTE mast, BYTE value) {
    return mast >= 1 && mast <= 4 && value >= 1 && value <= 18;
}

// Readers see at least the kind's size (Checked cuts and refuses before them).
bool Fits(const QByteArray& b, int id) {
    return b.size() >= RecordSize(id) && U8(b, 0) == id;
}

} // namespace

int RecordSize(int id) {
    static const int sizes[20] = {0, 552, 80, 80, 8, 12, 12, 12, 1, 12, 12, 1, 56, 6, 552, 1, 6, 5, 5, 33};
    return id >= 1 && id <= 19 ? sizes[id] : 0;
}

int TailedSize(int id) {
    switch (id) {
    case e_EndDistr:
    case e_EndTake:
        return 5;
    case e_NewParty:
    case e_NextGame:
        return 80 + 4 * kSeats + 4;
    case e_SettingGame:
        return 8;
    case e_PlayerOrder:
        return 552 + 16;
    case e_Knows:
        return 5 + kTokenBytes;
    default:
        return RecordSize(id);
    }
}

QByteArray Build(const PlayerOrderRecord& r) {
    QByteArray b(552, '\0');
    b[0] = static_cast<char>(r.id);
    b[1] = static_cast<char>(r.id == e_DestroyPlayer ? r.endsGame : 0);
    b[2] = static_cast<char>(r.kind);
    for (int s = 0; s < kSeats; ++s) {
        const SeatRecord& seat = r.seats[s];
        const int at = 4 + 28 * s;
        PutText(b, at, seat.name, kNameBytes);
        b[at + 12] = static_cast<char>(seat.scores);
        b[at + 13] = static_cast<char>(seat.balls);
        b[at + 14] = static_cast<char>(seat.stars);
        PutU32(b, at + 16, static_cast<std::uint32_t>(seat.victories));
        b[at + 20] = static_cast<char>(seat.sitOut);
        b[at + 21] = static_cast<char>(seat.waitsNextParty);
        b[at + 22] = static_cast<char>(seat.held);
        PutU32(b, at + 24, seat.player);
    }
    for (int c = 0; c < kCards; ++c) {
        const CardRecord& card = r.cards[c];
        const int at = 116 + 12 * c;
        b[at] = static_cast<char>(card.value);
        b[at + 1] = static_cast<char>(card.mast);
        b[at + 2] = static_cast<char>(card.place);
        b[at + 3] = static_cast<char>(card.indexX);
        b[at + 4] = static_cast<char>(card.indexY);
        PutU32(b, at + 8, card.holder);
    }
    PutU32(b, 548, r.dealStart);
    if (r.id == e_PlayerOrder) {
        b.resize(TailedSize(e_PlayerOrder), '\0');
        PutU32(b, 552, r.returnedFrom);
        PutU32(b, 556, r.returnedTo);
        PutU32(b, 560, r.current);
        PutU32(b, 564, r.game);
    }
    return b;
}

QByteArray Build(const PartyRecord& r) {
    QByteArray b(TailedSize(e_NewParty), '\0');
    b[0] = static_cast<char>(r.id);
    for (int i = 0; i < kCards; ++i) {
        b[1 + i] = static_cast<char>(r.masts[i]);
        b[37 + i] = static_cast<char>(r.values[i]);
    }
    PutU32(b, 76, r.firstPlayer);
    for (int s = 0; s < kSeats; ++s)
        PutU32(b, 80 + 4 * s, r.dealt[static_cast<size_t>(s)]);
    qToLittleEndian(r.stars, b.data() + 80 + 4 * kSeats);
    return b;
}

QByteArray Build(const GoCardRecord& r) {
    QByteArray b(8, '\0');
    b[0] = static_cast<char>(e_GoCard);
    b[1] = static_cast<char>(r.mast);
    b[2] = static_cast<char>(r.value);
    PutU32(b, 4, r.player);
    return b;
}

QByteArray Build(const TurnRecord& r) {
    QByteArray b(12, '\0');
    b[0] = static_cast<char>(r.id);
    PutU32(b, 4, r.player);
    b[8] = static_cast<char>(r.id == e_NextPlayerGo ? r.afterZanta : 0);
    return b;
}

QByteArray Build(const TableRecord& r) {
    QByteArray b(12, '\0');
    b[0] = static_cast<char>(r.id);
    b[1] = static_cast<char>(r.mast);
    b[2] = static_cast<char>(r.value);
    PutU32(b, 4, static_cast<std::uint32_t>(r.column));
    if (r.id == e_BitaCards) {
        b[8] = static_cast<char>(r.beatenMast);
        b[9] = static_cast<char>(r.beatenValue);
    }
    return b;
}

QByteArray Build(const ChatRecord& r) {
    QByteArray b(56, '\0');
    b[0] = static_cast<char>(e_Chat);
    const qsizetype nul = r.text.indexOf('\0');
    const QByteArray text = (nul < 0 ? r.text : r.text.left(nul)).left(kChatBytes);
    b.replace(1, text.size(), text);
    PutU32(b, 52, r.player);
    return b;
}

QByteArray Build(const SettingRecord& r) {
    QByteArray b(TailedSize(e_SettingGame), '\0');
    b[0] = static_cast<char>(e_SettingGame);
    b[1] = static_cast<char>(r.closedCardReset ? 1 : 0);
    b[2] = static_cast<char>(r.automaticGame ? 1 : 0);
    b[3] = static_cast<char>(r.lockAddPlayers ? 1 : 0);
    b[4] = static_cast<char>(r.game31 ? 1 : 0);
    b[5] = static_cast<char>(r.gameForStars ? 1 : 0);
    b[6] = static_cast<char>(r.kind);
    b[7] = static_cast<char>(r.holdSeats);
    return b;
}

QByteArray BuildSignal(NetMessageId id) {
    return QByteArray(1, static_cast<char>(id));
}

QByteArray BuildKnows(std::uint32_t bits, const QByteArray& tokenHash) {
    QByteArray b(5, '\0');
    b[0] = static_cast<char>(e_Knows);
    PutU32(b, 1, bits);
    if (tokenHash.size() == kTokenBytes)
        b += tokenHash;
    return b;
}

std::optional<KnowsRecord> ReadKnows(const QByteArray& b) {
    if (!Fits(b, e_Knows))
        return std::nullopt;
    KnowsRecord r;
    r.bits = U32(b, 1);
    if (b.size() >= 5 + kTokenBytes)
        r.tokenHash = b.mid(5, kTokenBytes);
    return r;
}

QByteArray BuildSeatAsk(DPNID newcomer) {
    QByteArray b(5, '\0');
    b[0] = static_cast<char>(e_SeatAsk);
    PutU32(b, 1, newcomer);
    return b;
}

std::optional<SeatAskRecord> ReadSeatAsk(const QByteArray& b) {
    if (!Fits(b, e_SeatAsk) || U32(b, 1) == 0)
        return std::nullopt;
    return SeatAskRecord{U32(b, 1)};
}

QByteArray Build(const SeatProofRecord& r) {
    const auto fixed = [](const QByteArray& x) {
        QByteArray f = x.left(kTokenBytes);
        f.resize(kTokenBytes, '\0');
        return f;
    };
    return QByteArray(1, static_cast<char>(e_SeatProof)) + fixed(r.token) + fixed(r.newHash);
}

std::optional<SeatProofRecord> ReadSeatProof(const QByteArray& b) {
    if (!Fits(b, e_SeatProof))
        return std::nullopt;
    return SeatProofRecord{b.mid(1, kTokenBytes), b.mid(1 + kTokenBytes, kTokenBytes)};
}

QByteArray TokenHash(const QByteArray& token) {
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256).left(kTokenBytes);
}

QByteArray NewToken() {
    QByteArray token(kTokenBytes, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(token.data()),
                                          kTokenBytes / static_cast<int>(sizeof(quint32)));
    return token;
}

QByteArray BuildHeldMove(DPNID player, const QByteArray& move) {
    QByteArray b(5, '\0');
    b[0] = static_cast<char>(e_HeldMove);
    PutU32(b, 1, player);
    return b + move;
}

std::optional<std::pair<DPNID, QByteArray>> ReadHeldMove(const QByteArray& b) {
    if (!Fits(b, e_HeldMove) || U8(b, 5) == e_HeldMove || U32(b, 1) == 0)
        return std::nullopt;
    return std::pair(U32(b, 1), b.mid(5));
}

QByteArray BuildEnd(NetMessageId id, std::uint32_t tag) {
    QByteArray b(5, '\0');
    b[0] = static_cast<char>(id);
    for (int i = 0; i < 4; ++i)
        b[1 + i] = static_cast<char>((tag >> (8 * i)) & 0xFF);
    return b;
}

std::optional<std::uint32_t> ReadEndTag(const QByteArray& b) {
    if (b.size() != 5)
        return std::nullopt;
    std::uint32_t tag = 0;
    for (int i = 0; i < 4; ++i)
        tag |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[1 + i])) << (8 * i);
    return tag;
}

std::optional<PlayerOrderRecord> ReadPlayerOrder(const QByteArray& b) {
    if (!Fits(b, e_PlayerOrder) && !Fits(b, e_DestroyPlayer))
        return std::nullopt;
    PlayerOrderRecord r;
    r.id = U8(b, 0);
    r.endsGame = r.id == e_DestroyPlayer && U8(b, 1) == 1 ? 1 : 0;
    r.kind = U8(b, 2) <= PlayerOrderRecord::To31Points ? U8(b, 2) : BYTE{PlayerOrderRecord::KindNotSaid};
    for (int s = 0; s < kSeats; ++s) {
        SeatRecord& seat = r.seats[s];
        const int at = 4 + 28 * s;
        seat.name = Text(b, at, kNameBytes - 1);
        seat.scores = U8(b, at + 12);
        seat.balls = U8(b, at + 13);
        seat.stars = U8(b, at + 14);
        seat.victories = static_cast<std::int32_t>(U32(b, at + 16));
        seat.sitOut = U8(b, at + 20);
        seat.waitsNextParty = U8(b, at + 21);
        seat.held = U8(b, at + 22) == 1 ? 1 : 0;
        seat.player = U32(b, at + 24);
    }
    for (int c = 0; c < kCards; ++c) {
        CardRecord& card = r.cards[c];
        const int at = 116 + 12 * c;
        card.value = U8(b, at);
        card.mast = U8(b, at + 1);
        card.place = U8(b, at + 2);
        card.indexX = U8(b, at + 3);
        card.indexY = U8(b, at + 4);
        card.holder = U32(b, at + 8);
        if (!GoodCard(card.mast, card.value))
            return std::nullopt;
    }
    r.dealStart = U32(b, 548);
    if (r.id == e_PlayerOrder && b.size() >= TailedSize(e_PlayerOrder)) {
        r.returnedFrom = U32(b, 552);
        r.returnedTo = U32(b, 556);
        r.current = U32(b, 560);
        r.game = U32(b, 564);
        if (r.returnedFrom == 0 || r.returnedTo == 0)
            r.returnedFrom = r.returnedTo = 0;
    }
    return r;
}

std::optional<PartyRecord> ReadParty(const QByteArray& b) {
    if (!Fits(b, e_NewParty) && !Fits(b, e_NextGame))
        return std::nullopt;
    PartyRecord r;
    r.id = U8(b, 0);
    for (int i = 0; i < kCards; ++i) {
        r.masts[i] = U8(b, 1 + i);
        r.values[i] = U8(b, 37 + i);
        if (!GoodCard(r.masts[i], r.values[i]))
            return std::nullopt;
    }
    r.firstPlayer = U32(b, 76);
    if (b.size() >= TailedSize(r.id)) {
        for (int s = 0; s < kSeats; ++s)
            r.dealt[static_cast<size_t>(s)] = U32(b, 80 + 4 * s);
        const auto stars = qFromLittleEndian<std::uint16_t>(b.constData() + 80 + 4 * kSeats);
        if (stars <= kPartyMostStars)
            r.stars = stars;
    }
    return r;
}

std::optional<GoCardRecord> ReadGoCard(const QByteArray& b) {
    if (!Fits(b, e_GoCard) || !GoodCard(U8(b, 1), U8(b, 2)))
        return std::nullopt;
    return GoCardRecord{U8(b, 1), U8(b, 2), U32(b, 4)};
}

std::optional<TurnRecord> ReadTurn(const QByteArray& b) {
    if (!Fits(b, e_NextPlayerGo) && !Fits(b, e_ContinueGame) && !Fits(b, e_Zanta))
        return std::nullopt;
    TurnRecord r;
    r.id = U8(b, 0);
    r.player = U32(b, 4);
    r.afterZanta = r.id == e_NextPlayerGo ? U8(b, 8) : 0;
    return r;
}

std::optional<TableRecord> ReadTable(const QByteArray& b) {
    if ((!Fits(b, e_BitaCards) && !Fits(b, e_ResetCards)) || !GoodCard(U8(b, 1), U8(b, 2)))
        return std::nullopt;
    TableRecord r;
    r.id = U8(b, 0);
    r.mast = U8(b, 1);
    r.value = U8(b, 2);
    r.column = static_cast<std::int32_t>(U32(b, 4));
    if (r.id == e_BitaCards) {
        r.beatenMast = U8(b, 8);
        r.beatenValue = U8(b, 9);
        if (!GoodCard(r.beatenMast, r.beatenValue))
            return std::nullopt;
    }
    return r;
}

std::optional<ChatRecord> ReadChat(const QByteArray& b) {
    if (!Fits(b, e_Chat))
        return std::nullopt;
    return ChatRecord{Text(b, 1, kChatBytes), U32(b, 52)};
}

std::optional<SettingRecord> ReadSetting(const QByteArray& b) {
    if (!Fits(b, e_SettingGame))
        return std::nullopt;
    SettingRecord r{U8(b, 1), U8(b, 2), U8(b, 3), U8(b, 4), U8(b, 5)};
    if (b.size() >= 7 && U8(b, 6) <= SettingRecord::KeepsKind)
        r.kind = U8(b, 6);
    if (b.size() >= 8 && U8(b, 7) <= SettingRecord::SeatsHeld)
        r.holdSeats = U8(b, 7);
    return r;
}

std::optional<QByteArray> Checked(const QByteArray& received) {
    if (received.isEmpty())
        return std::nullopt;
    const int id = U8(received, 0);
    const int size = RecordSize(id);
    if (size == 0 || received.size() < size)
        return std::nullopt;
    if (id == e_HeldMove) {
        // The move inside is read as any other; one held move in another is none.
        const auto held = ReadHeldMove(received);
        const auto move = held ? Checked(held->second) : std::nullopt;
        if (!move)
            return std::nullopt;
        return BuildHeldMove(held->first, *move);
    }
    // A tail an earlier program did not know is cut off; one cut short
    // reads as far as it goes.
    const QByteArray r = received.left(std::min<qsizetype>(received.size(), TailedSize(id)));
    bool ok = true;
    switch (id) {
    case e_PlayerOrder:
    case e_DestroyPlayer:
        ok = ReadPlayerOrder(r).has_value();
        break;
    case e_NewParty:
    case e_NextGame:
        ok = ReadParty(r).has_value();
        break;
    case e_GoCard:
        ok = ReadGoCard(r).has_value();
        break;
    case e_BitaCards:
    case e_ResetCards:
        ok = ReadTable(r).has_value();
        break;
    default:
        break;
    }
    if (!ok)
        return std::nullopt;
    return r;
}

} // namespace netrec
