#include "Card.h"
#include "TestUtil.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include <memory>
#include <thread>

namespace {

// A table of one colour that records the card messages it receives.
class Table : public CWnd {
public:
    Table() { resize(400, 300); }
    std::vector<std::pair<UINT, CCard*>> received;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        dc.fillRect(rect(), QColor(0, 128, 0));
        return TRUE;
    }
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
        card.m_bAnimation = true;
        CCard::m_staticAnimCards = true;
    }
    void TearDown() override { CCard::m_staticAnimCards = true; }

    Table table;
    CCard card;
};

// Breaks the animations on the n-th pause.
std::atomic<int> g_breakAt{0};
std::atomic<int> g_pauses{0};
void BreakingPause(int) {
    if (++g_pauses == g_breakAt)
        CCard::m_staticAnimCards = false;
}

} // namespace

TEST(CardOnScreen, CardsLeavingAStackLeaveNothingOfThemselvesBehind) {
    Table table;
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

TEST_F(CardTest, ACardIsClosedAndTakesExactlyItsRoundedShape) {
    CCard fresh;
    EXPECT_FALSE(fresh.m_bOpen || fresh.m_bAlwaysOpen || fresh.m_bAnimation);
    EXPECT_EQ(fresh.m_IndexX, -1);
    EXPECT_EQ(fresh.m_IndexY, -1);
    EXPECT_EQ(card.size(), QSize(71, 96));
    EXPECT_TRUE(QRect(0, 0, 71, 96).contains(card.mask().boundingRect()));
    EXPECT_FALSE(card.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(card.mask().contains(QPoint(35, 0)));
    EXPECT_TRUE(card.mask().contains(QPoint(70, 48)));
}

TEST_F(CardTest, FlipsAndMovesEndWhereAskedEvenWhenBrokenOff) {
    for (int breakAt : {0, 2}) { // 2: animations are stopped at the second pause
        SCOPED_TRACE(breakAt);
        CCard::m_staticAnimCards = true;
        card.CardClose(true);
        g_pauses = 0;
        g_breakAt = breakAt;
        auto previous = platform::SetPauseHook(&BreakingPause);
        card.CardOpen(true);
        card.CardMove(240 - breakAt, 100, 0, false);
        platform::SetPauseHook(previous);
        EXPECT_TRUE(card.m_bOpen);
        EXPECT_EQ(card.geometry(), QRect(240 - breakAt, 100, 71, 96));
    }
    // A card forced open shows its face at once.
    testutil::PauseCounter pauses;
    CCard::m_staticAnimCards = true;
    card.m_bAlwaysOpen = true;
    card.CardOpen(false);
    EXPECT_TRUE(card.m_bOpen);
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_EQ(CCard::m_staticProccessMovecard, 0);
}

TEST_F(CardTest, AnimationFromAWorkerThreadRunsOnTheGuiThreadAndCountsAsBusy) {
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
    using Got = std::vector<std::pair<UINT, CCard*>>;
    EXPECT_EQ(table.received, (Got{{WM_CARD_LBUTTONDOWN, &card}, {WM_CARD_LBUTTONUP, &card}}));
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
    QPainter(&halves).fillRect(36, 0, 35, 96, Qt::yellow);
    card.m_bmpFace = halves;
    card.resize(11, 96);
    const QImage narrow = card.grab().toImage();
    EXPECT_EQ(narrow.pixelColor(2, 48), QColor(Qt::green));
    EXPECT_EQ(narrow.pixelColor(9, 48), QColor(Qt::yellow));
}
