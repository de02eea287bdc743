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
    CCard* Find(int mast, int scores, int value) {
        for (int i = 0; i < pack.GetNumberCardsInPack(); ++i) {
            CCard* c = pack.GetCard(i);
            if (c->m_Mast == mast && c->m_Scores == scores && c->m_Value == value)
                return c;
        }
        return nullptr;
    }

    CWnd table;
    CPack pack;
};

} // namespace

TEST_F(PackTest, NumbersAndValuesTheCardsForThisGame) {
    ASSERT_EQ(pack.GetNumberCardsInPack(), 36);
    const int scores[9] = {0, 0, 0, 0, 10, 2, 3, 4, 11};
    const int values[9] = {1, 2, 3, 4, 8, 5, 6, 7, 9}; // the ten just below the ace
    int total = 0;
    for (int j = 1; j <= 36; ++j) {
        CCard* c = pack.GetCard(j - 1);
        EXPECT_EQ(c->m_Mast, 1 + (j - 1) / 9);
        EXPECT_EQ(c->m_Scores, scores[(j - 1) % 9]);
        EXPECT_EQ(c->m_Value, values[(j - 1) % 9]);
        EXPECT_EQ(c->m_Place, e_Pack);
        EXPECT_EQ(c->parentWidget(), &table);
        total += c->m_Scores;
    }
    EXPECT_EQ(total, 120);
    EXPECT_EQ(pack.GetCard(-1), nullptr);
    EXPECT_EQ(pack.GetCard(36), nullptr);

    pack.SetValueKvelt(); // the natural order six .. ace
    for (int j = 1; j <= 9; ++j)
        EXPECT_EQ(pack.GetCard(j - 1)->m_Value, j);
}

TEST_F(PackTest, TrumpMarkingBeatsAndResets) {
    CCard* ten = Find(2, 10, 8);
    CCard* king = Find(2, 4, 7);
    ASSERT_TRUE(ten && king);
    EXPECT_GT(ten->m_Value, king->m_Value);

    pack.SetKozir(3);
    pack.SetKozir(4); // only the last suit stays trump
    for (int i = 0; i < 36; ++i) {
        CCard* c = pack.GetCard(i);
        EXPECT_EQ(c->m_Value > 9, c->m_Mast == 4);
    }
    CCard* trumpSix = Find(4, 0, 10);
    CCard* clubAce = Find(1, 11, 9);
    ASSERT_TRUE(trumpSix && clubAce);
    EXPECT_GT(trumpSix->m_Value, clubAce->m_Value);

    pack.SetKozir(0); // no suit: no trump
    for (int i = 0; i < 36; ++i)
        EXPECT_LE(pack.GetCard(i)->m_Value, 9);
    pack.ResetKozir();
    EXPECT_EQ(Find(4, 0, 1), trumpSix);
}

TEST_F(PackTest, GatheringStacksTheCardsAndArmsTheTrumpCard) {
    CCard::m_staticAnimCards = false;
    CMyLabel::m_staticBreak = true;
    CStar::m_staticBreak = true;
    pack.GetCard(3)->m_Place = e_Hand;
    pack.GetCard(3)->m_Player = 2;
    pack.GetCard(3)->m_Beaten = true;
    pack.GetCard(3)->CardClose(false);
    pack.m_PackX = 20;
    pack.m_PackY = 200;
    pack.CardsToPack(true);

    EXPECT_TRUE(pack.IsPackFull());
    EXPECT_FALSE(pack.IsPackEnd());
    EXPECT_EQ(pack.m_KozirState, 1);
    EXPECT_TRUE(CCard::m_staticAnimCards);
    EXPECT_FALSE(CMyLabel::m_staticBreak);
    EXPECT_FALSE(CStar::m_staticBreak);
    for (int i = 0; i < 36; ++i) {
        CCard* c = pack.GetCard(i);
        EXPECT_EQ(c->m_Player, 0);
        EXPECT_FALSE(c->m_Beaten);
        EXPECT_FALSE(c->m_bOpen);
        EXPECT_EQ(c->GetCardPos(), QPoint(20 + i / 5, 200 - i / 5)) << i;
    }
    // Card 0 lies on top of the stack.
    EXPECT_EQ(table.childAt(QPoint(40, 220)), pack.GetCard(0));

    pack.CardsToPack(false);
    EXPECT_EQ(pack.m_KozirState, 0);
    EXPECT_EQ(pack.ShowCardKozir(), 0);
}

TEST_F(PackTest, DealingHelpersFindTheFirstCardInThePack) {
    pack.CardsToPack(true);
    int index = 99;
    EXPECT_EQ(pack.TakeCard(&index), pack.GetCard(0));
    EXPECT_EQ(index, 0);
    pack.GetCard(0)->m_Place = e_Hand;
    EXPECT_FALSE(pack.IsPackFull());
    EXPECT_EQ(pack.TakeCard(&index), pack.GetCard(1));
    EXPECT_EQ(index, 1);
    for (int i = 0; i < 35; ++i)
        pack.GetCard(i)->m_Place = e_Hand;
    EXPECT_FALSE(pack.IsPackEnd()); // the trump card is still there
    pack.GetCard(35)->m_Place = e_Hand;
    EXPECT_TRUE(pack.IsPackEnd());
    EXPECT_EQ(pack.TakeCard(&index), nullptr);
    EXPECT_EQ(index, -1);

    CPack empty;
    EXPECT_EQ(empty.TakeCard(&index), nullptr);
    EXPECT_EQ(index, -1);
    EXPECT_TRUE(empty.IsPackFull());
    EXPECT_TRUE(empty.IsPackEnd());
}

TEST_F(PackTest, TrumpCardTurnsOnceAndFollowsThePack) {
    pack.CardsToPack(true);
    CCard* last = pack.GetCard(35);
    const QPoint stacked = last->GetCardPos();
    const int mast = last->m_Mast;
    EXPECT_EQ(pack.ShowCardKozir(), mast);
    EXPECT_TRUE(last->m_bOpen);
    EXPECT_EQ(last->GetCardPos(), stacked - QPoint(50, 0));
    EXPECT_EQ(pack.m_KozirState, 2);
    EXPECT_GT(last->m_Value, 9);
    EXPECT_EQ(pack.ShowCardKozir(), 0);

    pack.GetCard(0)->m_Place = e_Hand;
    pack.SetPackPos(100, 300);
    EXPECT_EQ(pack.GetCard(7)->GetCardPos(), QPoint(101, 299));
    EXPECT_EQ(last->GetCardPos(), QPoint(100 + 7 - 50, 300 - 7));
}

TEST_F(PackTest, BundlePicturesAreLoadedForEveryCard) {
    for (int i = 0; i < 36; ++i) {
        CCard* c = pack.GetCard(i);
        ASSERT_FALSE(c->m_bmpFace.isNull()) << i;
        ASSERT_FALSE(c->m_bmpShirt.isNull()) << i;
        EXPECT_EQ(c->m_bmpFace.deviceIndependentSize().toSize(), QSize(71, 96));
    }
    // Different cards, different faces; backs shared.
    EXPECT_NE(pack.GetCard(0)->m_bmpFace.toImage(), pack.GetCard(1)->m_bmpFace.toImage());
    EXPECT_EQ(pack.GetCard(0)->m_bmpShirt.toImage(), pack.GetCard(1)->m_bmpShirt.toImage());

    const QImage before = pack.GetCard(5)->m_bmpShirt.toImage();
    pack.SetShirt(40);
    EXPECT_EQ(pack.GetShirt(), 40);
    EXPECT_NE(pack.GetCard(5)->m_bmpShirt.toImage(), before);
    // The program's own resources are current again.
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleResources("pub"));
}

TEST_F(PackTest, OpenAllCardsAndAnimationSwitchCoverTheDeck) {
    EXPECT_FALSE(pack.IsShowAinmationCards());
    pack.ShowAinmationCards(true);
    EXPECT_TRUE(pack.IsShowAinmationCards());
    pack.GetCard(17)->m_bAnimation = false;
    EXPECT_FALSE(pack.IsShowAinmationCards());
    pack.OpenAllCards(true);
    for (int i = 0; i < 36; ++i)
        EXPECT_TRUE(pack.GetCard(i)->IsFaceShown());
}

TEST(PackWithoutPictures, MissingBundleGivesPlainCardsAndOneWarning) {
    QTemporaryDir nowhere;
    platform::SetLibrarySearchPath({nowhere.path()});
    CWnd table;
    table.resize(790, 650);
    CPack pack;
    ASSERT_TRUE(pack.InitPack36(&table));
    ASSERT_EQ(pack.GetNumberCardsInPack(), 36);
    for (int i = 0; i < 36; ++i)
        EXPECT_TRUE(pack.GetCard(i)->m_bmpFace.isNull());

    testutil::ModalSeen seen;
    testutil::AnswerNextModal("ОК", &seen);
    pack.SetShirt(39);
    EXPECT_TRUE(seen.answered);
    EXPECT_EQ(seen.title, "Внимание");
    EXPECT_TRUE(seen.text.startsWith("Не найдена или повреждена библиотека DeckArt.dll\n"));
    EXPECT_EQ(pack.GetShirt(), 39);
    EXPECT_TRUE(pack.GetCard(0)->m_bmpShirt.isNull());
    platform::SetLibrarySearchPath({});
}

TEST(PackWithoutPictures, EmptyDeckKeepsItsBack) {
    CPack pack;
    pack.SetShirt(41);
    EXPECT_EQ(pack.GetShirt(), 37);
}
