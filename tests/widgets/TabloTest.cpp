#include "Tablo.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QTest>

#include <thread>

namespace {

class TabloTest : public testing::Test {
protected:
    void SetUp() override {
        table.resize(500, 400);
        table.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
        ASSERT_EQ(tablo.CreateTablo(QRect(40, 50, 120, 48), &table, false), 1);
        tablo.Show(true);
    }

    // The board's own colour, in its middle, as painted.
    QColor Ground() { return tablo.grab().toImage().pixelColor(60, 24); }

    testutil::PauseCounter pauses;
    CWnd table;
    CTablo tablo;
};

const QColor kBlue(0, 0, 200), kRed(200, 0, 0), kGreen(0, 90, 0);

} // namespace

TEST_F(TabloTest, BallsTurnTheBoardRedFromEightAndAnOutSeatStaysBlack) {
    for (auto [balls, colour] : {std::pair{0, kBlue}, {7, kBlue}, {8, kRed}, {12, kRed}}) {
        tablo.SetBallsValue(balls);
        EXPECT_EQ(Ground(), colour) << balls;
    }
    EXPECT_EQ(tablo.m_lblBalls.GetCaption(), "12");
    const QImage image = tablo.grab().toImage(); // a yellow frame
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(119, 47), QColor(Qt::yellow));
    // The seat drops out: black, and restoring the colours keeps it so at 12.
    tablo.ResetColor(false);
    tablo.ResetColor(true);
    EXPECT_EQ(Ground(), QColor(Qt::black));
    tablo.SetBallsValue(3); // a new party
    EXPECT_EQ(Ground(), kBlue);
    // The points-only view is green whatever the balls.
    tablo.SwapView(true);
    tablo.SetBallsValue(9);
    tablo.ResetColor(true);
    EXPECT_EQ(Ground(), kGreen);
    EXPECT_FALSE(tablo.m_lblBalls.IsVisible());
}

TEST_F(TabloTest, ScoresSetOnAWorkerAreDrawnWhileTheBoardPaints) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int v = 0; v <= 200; v += 50)
            tablo.SetScoreValue(v);
        tablo.SetBallsValue(9);
        done = true;
    });
    ASSERT_TRUE(testutil::WaitFor([&] {
        tablo.repaint();
        return done.load();
    }));
    worker.join();
    EXPECT_EQ(tablo.m_lblScores.GetCaption(), "200");
    EXPECT_EQ(Ground(), kRed);
}
