#include "Pack.h"
#include "SettingsFile.h"

#include <gtest/gtest.h>

namespace {

class ShuffleTest : public testing::Test {
protected:
    ShuffleTest() {
        table.resize(790, 650);
        pack.InitPack36(&table);
        pack.SetValueZanta();
    }
    // Card numbers 1..36 (clubs six .. diamonds ace) in deck order.
    std::vector<int> Order() {
        static const std::map<int, int> kFaceOfScores{{2, 6}, {3, 7}, {4, 8}, {10, 5}, {11, 9}};
        std::vector<int> order;
        for (int i = 0; i < pack.GetNumberCardsInPack(); ++i) {
            const CCard* c = pack.GetCard(i);
            const auto face = kFaceOfScores.find(c->m_Scores);
            order.push_back((c->m_Mast - 1) * 9 +
                            (face == kFaceOfScores.end() ? c->m_Value : face->second));
        }
        return order;
    }

    CWnd table;
    CPack pack;
};

void StoreSeed(quint32 seed) {
    testsettings::WriteFile(QStringLiteral("[Software\\Tavlin2.0\\Public]\nShuffle=dword:%1\n")
                                .arg(seed, 8, 16, QChar('0'))
                                .toUtf8());
}

} // namespace

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
        StoreSeed(stored);
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
TEST_F(ShuffleTest, OneShuffleFromAKnownSeedGivesTheKnownOrder) {
    CPack::m_Shuffle = 100;
    pack.ShufflePack();
    EXPECT_EQ(CPack::m_Shuffle, 133u);
    const std::vector<int> expected{29, 25, 5,  14, 26, 6,  22, 10, 18, 23, 21, 28,
                                    15, 31, 27, 3,  16, 11, 36, 17, 12, 7,  1,  4,
                                    24, 20, 19, 8,  33, 35, 32, 9,  30, 13, 2,  34};
    EXPECT_EQ(Order(), expected);
}

TEST_F(ShuffleTest, ArrayShuffleReproducesAnotherDecksOrderAndRefusesNonPermutations) {
    CWnd otherTable;
    CPack other;
    other.InitPack36(&otherTable);
    other.SetValueZanta();
    other.ShufflePack(); // a different starting order: the arrays alone decide

    pack.SetKozir(3); // trump values are undone before the arrays are filled
    char masts[36];
    char values[36];
    pack.ShufflePack(masts, values);
    ASSERT_TRUE(other.ArrayShuffle(masts, values));
    for (int i = 0; i < 36; ++i) {
        EXPECT_TRUE(values[i] >= 1 && values[i] <= 9) << i;
        EXPECT_EQ(other.GetCard(i)->m_Mast, pack.GetCard(i)->m_Mast) << i;
        EXPECT_EQ(other.GetCard(i)->m_Value, pack.GetCard(i)->m_Value) << i;
    }

    const std::vector<int> before = Order();
    masts[5] = 7; // no such suit
    EXPECT_FALSE(pack.ArrayShuffle(masts, values));
    masts[5] = masts[11]; // one card twice, another missing
    values[5] = values[11];
    EXPECT_FALSE(pack.ArrayShuffle(masts, values));
    EXPECT_EQ(Order(), before);
}
