#include "CompSettings.h"
#include "MainMenu.h"
#include "ProgramDriver.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>

#include <tuple>

namespace {

// Waits for the user's turn to lead at an empty table, pressing through games.
bool WaitForUserLead(ProgramDriver& p) {
    for (int i = 0; i < 2000; ++i) {
        if (!p.WaitForUser())
            return false;
        CPublic& t = p.Table();
        if (p.IsUsersTurn() && t.GetNumberCardsOnTable() == 0 && t.GetNumberCardsPlayer(1) == 3)
            return true;
        if (!p.PressButton(ButtonText::Deal) &&
            !p.PressButton(ButtonText::NewParty))
            p.MakeUserMove();
    }
    return false;
}

} // namespace

// A first start, and a start whose settings folder cannot be used, both give
// a reset party with every default.
TEST(ProgramStart, FirstStartAndAnUnusableFolderGiveTheDefaults) {
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tavlin2.0");
    for (bool blocked : {false, true}) {
        SCOPED_TRACE(blocked ? "a plain file where the folder goes" : "no settings yet");
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        if (blocked) {
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
        CMainFrame frame;
        CPlayWithComputer& v = *frame.View();
        CPublic& t = v.m_Public;
        EXPECT_EQ(std::tuple(t.m_NumberPlayers, v.m_GameRate.load(), t.m_Game31, t.m_Pack.GetShirt(),
                             t.GetNumberTable(), t.GetNumberBG()),
                  std::tuple(2, 500, true, 37, 1, 0));
        EXPECT_TRUE(v.m_GameForStars && t.m_ShowTabloVictory && t.m_Pack.IsShowAinmationCards() &&
                    t.m_Sound && v.m_FirstHelp);
        EXPECT_EQ(t.m_Players[0].m_Star.GetNumberStars(), 5);
        EXPECT_EQ(t.m_Players[1].m_Star.GetNumberStars(), 5);
        EXPECT_EQ(QStringList({t.m_Players[1].m_LabelName.GetCaption(), t.m_Players[2].m_LabelName.GetCaption(),
                               t.m_Players[3].m_LabelName.GetCaption()}),
                  QStringList({"Евлампий", "Кирилл", "Кузьма"}));
        EXPECT_EQ(frame.windowTitle(), QStringLiteral("Карточная игра Занта - до 31 очка"));
        EXPECT_EQ(t.m_ButtonText, ButtonText::NewParty);
        EXPECT_TRUE(t.m_Pack.IsPackFull()); // nothing dealt until the user starts
        blocker.remove();
    }
}

TEST(ProgramStart, SettingsSurviveARestart) {
    {
        CMainFrame frame;
        CPlayWithComputer& v = *frame.View();
        v.SetNumberPlayers(4);
        v.OnCommand(ID_GAME12);
        v.m_GameRate = 900;
        v.m_Public.SetBG(3);
        v.m_Public.m_Players[2].SetName(QStringLiteral("Фёдор"));
    }
    CMainFrame again;
    CPublic& t = again.View()->m_Public;
    EXPECT_EQ(t.m_NumberPlayers, 4);
    EXPECT_FALSE(t.m_Game31);
    EXPECT_EQ(again.View()->m_GameRate, 900);
    EXPECT_EQ(t.GetNumberBG(), 3);
    EXPECT_EQ(t.m_Players[2].m_LabelName.GetCaption(), QStringLiteral("Фёдор"));
    EXPECT_EQ(again.windowTitle(), QStringLiteral("Карточная игра Занта - до 12 баллов"));
}

TEST(ProgramFlow, LeadingTwoCardsOfASuitShowsFurtherThenAnotherSuitGoesBack) {
    ProgramDriver p(2, false);
    ASSERT_TRUE(p.PressButton(ButtonText::NewParty));
    ASSERT_TRUE(WaitForUserLead(p));
    CPublic& t = p.Table();
    // Give the user two plain cards of one suit and one of another, from the
    // cards nobody holds or plays now (the pack, tricks and discards).
    const int kozir = t.GetMastKozir();
    for (int i = 0; i < 36; ++i) {
        CCard* c = t.m_Pack.GetCard(i);
        if (c->m_Place == e_Hand && c->m_Player == 1) {
            c->m_Place = e_Take; // out of the way for this test
            c->m_Player = 2;
        }
    }
    std::vector<CCard*> free[5];
    for (int i = 0; i < 35; ++i) { // not the trump card under the pack
        CCard* c = t.m_Pack.GetCard(i);
        if (c->m_Place != e_Hand && c->m_Place != e_Going && c->m_Mast != kozir)
            free[c->m_Mast].push_back(c);
    }
    int suit = 0;
    int other = 0;
    for (int m = 1; m <= 4; ++m) {
        if (!suit && free[m].size() >= 2)
            suit = m;
        else if (!other && !free[m].empty())
            other = m;
    }
    ASSERT_TRUE(suit && other);
    std::vector<CCard*> pick = {free[suit][0], free[suit][1], free[other][0]};
    ASSERT_EQ(pick.size(), 3u);
    for (CCard* c : pick) {
        c->m_Place = e_Hand;
        c->m_Player = 1;
        c->CardClose(false);
    }
    t.CorrectLocationCardsUser();
    CCard* first = nullptr;
    CCard* second = nullptr;
    CCard* odd = nullptr;
    for (CCard* c : pick)
        (c->m_Mast == suit ? (first ? second : first) : odd) = c;

    p.ClickCard(first);
    EXPECT_EQ(first->m_Place, e_Going);
    EXPECT_TRUE(t.m_ShowButton);
    EXPECT_EQ(t.m_ButtonText, ButtonText::Further);
    p.ClickCard(odd); // another suit: stays in the hand, in its row
    EXPECT_EQ(odd->m_Place, e_Hand);
    EXPECT_EQ(odd->GetCardPos().y(), t.m_HandY[0]);
    p.ClickCard(second); // the last of the suit passes the turn at once
    EXPECT_EQ(second->m_Place, e_Going);
    EXPECT_TRUE(p.View().m_UserMoved);
    EXPECT_EQ(t.m_CurrentPlayer, 2);
    EXPECT_FALSE(t.m_ShowButton);
}

// Keys play the hand from left to right; a click counts only on the user's
// own card, on his turn, with nothing moving.
TEST(ProgramFlow, KeysAndClicksPlayOnlyTheUsersCardsOnHisTurn) {
    ProgramDriver p(3, true);
    QTest::keyClick(&p.View(), Qt::Key_Return); // "Новая партия!"
    ASSERT_TRUE(WaitForUserLead(p));
    CPublic& t = p.Table();
    auto hand = p.View().UserHand();
    ASSERT_EQ(hand.size(), 3u);
    t.m_CurrentPlayer = 2;
    p.ClickCard(hand[0]);
    t.m_CurrentPlayer = 1;
    ++CCard::m_staticProccessMovecard;
    p.ClickCard(hand[0]);
    --CCard::m_staticProccessMovecard;
    for (CCard* c : t.m_Pack.m_Cards)
        if (c->m_Place == e_Hand && c->m_Player == 2)
            p.ClickCard(c);
    EXPECT_EQ(t.GetNumberCardsOnTable(), 0);
    QTest::keyClick(&p.View(), Qt::Key_2);
    EXPECT_EQ(hand[1]->m_Place, e_Going);
    EXPECT_EQ(hand[0]->m_Place, e_Hand);
}

TEST(ProgramFlow, ChangingTheKindWithoutAPartyAsksNothing) {
    ProgramDriver p(2, true);
    testutil::ModalSeen seen;
    testutil::AnswerNextModal(QStringLiteral("ОК"), &seen, 300);
    p.View().OnCommand(ID_GAME12);
    EXPECT_TRUE(testutil::WaitFor([&] { return !p.View().HasIdleWork(); }));
    EXPECT_FALSE(p.Table().m_Game31);
    EXPECT_FALSE(seen.answered);
    EXPECT_EQ(p.Frame().windowTitle(), QStringLiteral("Карточная игра Занта - до 12 баллов"));
    EXPECT_EQ(p.Table().m_Players[0].m_Star.GetNumberStars(), 0);
}

TEST(ProgramFlow, ThreeTrumpsCountedWithOneOnTheTableDoNotLockTheUserOut) {
    ProgramDriver p(2, true);
    ASSERT_TRUE(p.PressButton(ButtonText::NewParty));
    ASSERT_TRUE(WaitForUserLead(p));
    CPublic& t = p.Table();
    const int kozir = t.GetMastKozir();
    ASSERT_NE(kozir, 0);
    // Seat 2 holds two trumps and has led a third face up: a zanta by count,
    // but not one dealt, so the game goes on and the user must answer.
    std::vector<CCard*> trumps;
    for (int i = 0; i < 36 && trumps.size() < 3; ++i) {
        CCard* c = t.m_Pack.GetCard(i);
        if (c->m_Mast == kozir && !(c->m_Place == e_Hand && c->m_Player == 1))
            trumps.push_back(c);
    }
    ASSERT_EQ(trumps.size(), 3u);
    for (CCard* c : t.m_Pack.m_Cards)
        if (c->m_Place == e_Hand && c->m_Player == 2)
            c->m_Place = e_Pack;
    for (CCard* c : trumps) {
        c->m_Place = e_Hand;
        c->m_Player = 2;
    }
    t.MoveCard_GO(2, trumps[0], true);
    int zanta = 1;
    ASSERT_TRUE(t.IsZanta(&zanta));
    auto hand = p.View().UserHand();
    ASSERT_FALSE(hand.empty());
    p.ClickCard(hand[0]);
    EXPECT_NE(hand[0]->m_Place, e_Hand);
}
