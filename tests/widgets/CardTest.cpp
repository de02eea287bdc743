#include "Card.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include "Time.h"

#include <QPainter>
#include <QTest>

#include <memory>
#include <thread>

namespace {

// A table window that records the card messages it receives.
class RecordingTable : public CWnd {
public:
    RecordingTable() { resize(400, 300); }
    std::vector<std::pair<UINT, CCard*>> received;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CARD_LBUTTONDOWN || message == WM_CARD_LBUTTONUP)
            received.emplace_back(message, reinterpret_cast<CCard*>(wParam));
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class CardTest : public testing::Test {
protected:
    void SetUp() override {
        table.show();
        card.CreateCard(QRect(0, 0, 71, 96), &table, 0, 0);
        card.SetCardPos(100, 100);
        CCard::m_staticAnimCards = true;
    }
    void TearDown() override { CCard::m_staticAnimCards = true; }

    RecordingTable table;
    CCard card;
};

// Breaks the animation on the n-th pause.
std::atomic<int> g_breakAt{0};
std::atomic<int> g_pauses{0};
void BreakingPause(int) {
    if (++g_pauses == g_breakAt)
        CCard::m_staticAnimCards = false;
}

// A table of one colour, for comparing what reached the screen with what the
// windows would paint now.
class PlainTable : public CWnd {
protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        dc.fillRect(rect(), QColor(0, 128, 0));
        return TRUE;
    }
};

} // namespace

TEST(CardOnScreen, CardsLeavingAStackLeaveNothingOfThemselvesBehind) {
    PlainTable table;
    table.resize(400, 300);
    // A stack as the pack lays it: each card one pixel right of and above the
    // one on it.
    std::vector<std::unique_ptr<CCard>> stack;
    for (int i = 0; i < 4; ++i) {
        stack.push_back(std::make_unique<CCard>());
        stack[i]->CreateCard(QRect(0, 0, 71, 96), &table, 0, 0);
        stack[i]->SetWindowPos(HWND_BOTTOM, 300 + i, 190 - i, 71, 96, SWP_NOACTIVATE);
    }
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    testutil::PauseCounter pauses;
    CCard::m_staticAnimCards = true;
    for (int i = 0; i < 3; ++i) {
        stack[i]->m_bAnimation = true;
        stack[i]->CardMove(20 + 80 * i, 20, 0, false);
        stack[i]->CardOpen(true);
    }
    EXPECT_EQ(testutil::StalePixels(table), 0);
}

TEST_F(CardTest, FreshCardIsClosedAndPlainAfterCreation) {
    CCard fresh;
    EXPECT_FALSE(fresh.m_bOpen);
    EXPECT_FALSE(fresh.m_bAlwaysOpen);
    EXPECT_FALSE(fresh.m_bAnimation);
    EXPECT_EQ(fresh.m_IndexX, -1);
    EXPECT_EQ(fresh.m_IndexY, -1);
    EXPECT_EQ(fresh.m_Value, 0);
    EXPECT_EQ(card.size(), QSize(71, 96));
    // Rounded corners: the corner pixel is outside the shape, the edge is inside.
    EXPECT_FALSE(card.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(card.mask().contains(QPoint(35, 0)));
    EXPECT_TRUE(card.mask().contains(QPoint(70, 95)) || card.mask().contains(QPoint(69, 94)));
}

TEST_F(CardTest, FlipWithAnimationMakesTenPausesAndEndsAtFullSize) {
    card.m_bAnimation = true;
    testutil::PauseCounter pauses;
    card.CardOpen(true);
    EXPECT_TRUE(card.m_bOpen);
    EXPECT_EQ(pauses.Count(), 10);
    EXPECT_EQ(pauses.TotalMs(), 50);
    EXPECT_EQ(card.geometry(), QRect(100, 100, 71, 96));
    EXPECT_EQ(CCard::m_staticProccessMovecard, 0);
}

TEST_F(CardTest, FlipToTheSameSideDoesNothingWhenAnimating) {
    card.m_bAnimation = true;
    card.m_bOpen = true;
    testutil::PauseCounter pauses;
    card.CardOpen(true);
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_TRUE(card.m_bOpen);
}

TEST_F(CardTest, FlipWithoutAnimationIsImmediate) {
    testutil::PauseCounter pauses;
    card.CardOpen(true);
    EXPECT_TRUE(card.m_bOpen);
    card.m_bAnimation = true;
    CCard::m_staticAnimCards = false;
    card.CardOpen(false);
    EXPECT_FALSE(card.m_bOpen);
    EXPECT_EQ(pauses.Count(), 0);
}

TEST_F(CardTest, FlipOfAForcedOpenCardMarksItFaceUp) {
    card.m_bAnimation = true;
    card.m_bAlwaysOpen = true;
    testutil::PauseCounter pauses;
    card.CardOpen(false);
    EXPECT_TRUE(card.m_bOpen);
    EXPECT_EQ(pauses.Count(), 0);
}

TEST_F(CardTest, BreakDuringNarrowingTakesOneLastStepEachWay) {
    card.m_bAnimation = true;
    g_pauses = 0;
    g_breakAt = 2; // after the second narrowing step
    auto previous = platform::SetPauseHook(&BreakingPause);
    card.CardOpen(true);
    platform::SetPauseHook(previous);
    // Two narrowing steps, one last narrowing at width 11, one widening at 61.
    EXPECT_EQ(g_pauses, 4);
    EXPECT_TRUE(card.m_bOpen);
    EXPECT_EQ(card.geometry(), QRect(100, 100, 71, 96));
}

TEST_F(CardTest, MoveWithAnimationStepsFiveSeventhsThenLands) {
    card.m_bAnimation = true;
    std::vector<QPoint> steps;
    static std::vector<QPoint>* s_steps;
    static CCard* s_card;
    s_steps = &steps;
    s_card = &card;
    auto previous = platform::SetPauseHook([](int) { s_steps->push_back(s_card->pos()); });
    card.CardMove(170, 30, 0, false); // dx = 10, dy = 10
    platform::SetPauseHook(previous);
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0], QPoint(110, 90));
    EXPECT_EQ(steps[4], QPoint(150, 50));
    EXPECT_EQ(card.pos(), QPoint(170, 30));
    EXPECT_EQ(CCard::m_staticProccessMovecard, 0);
}

TEST_F(CardTest, ShortMoveAxisJumpsAtTheEnd) {
    card.m_bAnimation = true;
    static std::vector<QPoint> s_steps;
    static CCard* s_card;
    s_steps.clear();
    s_card = &card;
    auto previous = platform::SetPauseHook([](int) { s_steps.push_back(s_card->pos()); });
    card.CardMove(106, 170, 0, false); // 6 px right: no x step; 70 px down: -10 per step
    platform::SetPauseHook(previous);
    ASSERT_EQ(s_steps.size(), 5u);
    for (const QPoint& p : s_steps)
        EXPECT_EQ(p.x(), 100);
    EXPECT_EQ(s_steps[0].y(), 110);
    EXPECT_EQ(card.pos(), QPoint(106, 170));
}

TEST_F(CardTest, BreakFlagCutsAMoveShortButItStillLands) {
    card.m_bAnimation = true;
    g_pauses = 0;
    g_breakAt = 2;
    auto previous = platform::SetPauseHook(&BreakingPause);
    card.CardMove(240, 100, 0, false);
    platform::SetPauseHook(previous);
    EXPECT_EQ(g_pauses, 2);
    EXPECT_EQ(card.pos(), QPoint(240, 100));
}

TEST_F(CardTest, MoveOfACardWithoutAnimationIsImmediate) {
    testutil::PauseCounter pauses;
    card.CardMove(10, 20, 0, false);
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_EQ(card.pos(), QPoint(10, 20));
}

TEST_F(CardTest, AnimationFromAWorkerThreadRunsOnTheGuiThreadAndCountsAsBusy) {
    card.m_bAnimation = true;
    std::atomic<bool> done{false};
    int busySeen = 0;
    std::thread worker([&] {
        card.CardMove(300, 150, 0, false);
        card.CardOpen(true);
        done = true;
    });
    // The GUI thread keeps handling events while the worker animates.
    ASSERT_TRUE(testutil::WaitFor([&] {
        busySeen = std::max(busySeen, CCard::m_staticProccessMovecard.load());
        return done.load();
    }));
    worker.join();
    EXPECT_EQ(busySeen, 1);
    EXPECT_EQ(card.pos(), QPoint(300, 150));
    EXPECT_TRUE(card.m_bOpen);
    EXPECT_EQ(CCard::m_staticProccessMovecard, 0);
}

TEST_F(CardTest, PressAndReleaseAreReportedToTheParentWithTheCard) {
    QTest::mousePress(&card, Qt::LeftButton, {}, QPoint(30, 40));
    QTest::mouseRelease(&card, Qt::LeftButton, {}, QPoint(30, 40));
    ASSERT_EQ(table.received.size(), 2u);
    EXPECT_EQ(table.received[0].first, 1059u);
    EXPECT_EQ(table.received[0].second, &card);
    EXPECT_EQ(table.received[1].first, 1054u);
    EXPECT_EQ(table.received[1].second, &card);
}

TEST_F(CardTest, DrawsTheFaceOrTheBackSqueezedToItsWidth) {
    QPixmap face(71, 96);
    face.fill(Qt::red);
    QPixmap back(71, 96);
    back.fill(Qt::blue);
    card.m_bmpFace = face;
    card.m_bmpShirt = back;
    EXPECT_EQ(card.grab().toImage().pixelColor(35, 48), QColor(Qt::blue));
    card.CardClose(false);
    EXPECT_EQ(card.grab().toImage().pixelColor(35, 48), QColor(Qt::red));
    card.CardClose(true);
    card.m_bAlwaysOpen = true;
    EXPECT_EQ(card.grab().toImage().pixelColor(35, 48), QColor(Qt::red));
    // A narrowed card shows the whole picture squeezed, not a cut-off part.
    QPixmap halves(71, 96);
    halves.fill(Qt::green);
    {
        QPainter p(&halves);
        p.fillRect(36, 0, 35, 96, Qt::yellow);
    }
    card.m_bmpFace = halves;
    card.resize(11, 96);
    const QImage narrow = card.grab().toImage();
    EXPECT_EQ(narrow.pixelColor(2, 48), QColor(Qt::green));
    EXPECT_EQ(narrow.pixelColor(9, 48), QColor(Qt::yellow));
}
