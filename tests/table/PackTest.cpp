// The deck: values for this game, gathering, the turned-up trump, pictures,
// and the shuffle with its seed kept between runs.

#include "Pack.h"
#include "Resources.h"
#include "SettingsFile.h"

#include <gtest/gtest.h>

namespace {

class PackTest : public testing::Test {
protected:
    void SetUp() override {
        table.resize(790, 650);
        table.show();
        pack.InitPack36(&table);
        pack.SetValueZanta();
    }
    // Card numbers 1..36 (clubs six .. diamonds ace) in deck order; the ten
    // ranks just below the ace.
    std::vector<int> Order() {
        static const int kFaceOfValue[10] = {0, 1, 2, 3, 4, 6, 7, 8, 5, 9};
        std::vector<int> order;
        for (CCard* card : pack.m_Cards)
            order.push_back((card->m_Mast - 1) * 9 + kFaceOfValue[card->m_Value]);
        return order;
    }
    CWnd table;
    CPack pack;
};

} // namespace

TEST_F(PackTest, ValuesForThisGameAndOnlyTheLastTrumpSuitRanksAbove) {
    pack.SetKozir(3);
    pack.SetKozir(4);
    for (int j = 0; j < 36; ++j) // a trump six above any plain ace
        EXPECT_EQ(pack.GetCard(j)->m_Value > 9, j >= 27) << j;
}

TEST_F(PackTest, GatheringStacksTheCardsFaceDownTheTrumpTurnsOnceAndTheLastCardIsDealt) {
    CCard* held = pack.GetCard(3);
    held->m_Place = e_Hand;
    held->m_Player = 2;
    held->m_Beaten = true;
    held->CardClose(false);
    pack.m_PackX = 20;
    pack.m_PackY = 200;
    pack.CardsToPack(true);
    EXPECT_TRUE(pack.IsPackFull());
    EXPECT_FALSE(held->m_Player || held->m_Beaten || held->m_bOpen);
    EXPECT_EQ(table.childAt(QPoint(40, 220)), pack.GetCard(0)); // card 0 on top

    CCard* last = pack.GetCard(35);
    EXPECT_EQ(pack.ShowCardKozir(), last->m_Mast);
    EXPECT_TRUE(last->m_bOpen);
    EXPECT_GT(last->m_Value, 9);
    EXPECT_EQ(pack.ShowCardKozir(), 0);

    int index = 99;
    for (int i = 0; i < 35; ++i)
        pack.GetCard(i)->m_Place = e_Hand;
    EXPECT_FALSE(pack.IsPackFull() || pack.IsPackEnd()); // the trump card is still there
    EXPECT_EQ(pack.TakeCard(&index), last);
    last->m_Place = e_Hand;
    EXPECT_TRUE(pack.IsPackEnd());
    EXPECT_EQ(pack.TakeCard(&index), nullptr);
    EXPECT_EQ(index, -1);
    pack.CardsToPack(false); // not armed: nothing turns
    EXPECT_EQ(pack.ShowCardKozir(), 0);
}

TEST_F(PackTest, BundlePicturesGiveEveryCardItsFaceAndTheChosenBack) {
    for (CCard* card : pack.m_Cards)
        ASSERT_FALSE(card->m_bmpFace.isNull() || card->m_bmpShirt.isNull());
    EXPECT_NE(pack.GetCard(0)->m_bmpFace.toImage(), pack.GetCard(1)->m_bmpFace.toImage());
    const QImage before = pack.GetCard(5)->m_bmpShirt.toImage();
    pack.SetShirt(40);
    EXPECT_NE(pack.GetCard(5)->m_bmpShirt.toImage(), before);
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleResources("pub")); // ours are current again
}

TEST(SeedStep, FollowsTheSinglePrecisionConstantAndThe57RuleForAnyStoredSeed) {
    CPack pack;
    CPack::m_Shuffle = 4;
    std::vector<int> seeds;
    for (int i = 0; i < 7; ++i)
        seeds.push_back(pack.IncrementShuffle());
    EXPECT_EQ(seeds, (std::vector<int>{5, 6, 7, 9, 11, 14, 18}));
    CPack::m_Shuffle = 3; // 0..3 map to themselves
    EXPECT_EQ(pack.IncrementShuffle(), 3);

    // 24638 * 1.33 = 32768.54, past 32767; products of 2^32 and a little more
    // must not wrap around to a small seed either.
    for (quint32 stored : {24638u, 0xC07B2FB7u, 0xC07B2FC1u, 0xFFFFFFFFu}) {
        testsettings::WriteFile("[Software\\Tavlin2.0\\Public]\nShuffle=dword:" +
                                QByteArray::number(stored, 16) + "\n");
        CPack again;
        ASSERT_EQ(CPack::m_Shuffle, stored);
        EXPECT_EQ(again.IncrementShuffle(), 57) << std::hex << stored;
    }
}

TEST(ShuffleSeed, SurvivesBetweenRunsAndADamagedOneIsReplaced) {
    testsettings::WriteFile("[Software\\Tavlin2.0\\Public]\nShuffle=dword:zz\x01\xff\n\0\0junk=");
    {
        CPack first; // no readable seed: a tick-based one
        EXPECT_GE(CPack::m_Shuffle, 1u);
        EXPECT_LE(CPack::m_Shuffle, 32767u);
        CPack::m_Shuffle = 1000; // the destructor steps once, then writes 1330
    }
    CPack::m_Shuffle = 0;
    CPack second;
    EXPECT_EQ(CPack::m_Shuffle, 1330u);
    EXPECT_EQ(testsettings::ReadFile(), "[Software\\Tavlin2.0\\Public]\nShuffle=dword:00000532\n");
}

// Worked through from the rules of the shuffle, independently of the code:
// seed 100 steps to trunc(100 * 1.33000004291534423828125) = 133. Seeded with
// 133, the generator's first output is (30994740 >> 16) & 0x7FFF = 472, so
// 472 % 7 + 1 = 4 passes; the next output 28233 swaps positions 0 and 9, and
// so on through 4 * 36 swaps of the fresh deck.
TEST_F(PackTest, OneShuffleFromAKnownSeedGivesTheKnownOrderAndArraysCarryIt) {
    CPack::m_Shuffle = 100;
    pack.SetKozir(3); // trump values are undone before the arrays are filled
    char masts[36];
    char values[36];
    pack.ShufflePack(masts, values);
    EXPECT_EQ(CPack::m_Shuffle, 133u);
    const std::vector<int> expected{29, 25, 5,  14, 26, 6,  22, 10, 18, 23, 21, 28,
                                    15, 31, 27, 3,  16, 11, 36, 17, 12, 7,  1,  4,
                                    24, 20, 19, 8,  33, 35, 32, 9,  30, 13, 2,  34};
    EXPECT_EQ(Order(), expected);

    CPack other; // a different starting order: the arrays alone decide
    other.InitPack36(&table);
    other.SetValueZanta();
    other.ShufflePack();
    ASSERT_TRUE(other.ArrayShuffle(masts, values));
    for (int i = 0; i < 36; ++i) {
        EXPECT_EQ(other.GetCard(i)->m_Mast, pack.GetCard(i)->m_Mast) << i;
        EXPECT_EQ(other.GetCard(i)->m_Value, pack.GetCard(i)->m_Value) << i;
    }
    masts[5] = 7; // no such suit
    EXPECT_FALSE(pack.ArrayShuffle(masts, values));
    masts[5] = masts[11]; // one card twice, another missing
    values[5] = values[11];
    EXPECT_FALSE(pack.ArrayShuffle(masts, values));
    EXPECT_EQ(Order(), expected);
}
