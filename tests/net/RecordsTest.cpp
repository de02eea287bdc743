// Record layouts against bytes written out by hand, and the reader's guard
// against short or impossible records.

#include "NetRecords.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace netrec;

namespace {

QByteArray Bytes(std::initializer_list<int> b) {
    QByteArray out;
    for (int v : b)
        out.append(static_cast<char>(v));
    return out;
}

} // namespace

TEST(NetRecords, SmallRecordsLieAtTheirOffsets) {
    EXPECT_EQ(Build(GoCardRecord{2, 15, 0x12345678}), Bytes({4, 2, 15, 0, 0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(Build(TableRecord{e_BitaCards, 1, 5, -1, 3, 18}),
              Bytes({6, 1, 5, 0, 0xFF, 0xFF, 0xFF, 0xFF, 3, 18, 0, 0}));
    // A throw has no beaten card: bytes 8 and 9 stay zero whatever the caller left there.
    EXPECT_EQ(Build(TableRecord{e_ResetCards, 4, 9, 2, 3, 18}),
              Bytes({7, 4, 9, 0, 2, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Build(TurnRecord{e_NextPlayerGo, 0x01020304, 1}),
              Bytes({5, 0, 0, 0, 4, 3, 2, 1, 1, 0, 0, 0}));
    EXPECT_EQ(Build(TurnRecord{e_ContinueGame, 7, 1}), Bytes({9, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Build(TurnRecord{e_Zanta, 7, 0}), Bytes({10, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Build(SettingRecord{1, 0, 1, 1, 0, SettingRecord::SwitchesKind, SettingRecord::SeatsHeld}),
              Bytes({13, 1, 0, 1, 1, 0, 1, 2}));
    EXPECT_EQ(BuildSignal(e_EndTake), Bytes({15}));

    const auto bita = ReadTable(Bytes({6, 1, 5, 0, 0xFE, 0xFF, 0xFF, 0xFF, 3, 18, 0, 0}));
    ASSERT_TRUE(bita);
    EXPECT_EQ(bita->column, -2);
    EXPECT_EQ(bita->beatenValue, 18);
    EXPECT_EQ(ReadTurn(Bytes({5, 9, 9, 9, 4, 3, 2, 1, 1, 9, 9, 9}))->player, 0x01020304u);
}

TEST(NetRecords, ChatOfFiftyCharactersEndsWithTheZeroAtFiftyOne) {
    const QByteArray fifty(50, 'a');
    QByteArray b = Build(ChatRecord{fifty + "overflow", 0xA1B2C3D4});
    ASSERT_EQ(b.size(), 56);
    EXPECT_EQ(b.mid(1, 50), fifty);
    EXPECT_EQ(b[51], '\0');
    EXPECT_EQ(b.mid(52), Bytes({0xD4, 0xC3, 0xB2, 0xA1}));
    EXPECT_EQ(ReadChat(b)->text, fifty);
    // Nothing of the caller's buffer after its NUL goes on the wire.
    b = Build(ChatRecord{QByteArray("hi\0secret", 9), 1});
    EXPECT_EQ(b.mid(1, 51), QByteArray("hi") + QByteArray(49, '\0'));
}

TEST(NetRecords, PlayerOrderAndPartyFillEveryField) {
    PlayerOrderRecord r;
    r.seats[0] = {"Host", 31, 2, 5, -3, 0, 0, 0x11};
    r.seats[1] = {
        "\xC8\xE2\xE0\xED\xEE\xE2\xE8\xF7\xEF\xE5\xF2\xF0", 7, 0, 255, 100000, 1, 1, 0x22};
    for (int c = 0; c < kCards; ++c)
        r.cards[c] = {BYTE(1 + c % 9), BYTE(1 + c / 9), 14, BYTE(c), 255, c < 3 ? 0x22u : 0u};
    r.dealStart = 0x11;
    r.returnedFrom = 0x55;
    r.returnedTo = 0x66;
    r.current = 0x22;
    r.game = 7;
    const QByteArray b = Build(r);
    ASSERT_EQ(b.size(), 568);
    EXPECT_EQ(b.left(4), Bytes({1, 0, 0, 0}));
    EXPECT_EQ(b.mid(4, 12), QByteArray("Host") + QByteArray(8, '\0'));
    EXPECT_EQ(b.mid(16, 12), Bytes({31, 2, 5, 0, 0xFD, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(b.mid(28, 4), Bytes({0x11, 0, 0, 0}));
    // Twelve characters: eleven kept and the NUL.
    EXPECT_EQ(b.mid(32, 12), QByteArray("\xC8\xE2\xE0\xED\xEE\xE2\xE8\xF7\xEF\xE5\xF2") + '\0');
    EXPECT_EQ(b.mid(44, 12), Bytes({7, 0, 255, 0, 0xA0, 0x86, 0x01, 0, 1, 1, 0, 0}));
    EXPECT_EQ(b.mid(56, 4), Bytes({0x22, 0, 0, 0}));
    EXPECT_EQ(b.mid(60, 56), QByteArray(56, '\0')) << "unused seats are all zero";
    EXPECT_EQ(b.mid(116 + 12 * 10, 12), Bytes({2, 2, 14, 10, 255, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(b.mid(116 + 12 * 2, 12), Bytes({3, 1, 14, 2, 255, 0, 0, 0, 0x22, 0, 0, 0}));
    EXPECT_EQ(b.mid(548, 4), Bytes({0x11, 0, 0, 0}));
    // After it, a held seat given back: its old id, its new, who moves and
    // the game's number.
    EXPECT_EQ(b.mid(552), Bytes({0x55, 0, 0, 0, 0x66, 0, 0, 0, 0x22, 0, 0, 0, 7, 0, 0, 0}));
    EXPECT_EQ(ReadPlayerOrder(Checked(b).value())->returnedTo, 0x66u);
    EXPECT_EQ(ReadPlayerOrder(b.left(552))->returnedFrom, 0u) << "an earlier program's order gives nothing back";
    r.id = e_DestroyPlayer;
    EXPECT_EQ(Build(r).size(), 552) << "only a seat order gives a seat back";
    const auto back = ReadPlayerOrder(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->seats[1].name.size(), 11);
    EXPECT_EQ(back->seats[1].victories, 100000);
    EXPECT_EQ(back->cards[35].mast, 4);

    PartyRecord p;
    p.id = e_NextGame;
    for (int i = 0; i < kCards; ++i) {
        p.masts[i] = BYTE(1 + i % 4);
        p.values[i] = BYTE(1 + i % 18);
    }
    p.firstPlayer = 0x33;
    p.dealt = {0x33, 0x44, 0, 0};
    p.stars = 1000;
    const QByteArray pb = Build(p);
    ASSERT_EQ(pb.size(), 100);
    EXPECT_EQ(pb.mid(0, 3), Bytes({3, 1, 2}));
    EXPECT_EQ(pb.mid(37, 2), Bytes({1, 2}));
    EXPECT_EQ(pb.mid(73, 7), Bytes({0, 0, 0, 0x33, 0, 0, 0}));
    EXPECT_EQ(pb.mid(80, 8), Bytes({0x33, 0, 0, 0, 0x44, 0, 0, 0})) << "whom it was dealt to, after the deal";
    EXPECT_EQ(pb.mid(96, 2), Bytes({0xE8, 0x03})) << "then the party's stars";
    p.id = e_NewParty;
    EXPECT_EQ(Build(p).mid(1), pb.mid(1)) << "a new party differs only in its first byte";
    // A deal of 80 bytes (an earlier program's) is read as dealt to every
    // seat playing.
    const auto older = Checked(pb.left(80));
    ASSERT_TRUE(older);
    EXPECT_EQ(ReadParty(*older)->dealt, (std::array<DPNID, kSeats>{}));
    EXPECT_EQ(ReadParty(*older)->stars, 0);
    const auto longer = ReadParty(Checked(pb + "tail").value());
    EXPECT_EQ(longer->dealt[1], 0x44u);
    EXPECT_EQ(longer->stars, 1000);
    // More stars than the stars game off gives are not taken.
    p.stars = 1001;
    EXPECT_EQ(ReadParty(Build(p))->stars, 0);
}

TEST(NetRecords, ShortUnknownOrImpossibleRecordsAreRefusedLongOnesCut) {
    const QByteArray go = Build(GoCardRecord{2, 15, 9});
    EXPECT_EQ(Checked(go + "tail"), go);
    EXPECT_FALSE(Checked(go.chopped(1)));
    EXPECT_FALSE(Checked(QByteArray()));
    EXPECT_FALSE(Checked(Bytes({0})));
    EXPECT_FALSE(Checked(Bytes({16})));
    EXPECT_FALSE(Checked(Build(GoCardRecord{5, 1, 9})));
    EXPECT_FALSE(Checked(Build(GoCardRecord{0, 1, 9})));
    EXPECT_FALSE(Checked(Build(GoCardRecord{1, 19, 9})));
    EXPECT_FALSE(Checked(Build(GoCardRecord{1, 0, 9})));
    EXPECT_FALSE(Checked(Build(TableRecord{e_BitaCards, 1, 1, 0, 1, 0})));
    EXPECT_TRUE(Checked(Build(TableRecord{e_ResetCards, 1, 1, 0, 0, 0})));
    PartyRecord p;
    p.masts.fill(1);
    p.values.fill(1);
    EXPECT_TRUE(Checked(Build(p)));
    p.values[35] = 19;
    EXPECT_FALSE(Checked(Build(p)));
    EXPECT_FALSE(Checked(Build(PlayerOrderRecord{}))) << "cards of no suit";
    EXPECT_EQ(Checked(Bytes({8, 1, 2})), Bytes({8}));
    EXPECT_EQ(Checked(Build(SettingRecord{})).value().size(), 8);
    // Settings of six bytes (an earlier program's) do not say whether they
    // switch the kind.
    EXPECT_EQ(ReadSetting(Checked(Bytes({13, 1, 0, 1, 1, 0})).value())->kind, SettingRecord::KindNotSaid);
    EXPECT_EQ(ReadSetting(Checked(Bytes({13, 1, 0, 1, 1, 0, 2})).value())->kind, SettingRecord::KeepsKind);
    EXPECT_EQ(ReadSetting(Checked(Bytes({13, 1, 0, 1, 1, 0, 2, 9})).value())->holdSeats, SettingRecord::HoldNotSaid);
    // A held seat's move carries its player and a move that reads as its
    // own kind: cut as that move is; nothing else.
    const QByteArray lead = BuildHeldMove(7, Build(GoCardRecord{2, 15, 7}));
    EXPECT_EQ(Checked(lead + "tail"), lead);
    EXPECT_FALSE(Checked(BuildHeldMove(7, Build(GoCardRecord{2, 19, 7}))));
    EXPECT_FALSE(Checked(BuildHeldMove(0, BuildSignal(e_TakeCards))));
    EXPECT_FALSE(Checked(BuildHeldMove(7, BuildHeldMove(7, BuildSignal(e_TakeCards)))));
    // What a joiner knows, with its token's hash after it (an earlier
    // program's says nothing of a token); a seat asked of nobody is no ask;
    // a proof is a token and the next hash.
    const QByteArray hash = TokenHash("token");
    ASSERT_EQ(hash.size(), kTokenBytes);
    EXPECT_EQ(ReadKnows(Checked(BuildKnows(kKnowsHeldSeats, hash) + "tail").value())->tokenHash, hash);
    EXPECT_TRUE(ReadKnows(Checked(BuildKnows(kKnowsHeldSeats)).value())->tokenHash.isEmpty());
    EXPECT_EQ(ReadSeatAsk(Checked(BuildSeatAsk(0x77)).value())->newcomer, 0x77u);
    EXPECT_FALSE(ReadSeatAsk(BuildSeatAsk(0)));
    const QByteArray proof = Build(SeatProofRecord{QByteArray("token"), hash});
    ASSERT_EQ(proof.size(), 1 + 2 * kTokenBytes);
    EXPECT_EQ(ReadSeatProof(Checked(proof + "tail").value())->newHash, hash);
    EXPECT_FALSE(Checked(proof.chopped(1)));
    // An end names what it ends, and keeps the name through the check; a
    // bare one names nothing.
    EXPECT_EQ(ReadEndTag(Checked(BuildEnd(e_EndTake, 0xA1B2C3D4u) + "tail").value()), 0xA1B2C3D4u);
    EXPECT_EQ(ReadEndTag(Checked(BuildSignal(e_EndDistr)).value()), std::nullopt);
}

TEST(NetRecords, RandomRecordsNeverReadPastTheirEnd) {
    QRandomGenerator rng(4242);
    int accepted = 0;
    for (int i = 0; i < ZANTA_NET_FUZZ; ++i) {
        QByteArray b(rng.bounded(600), '\0');
        for (auto& c : b)
            c = static_cast<char>(rng.bounded(i % 2 ? 256 : 20));
        if (!b.isEmpty())
            b[0] = static_cast<char>(rng.bounded(21));
        const auto r = Checked(b);
        if (!r)
            continue;
        ++accepted;
        const BYTE id = static_cast<BYTE>((*r)[0]);
        // The kind's size, or its size with a tail the kind may carry; never
        // more than came.
        if (id != e_HeldMove) {
            ASSERT_EQ(r->size(), std::min<qsizetype>(b.size(), TailedSize(id)));
        }
        ASSERT_TRUE(b.startsWith(*r));
        ReadPlayerOrder(*r);
        ReadParty(*r);
        ReadGoCard(*r);
        ReadTurn(*r);
        ReadTable(*r);
        ReadChat(*r);
        ReadSetting(*r);
        ReadKnows(*r);
        ReadSeatAsk(*r);
        ReadSeatProof(*r);
    }
    EXPECT_GT(accepted, 0);
}
