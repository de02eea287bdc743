#include "Tablo.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QTest>

#include <thread>

namespace {

class TabloTest : public testing::Test {
protected:
    void SetUp() override {
        CMyLabel::m_staticBreak = false;
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

QColor Colour(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

TEST_F(TabloTest, BallsTurnTheBoardRedFromEightAndAnOutSeatStaysBlack) {
    const std::pair<int, COLORREF> steps[] = {
        {0, TABLO_BLUE}, {7, TABLO_BLUE}, {8, TABLO_RED}, {11, TABLO_RED}, {12, TABLO_RED}};
    for (const auto& [balls, colour] : steps) {
        tablo.SetBallsValue(balls);
        EXPECT_EQ(Ground(), Colour(colour)) << balls;
    }
    EXPECT_EQ(tablo.m_lblBalls.GetCaption(), "12");
    // The seat drops out: black, and restoring the colours keeps it so at 12.
    tablo.ResetColor(false);
    tablo.ResetColor(true);
    EXPECT_EQ(Ground(), QColor(Qt::black));
    tablo.SetBallsValue(12);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_BLACK);
    tablo.SetBallsValue(3); // a new party
    EXPECT_EQ(Ground(), Colour(TABLO_BLUE));
}

TEST_F(TabloTest, PointsOnlyViewIsGreenWithOneColumn) {
    tablo.SwapView(true);
    EXPECT_EQ(Ground(), Colour(TABLO_GREEN));
    EXPECT_FALSE(tablo.m_lblBalls.IsVisible());
    EXPECT_TRUE(tablo.m_lblScores.IsVisible());
    tablo.SetBallsValue(9); // kept, not shown, no colour change
    EXPECT_EQ(tablo.GetBallsValue(), 9);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_GREEN);
    tablo.ResetColor(false);
    tablo.ResetColor(true);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_GREEN);
}

TEST_F(TabloTest, ScoresShowTheValueKeptAsASignedByte) {
    tablo.SetScoreValue(21);
    EXPECT_EQ(tablo.m_lblScores.GetCaption(), "21");
    tablo.SetScoreValue(0);
    EXPECT_EQ(tablo.m_lblScores.GetCaption(), "0");
    tablo.SetScoreValue(200);
    EXPECT_EQ(tablo.GetScoresValue(), -56);
    EXPECT_EQ(tablo.m_lblScores.GetCaption(), "200");
    EXPECT_EQ(CMyLabel::m_staticCountThreads, 0);

    // Painted: a yellow frame and white titles.
    const QImage image = tablo.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(119, 47), QColor(Qt::yellow));
    int white = 0;
    const QRect title = tablo.m_lblTitle[1].GetTextRect();
    for (int y = title.top(); y <= title.bottom(); ++y)
        for (int x = title.left(); x <= title.right(); ++x)
            white += image.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_GT(white, 20);
}

TEST_F(TabloTest, ScoresSetOnAWorkerAreDrawnWhileTheBoardPaints) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int v = 1; v <= 5; ++v)
            tablo.SetScoreValue(v * 10);
        tablo.SetBallsValue(9);
        done = true;
    });
    ASSERT_TRUE(testutil::WaitFor([&] {
        tablo.repaint();
        return done.load();
    }));
    worker.join();
    EXPECT_EQ(tablo.GetScoresValue(), 50);
    EXPECT_EQ(Ground(), Colour(TABLO_RED));
}
