#include "Pack.h"
#include "Registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

class ShuffleTest : public testing::Test {
protected:
    void SetUp() override {
        table.resize(790, 650);
        pack.InitPack36(&table);
        pack.SetValueZanta();
    }
    std::vector<int> Order() {
        std::vector<int> order; // card numbers 1..36 in deck order
        for (int i = 0; i < pack.GetNumberCardsInPack(); ++i) {
            CCard* c = pack.GetCard(i);
            order.push_back((c->m_Mast - 1) * 9 + FaceNumber(c));
        }
        return order;
    }
    static int FaceNumber(CCard* c) {
        // Face numbers 1..9 from the points and order value of this game.
        switch (c->m_Scores) {
        case 2: return 6;
        case 3: return 7;
        case 4: return 8;
        case 10: return 5;
        case 11: return 9;
        default: return c->m_Value;
        }
    }

    CWnd table;
    CPack pack;
};

} // namespace

TEST(SeedStep, FollowsTheSinglePrecisionConstantAndThe57Rule) {
    CPack pack;
    CPack::m_Shuffle = 4;
    std::vector<int> seeds;
    for (int i = 0; i < 7; ++i)
        seeds.push_back(pack.IncrementShuffle());
    EXPECT_EQ(seeds, (std::vector<int>{5, 6, 7, 9, 11, 14, 18}));

    CPack::m_Shuffle = 24638; // 24638 * 1.33 = 32768.54, past 32767
    EXPECT_EQ(pack.IncrementShuffle(), 57);

    for (std::uint32_t fixed : {0u, 1u, 2u, 3u}) {
        CPack::m_Shuffle = fixed;
        EXPECT_EQ(pack.IncrementShuffle(), static_cast<int>(fixed));
    }
}

// Worked through from the rules of the shuffle, independently of the code:
// stored seed 100 gives m = trunc(100 * 1.33000004291534423828125) = 133.
// Seeding the generator with 133, the first state is 133 * 214013 + 2531011 =
// 30994740, output (30994740 >> 16) & 0x7FFF = 472, so passes = 472 % 7 + 1 = 4.
// The next state is 1850317607, output 28233, k = 28233 % 36 = 9: the first
// swap exchanges positions 0 and 9. Following all 4 * 36 swaps over the fresh
// deck 1..36 (clubs six .. diamonds ace) leaves the order below.
TEST_F(ShuffleTest, OneShuffleFromAKnownSeedGivesTheKnownOrder) {
    CPack::m_Shuffle = 100;
    pack.ShufflePack();
    EXPECT_EQ(CPack::m_Shuffle, 133u);
    const std::vector<int> expected{29, 25, 5,  14, 26, 6,  22, 10, 18, 23, 21, 28,
                                    15, 31, 27, 3,  16, 11, 36, 17, 12, 7,  1,  4,
                                    24, 20, 19, 8,  33, 35, 32, 9,  30, 13, 2,  34};
    EXPECT_EQ(Order(), expected);
}

TEST_F(ShuffleTest, ShuffleUndoesTrumpValuesFirst) {
    pack.SetKozir(3);
    char masts[36];
    char values[36];
    pack.ShufflePack(masts, values);
    for (int i = 0; i < 36; ++i) {
        EXPECT_GE(values[i], 1);
        EXPECT_LE(values[i], 9);
        EXPECT_EQ(masts[i], pack.GetCard(i)->m_Mast);
    }
    for (int i = 0; i < 36; ++i)
        EXPECT_LE(pack.GetCard(i)->m_Value, 9);
}

TEST_F(ShuffleTest, ArrayShuffleReproducesAnotherDecksOrder) {
    CWnd otherTable;
    CPack other;
    other.InitPack36(&otherTable);
    other.SetValueZanta();
    // Give the two decks different starting orders: the arrays alone decide.
    other.ShufflePack();

    char masts[36];
    char values[36];
    CPack::m_Shuffle = 777;
    pack.ShufflePack(masts, values);
    ASSERT_TRUE(other.ArrayShuffle(masts, values));
    for (int i = 0; i < 36; ++i) {
        EXPECT_EQ(other.GetCard(i)->m_Mast, pack.GetCard(i)->m_Mast) << i;
        EXPECT_EQ(other.GetCard(i)->m_Value, pack.GetCard(i)->m_Value) << i;
    }
}

TEST_F(ShuffleTest, ArrayShuffleRefusesWhatIsNotAPermutation) {
    char masts[36];
    char values[36];
    pack.ShufflePack(masts, values);
    const std::vector<int> before = Order();

    char badMasts[36];
    char badValues[36];
    std::copy(masts, masts + 36, badMasts);
    std::copy(values, values + 36, badValues);
    badMasts[5] = 7; // no such suit
    EXPECT_FALSE(pack.ArrayShuffle(badMasts, badValues));
    EXPECT_EQ(Order(), before);

    std::copy(masts, masts + 36, badMasts);
    badMasts[10] = badMasts[11]; // one card twice, another missing
    badValues[10] = badValues[11];
    EXPECT_FALSE(pack.ArrayShuffle(badMasts, badValues));
    EXPECT_EQ(Order(), before);
}

TEST(ShuffleSeed, SurvivesBetweenTwoDeckLifetimes) {
    std::uint32_t written = 0;
    {
        CPack first; // no stored seed: a tick-based one
        const std::uint32_t start = CPack::m_Shuffle;
        EXPECT_GE(start, 1u);
        EXPECT_LE(start, 32767u);
        CPack::m_Shuffle = 1000;
        written = 1330; // the destructor advances once before writing
    }
    CPack::m_Shuffle = 0;
    CPack second;
    EXPECT_EQ(CPack::m_Shuffle, written);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Tavlin2.0\\Public", KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    ASSERT_EQ(RegQueryValueEx(key, "Shuffle", &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 1330u);
    RegCloseKey(key);
}

TEST(ShuffleSeed, DamagedSettingsFileGivesAFreshSeedAndIsReplacedOnWrite) {
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tavlin2.0";
    QDir().mkpath(folder);
    QFile damaged(folder + "/registry.ini");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("[Software\\Tavlin2.0\\Public]\nShuffle=dword:zz\x01\xff\xfe\n\0\0garbage=");
    damaged.close();
    {
        CPack pack;
        EXPECT_GE(CPack::m_Shuffle, 1u);
        EXPECT_LE(CPack::m_Shuffle, 32767u);
        CPack::m_Shuffle = 10;
    }
    CPack::m_Shuffle = 0;
    CPack again;
    EXPECT_EQ(CPack::m_Shuffle, 13u);
}
