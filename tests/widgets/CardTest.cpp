#include "Card.h"
#include "TestUtil.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include <functional>
#include <memory>
#include <thread>

namespace {

class Table : public CWnd {
public:
    Table() { resize(400, 300); }

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        dc.fillRect(rect(), QColor(0, 128, 0));
        return TRUE;
    }
};

// Breaks the animations on the n-th pause.
std::atomic<int> g_breakAt{0};
std::atomic<int> g_pauses{0};
void BreakingPause(int) {
    if (++g_pauses == g_breakAt)
        CCard::m_staticAnimCards = false;
}

} // namespace

TEST(Card, CardsLeavingAStackLeaveNothingOfThemselvesBehind) {
    Table table;
    // A stack as the pack lays it, each card one pixel right of and above the one on it.
    std::vector<std::unique_ptr<CCard>> stack;
    for (int i = 0; i < 4; ++i) {
        stack.push_back(std::make_unique<CCard>());
        stack[i]->CreateCard(QRect(0, 0, 71, 96), &table, 0, 0);
        stack[i]->SetCardPos(300 + i, 190 - i);
        stack[i]->Restack(HWND_BOTTOM);
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
    // Exactly the rounded 71 x 96 shape: a wider mask left card edges behind.
    const QRegion mask = stack[0]->mask();
    EXPECT_TRUE(QRect(0, 0, 71, 96).contains(mask.boundingRect()) && !mask.contains(QPoint(0, 0)));
    EXPECT_TRUE(mask.contains(QPoint(35, 0)) && mask.contains(QPoint(70, 48)));
}

TEST(Card, FlipsAndMovesEndWhereAskedBrokenOffOrFromAWorker) {
    Table table;
    table.show();
    CCard card;
    card.CreateCard(QRect(0, 0, 71, 96), &table, 0, 0);
    card.m_bAnimation = true;
    // 2: animations are stopped at the second pause; -1: run from a worker,
    // animated on the GUI thread while the table counts as busy.
    for (int breakAt : {0, 2, -1}) {
        SCOPED_TRACE(breakAt);
        CCard::m_staticAnimCards = true;
        card.CardClose(true);
        g_pauses = 0;
        g_breakAt = breakAt;
        auto previous = platform::SetPauseHook(breakAt < 0 ? nullptr : &BreakingPause);
        std::atomic<bool> done{false};
        int busy = 0;
        auto play = [&] {
            card.CardOpen(true);
            card.CardMove(240 - breakAt, 100, 0, false);
            done = true;
        };
        std::thread worker(breakAt < 0 ? std::function<void()>(play) : [] {});
        if (breakAt >= 0)
            play();
        ASSERT_TRUE(testutil::WaitFor([&] {
            busy = std::max(busy, CCard::m_staticProccessMovecard.load());
            return done.load();
        }));
        worker.join();
        platform::SetPauseHook(previous);
        EXPECT_TRUE(card.m_bOpen);
        EXPECT_EQ(card.geometry(), QRect(240 - breakAt, 100, 71, 96));
        EXPECT_EQ(busy, breakAt < 0 ? 1 : 0);
        EXPECT_EQ(CCard::m_staticProccessMovecard, 0);
    }
    // The face or the back, squeezed whole into a card narrowed by a flip.
    QPixmap face(71, 96), back(71, 96);
    face.fill(Qt::red);
    back.fill(Qt::blue);
    QPainter(&face).fillRect(36, 0, 35, 96, Qt::yellow);
    card.m_bmpFace = face;
    card.m_bmpShirt = back;
    card.resize(11, 96);
    EXPECT_EQ(card.grab().toImage().pixelColor(9, 48), QColor(Qt::yellow));
    EXPECT_EQ(testutil::StalePixels(table), 0);
    card.CardClose(true); // the back shows at once
    EXPECT_EQ(card.grab().toImage().pixelColor(9, 48), QColor(Qt::blue));
    EXPECT_EQ(testutil::StalePixels(table), 0);
}
