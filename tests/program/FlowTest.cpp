#include "CompSettings.h"
#include "MainMenu.h"
#include "ProgramDriver.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

bool WaitIdle(int ms = 20000) {
    return testutil::WaitFor([] { return !CPlayWithComputer::IsBusy(); }, ms);
}

// Waits for the user's turn to lead at an empty table, pressing through games.
bool WaitForUserLead(ProgramDriver& p) {
    for (int i = 0; i < 2000; ++i) {
        if (!p.WaitForUser())
            return false;
        CPublic& t = p.Table();
        if (p.IsUsersTurn() && t.GetNumberCardsOnTable() == 0 && t.GetNumberCardsPlayer(1) == 3)
            return true;
        if (!p.PressButton(QStringLiteral("Сдать карты!")) &&
            !p.PressButton(QStringLiteral("Новая партия!")))
            p.MakeUserMove();
    }
    return false;
}

} // namespace

TEST(ProgramStart, FirstStartUsesTheDefaults) {
    CMainFrame frame;
    CPlayWithComputer& v = *frame.View();
    CPublic& t = v.m_Public;
    EXPECT_EQ(t.m_NumberPlayers, 2);
    EXPECT_EQ(v.m_GameRate, 500);
    EXPECT_TRUE(t.m_Game31);
    EXPECT_TRUE(v.m_GameForStars);
    EXPECT_EQ(t.m_Players[0].m_Star.GetNumberStars(), 5);
    EXPECT_TRUE(t.m_ShowTabloVictory);
    EXPECT_TRUE(t.m_Pack.IsShowAinmationCards());
    EXPECT_TRUE(t.m_Sound);
    EXPECT_EQ(t.m_Pack.GetShirt(), 37);
    EXPECT_EQ(t.GetNumberTable(), 1);
    EXPECT_EQ(t.GetNumberBG(), 0);
    EXPECT_EQ(t.m_Players[1].m_LabelName.GetCaption(), QStringLiteral("Евлампий"));
    EXPECT_EQ(t.m_Players[2].m_LabelName.GetCaption(), QStringLiteral("Кирилл"));
    EXPECT_EQ(t.m_Players[3].m_LabelName.GetCaption(), QStringLiteral("Кузьма"));
    EXPECT_TRUE(v.m_FirstHelp);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Карточная игра Занта - до 31 очка"));
    EXPECT_EQ(t.m_ButtonText, QStringLiteral("Новая партия!"));
    EXPECT_TRUE(t.m_Pack.IsPackFull()); // nothing dealt until the user starts
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
    ASSERT_TRUE(p.PressButton(QStringLiteral("Новая партия!")));
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
    EXPECT_EQ(t.m_ButtonText, QStringLiteral("Далее"));
    p.ClickCard(odd); // another suit: stays in the hand, in its row
    EXPECT_EQ(odd->m_Place, e_Hand);
    EXPECT_EQ(odd->GetCardPos().y(), t.m_HandY[0]);
    p.ClickCard(second); // the last of the suit passes the turn at once
    EXPECT_EQ(second->m_Place, e_Going);
    EXPECT_TRUE(p.View().m_UserMoved);
    EXPECT_EQ(t.m_CurrentPlayer, 2);
    EXPECT_FALSE(t.m_ShowButton);
}

TEST(ProgramFlow, ClicksOutOfTurnOrWhileBusyAreIgnored) {
    ProgramDriver p(3, true);
    ASSERT_TRUE(p.PressButton(QStringLiteral("Новая партия!")));
    ASSERT_TRUE(WaitForUserLead(p));
    CPublic& t = p.Table();
    auto hand = p.View().UserHand();
    ASSERT_EQ(hand.size(), 3u);
    // Somebody else's turn: nothing moves.
    t.m_CurrentPlayer = 2;
    p.ClickCard(hand[0]);
    EXPECT_EQ(hand[0]->m_Place, e_Hand);
    t.m_CurrentPlayer = 1;
    // A card move in progress: nothing moves either.
    ++CCard::m_staticProccessMovecard;
    p.ClickCard(hand[0]);
    --CCard::m_staticProccessMovecard;
    EXPECT_EQ(hand[0]->m_Place, e_Hand);
    // A computer seat's card is never the user's to play.
    for (int i = 0; i < 36; ++i) {
        CCard* c = t.m_Pack.GetCard(i);
        if (c->m_Place == e_Hand && c->m_Player == 2) {
            p.ClickCard(c);
            EXPECT_EQ(c->m_Place, e_Hand);
            break;
        }
    }
}

TEST(ProgramFlow, NextGameIsOfferedOnlyBetweenGamesOfARunningParty) {
    ProgramDriver p(2, true);
    CMainFrame& f = p.Frame();
    EXPECT_FALSE(p.View().IsCommandEnabled(ID_NEXT_GAME));
    ASSERT_TRUE(p.PressButton(QStringLiteral("Новая партия!")));
    ASSERT_TRUE(p.WaitForUser());
    // A zanta may end the first game at once; otherwise nothing is offered yet.
    if (!p.Table().m_ShowButton) {
        EXPECT_FALSE(p.View().IsCommandEnabled(ID_NEXT_GAME));
    }
    // Play until the first game is over.
    for (int i = 0; i < 3000 && !p.Table().m_ShowButton; ++i) {
        ASSERT_TRUE(p.WaitForUser());
        if (!p.Table().m_ShowButton)
            p.MakeUserMove();
    }
    ASSERT_TRUE(p.WaitForUser());
    if (p.Table().m_ButtonText == QStringLiteral("Сдать карты!")) {
        EXPECT_TRUE(p.View().IsCommandEnabled(ID_NEXT_GAME));
        const int game = p.Table().m_NumberGame;
        QTest::keyClick(p.Frame().View(), Qt::Key_F2);
        ASSERT_TRUE(testutil::WaitFor([&] {
            return !CPlayWithComputer::IsBusy() && p.Table().m_NumberGame == game + 1;
        }));
        EXPECT_FALSE(p.View().IsCommandEnabled(ID_NEXT_GAME));
    } else {
        EXPECT_FALSE(p.View().IsCommandEnabled(ID_NEXT_GAME));
    }
    (void)f;
}

TEST(ProgramFlow, AbandoningWhileCardsGlideAsksAndRestartsWhenIdle) {
    ProgramDriver p(4, true, true);
    CPublic& t = p.Table();
    ASSERT_TRUE(p.PressButton(QStringLiteral("Новая партия!")));
    // The party's worker runs from the press on; cards start gliding soon after.
    EXPECT_TRUE(CPlayWithComputer::IsBusy());

    testutil::ModalSeen refused;
    testutil::AnswerNextModal(QStringLiteral("Отмена"), &refused);
    p.View().OnCommand(ID_NEW_PARTY); // ignored while a worker runs
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(p.WaitForUser());
    const int game = t.m_NumberGame;
    p.View().OnCommand(ID_NEW_PARTY);
    EXPECT_TRUE(testutil::WaitFor([&] { return refused.answered; }));
    EXPECT_EQ(refused.text, QStringLiteral("Прервать текущую игру и начать новую партию?"));
    EXPECT_FALSE(p.View().m_BreakParty);
    EXPECT_EQ(t.m_NumberGame, game);

    // Confirmed during a deal: animations jump to their ends, a new party starts.
    testutil::ModalSeen confirmed;
    testutil::AnswerNextModal(QStringLiteral("ОК"), &confirmed);
    p.View().OnCommand(ID_FOUR_PLAYERS); // same number: nothing
    p.View().OnCommand(ID_THREE_PLAYERS);
    EXPECT_TRUE(confirmed.answered);
    EXPECT_EQ(confirmed.text,
              QStringLiteral("Прервать текущую партию и начать игру  с тремя игроками?"));
    // Table state is read only once no worker runs (their end orders it).
    ASSERT_TRUE(testutil::WaitFor([&] {
        return !CPlayWithComputer::IsBusy() && !p.View().HasIdleWork() &&
               t.m_NumberPlayers == 3 && t.m_NumberGame == 1;
    }, 20000));
    EXPECT_GE(t.m_CurrentPlayer, 1);
    EXPECT_LE(t.m_CurrentPlayer, 3);
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

TEST(ProgramFlow, ClosingDuringADealWaitsForTheTableThenCloses) {
    auto p = std::make_unique<ProgramDriver>(4, true, true);
    ASSERT_TRUE(p->PressButton(QStringLiteral("Новая партия!")));
    ASSERT_TRUE(CPlayWithComputer::IsBusy()); // the deal's worker runs
    p->Frame().close();
    EXPECT_TRUE(p->Frame().m_CloseRequested);
    ASSERT_TRUE(testutil::WaitFor([&] { return !p->Frame().isVisible(); }, 20000));
    EXPECT_FALSE(CPlayWithComputer::IsBusy());
    p.reset();
}

TEST(ProgramFlow, KeysPlayTheHandAndPressTheButton) {
    ProgramDriver p(2, false);
    QTest::keyClick(p.Frame().View(), Qt::Key_Return); // "Новая партия!"
    ASSERT_TRUE(WaitForUserLead(p));
    auto hand = p.View().UserHand();
    ASSERT_EQ(hand.size(), 3u);
    QTest::keyClick(p.Frame().View(), Qt::Key_2);
    EXPECT_EQ(hand[1]->m_Place, e_Going);
    EXPECT_EQ(hand[0]->m_Place, e_Hand);
}

TEST(ProgramFlow, ThreeTrumpsCountedWithOneOnTheTableDoNotLockTheUserOut) {
    ProgramDriver p(2, true);
    ASSERT_TRUE(p.PressButton(QStringLiteral("Новая партия!")));
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
    for (int i = 0; i < 36; ++i) {
        CCard* c = t.m_Pack.GetCard(i);
        if (c->m_Place == e_Hand && c->m_Player == 2) {
            c->m_Place = e_Pack;
            c->m_Player = 0;
        }
    }
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
