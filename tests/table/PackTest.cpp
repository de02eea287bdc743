#include "Pack.h"
#include "MyLabel.h"
#include "Resources.h"
#include "Star.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

class PackTest : public testing::Test {
protected:
    void SetUp() override {
        table.resize(790, 650);
        table.show();
        pack.InitPack36(&table);
        pack.SetValueZanta();
    }
    CWnd table;
    CPack pack;
};

} // namespace

TEST_F(PackTest, NumbersValuesAndMarksTrumpsForThisGame) {
    ASSERT_EQ(pack.GetNumberCardsInPack(), 36);
    const int scores[9] = {0, 0, 0, 0, 10, 2, 3, 4, 11};
    const int values[9] = {1, 2, 3, 4, 8, 5, 6, 7, 9}; // the ten just below the ace
    int total = 0;
    for (int j = 0; j < 36; ++j) {
        const CCard* c = pack.GetCard(j);
        EXPECT_EQ(c->m_Mast, 1 + j / 9);
        EXPECT_EQ(c->m_Scores, scores[j % 9]);
        EXPECT_EQ(c->m_Value, values[j % 9]);
        EXPECT_EQ(c->m_Place, e_Pack);
        total += c->m_Scores;
    }
    EXPECT_EQ(total, 120);
    EXPECT_EQ(pack.GetCard(-1), nullptr);
    EXPECT_EQ(pack.GetCard(36), nullptr);

    pack.SetKozir(3);
    pack.SetKozir(4); // only the last suit stays trump: sixes 10 .. aces 18
    for (int j = 0; j < 36; ++j)
        EXPECT_EQ(pack.GetCard(j)->m_Value, values[j % 9] + (j / 9 == 3 ? 9 : 0)) << j;
    pack.SetKozir(0); // no suit: no trump
    for (int j = 0; j < 36; ++j)
        EXPECT_LE(pack.GetCard(j)->m_Value, 9);

    pack.SetValueKvelt(); // the natural order six .. ace
    for (int j = 0; j < 9; ++j)
        EXPECT_EQ(pack.GetCard(j)->m_Value, j + 1);
}

TEST_F(PackTest, GatheringStacksTheCardsFaceDownAndAllowsAnimationsAgain) {
    CCard::m_staticAnimCards = false;
    CMyLabel::m_staticBreak = true;
    CStar::m_staticBreak = true;
    CCard* held = pack.GetCard(3);
    held->m_Place = e_Hand;
    held->m_Player = 2;
    held->m_Beaten = true;
    held->CardClose(false);
    pack.m_PackX = 20;
    pack.m_PackY = 200;
    pack.CardsToPack(true);

    EXPECT_TRUE(pack.IsPackFull());
    EXPECT_TRUE(CCard::m_staticAnimCards);
    EXPECT_FALSE(CMyLabel::m_staticBreak || CStar::m_staticBreak);
    EXPECT_EQ(held->m_Player, 0);
    EXPECT_FALSE(held->m_Beaten || held->m_bOpen);
    EXPECT_EQ(table.childAt(QPoint(40, 220)), pack.GetCard(0)); // card 0 on top

    // The dealing helpers find the first card still in the pack.
    int index = 99;
    EXPECT_EQ(pack.TakeCard(&index), pack.GetCard(0));
    EXPECT_EQ(index, 0);
    for (int i = 0; i < 35; ++i)
        pack.GetCard(i)->m_Place = e_Hand;
    EXPECT_FALSE(pack.IsPackFull() || pack.IsPackEnd()); // the trump card is still there
    EXPECT_EQ(pack.TakeCard(&index), pack.GetCard(35));
    pack.GetCard(35)->m_Place = e_Hand;
    EXPECT_TRUE(pack.IsPackEnd());
    EXPECT_EQ(pack.TakeCard(&index), nullptr);
    EXPECT_EQ(index, -1);
}

TEST_F(PackTest, TrumpCardTurnsOnceAndFollowsThePack) {
    pack.CardsToPack(true);
    CCard* last = pack.GetCard(35);
    const QPoint stacked = last->GetCardPos();
    EXPECT_EQ(pack.ShowCardKozir(), last->m_Mast);
    EXPECT_TRUE(last->m_bOpen);
    EXPECT_EQ(last->GetCardPos(), stacked - QPoint(50, 0));
    EXPECT_GT(last->m_Value, 9);
    EXPECT_EQ(pack.ShowCardKozir(), 0);

    pack.GetCard(0)->m_Place = e_Hand;
    pack.SetPackPos(100, 300);
    EXPECT_EQ(pack.GetCard(7)->GetCardPos(), QPoint(101, 299));
    EXPECT_EQ(last->GetCardPos(), QPoint(100 + 7 - 50, 300 - 7));

    pack.CardsToPack(false); // not armed: nothing turns
    EXPECT_EQ(pack.ShowCardKozir(), 0);
}

TEST_F(PackTest, BundlePicturesGiveEveryCardItsFaceAndTheChosenBack) {
    for (int i = 0; i < 36; ++i)
        ASSERT_FALSE(pack.GetCard(i)->m_bmpFace.isNull() || pack.GetCard(i)->m_bmpShirt.isNull());
    EXPECT_NE(pack.GetCard(0)->m_bmpFace.toImage(), pack.GetCard(1)->m_bmpFace.toImage());
    const QImage before = pack.GetCard(5)->m_bmpShirt.toImage();
    pack.SetShirt(40);
    EXPECT_EQ(pack.GetShirt(), 40);
    EXPECT_NE(pack.GetCard(5)->m_bmpShirt.toImage(), before);
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleResources("pub")); // ours are current again
}

TEST(PackWithoutPictures, MissingBundleGivesPlainCardsAndOneWarning) {
    CPack empty;
    empty.SetShirt(41); // an empty deck keeps its back
    EXPECT_EQ(empty.GetShirt(), 37);

    QTemporaryDir nowhere;
    platform::SetLibrarySearchPath({nowhere.path()});
    CWnd table;
    CPack pack;
    ASSERT_TRUE(pack.InitPack36(&table));
    ASSERT_EQ(pack.GetNumberCardsInPack(), 36);
    EXPECT_TRUE(pack.GetCard(0)->m_bmpFace.isNull());

    testutil::ModalSeen seen;
    testutil::AnswerNextModal("ОК", &seen);
    pack.SetShirt(39);
    EXPECT_TRUE(seen.answered);
    EXPECT_EQ(seen.title, "Внимание");
    EXPECT_TRUE(seen.text.startsWith("Не найдена или повреждена библиотека DeckArt.dll\n"));
    EXPECT_EQ(pack.GetShirt(), 39);
    platform::SetLibrarySearchPath({});
}
