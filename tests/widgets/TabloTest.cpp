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
    }

    QColor Pixel(int x, int y) { return tablo.grab().toImage().pixelColor(x, y); }

    CWnd table;
    CTablo tablo;
};

QColor Colour(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

TEST_F(TabloTest, CreatedHiddenWithTitlesOnTopAndValuesAtTheBottom) {
    EXPECT_FALSE(tablo.IsVisible());
    EXPECT_EQ(tablo.geometry(), QRect(40, 50, 120, 48));
    EXPECT_EQ(tablo.m_lblTitle[1].GetCaption(), "Баллы");
    EXPECT_EQ(tablo.m_lblBalls.GetCaption(), "0");
    EXPECT_EQ(tablo.GetColorBack(), TABLO_BLUE);
    // Two columns, each label centred on its column.
    auto centreX = [](const CMyLabel& l) {
        const QRect r = l.GetTextRect();
        return r.x() + r.width() / 2;
    };
    EXPECT_NEAR(centreX(tablo.m_lblTitle[0]), 30, 1);
    EXPECT_NEAR(centreX(tablo.m_lblTitle[1]), 90, 1);
    EXPECT_NEAR(centreX(tablo.m_lblScores), 30, 1);
    EXPECT_NEAR(centreX(tablo.m_lblBalls), 90, 1);
    EXPECT_EQ(tablo.m_lblTitle[0].GetTextRect().top(), 0);
    const QRect scores = tablo.m_lblScores.GetTextRect();
    EXPECT_EQ(scores.y() + scores.height(), 48);
}

TEST_F(TabloTest, PointsOnlyViewIsGreenWithOneCentredColumn) {
    tablo.SwapView(true);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_GREEN);
    EXPECT_FALSE(tablo.m_lblTitle[1].IsVisible());
    EXPECT_FALSE(tablo.m_lblBalls.IsVisible());
    EXPECT_TRUE(tablo.m_lblScores.IsVisible());
    const QRect title = tablo.m_lblTitle[0].GetTextRect();
    EXPECT_NEAR(title.x() + title.width() / 2, 60, 1);
    // Balls change the value and the hidden label, not the colour.
    tablo.SetBallsValue(9);
    EXPECT_EQ(tablo.GetBallsValue(), 9);
    EXPECT_EQ(tablo.m_lblBalls.GetCaption(), "9");
    EXPECT_EQ(tablo.GetColorBack(), TABLO_GREEN);
    tablo.ResetColor(false);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_BLACK);
    tablo.ResetColor(true);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_GREEN);
}

TEST_F(TabloTest, BallsTurnTheBoardRedFromEightAndLeaveItFromTwelve) {
    testutil::PauseCounter pauses;
    tablo.SetBallsValue(7);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_BLUE);
    tablo.SetBallsValue(8);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_RED);
    tablo.SetBallsValue(12);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_RED);
    EXPECT_EQ(tablo.m_lblBalls.GetCaption(), "12");
    // An out seat at 12 stays black when colours are restored.
    tablo.ResetColor(false);
    tablo.ResetColor(true);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_BLACK);
    // The same value again changes nothing, not even the colour.
    tablo.SetBallsValue(12);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_BLACK);
    tablo.SetBallsValue(3);
    EXPECT_EQ(tablo.GetColorBack(), TABLO_BLUE);
}

TEST_F(TabloTest, NonZeroScoresNarrowInWhileZeroChangesAtOnce) {
    testutil::PauseCounter pauses;
    tablo.SetScoreValue(21);
    EXPECT_GT(pauses.Count(), 0);
    EXPECT_EQ(tablo.m_lblScores.GetCaption(), "21");
    const int afterEffect = pauses.Count();
    tablo.SetScoreValue(21);
    EXPECT_EQ(pauses.Count(), afterEffect);
    tablo.SetScoreValue(0);
    EXPECT_EQ(pauses.Count(), afterEffect);
    EXPECT_EQ(tablo.m_lblScores.GetCaption(), "0");
    // Kept as a signed byte, read back sign-extended.
    tablo.SetScoreValue(200);
    EXPECT_EQ(tablo.GetScoresValue(), -56);
    EXPECT_EQ(tablo.m_lblScores.GetCaption(), "200");
    EXPECT_EQ(CMyLabel::m_staticCountThreads, 0);
}

TEST_F(TabloTest, PositionedByCornerOrCentreWithoutResizing) {
    tablo.SetTabloPos(250, 300, true, false);
    EXPECT_EQ(tablo.geometry(), QRect(190, 300, 120, 48));
    EXPECT_EQ(tablo.GetTabloPos(), QPoint(190, 300));
    tablo.SetTabloPos(250, 300, false, true);
    EXPECT_EQ(tablo.GetTabloPos(), QPoint(250, 276));
    EXPECT_EQ(tablo.size(), QSize(120, 48));
}

TEST_F(TabloTest, PaintsBackgroundYellowFrameAndWhiteValues) {
    tablo.Show(true);
    const QImage image = tablo.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(119, 47), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(60, 24), Colour(TABLO_BLUE));
    int white = 0;
    const QRect title = tablo.m_lblTitle[1].GetTextRect();
    for (int y = title.top(); y <= title.bottom(); ++y)
        for (int x = title.left(); x <= title.right(); ++x)
            white += image.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_GT(white, 20);
    tablo.ResetColor(false);
    EXPECT_EQ(Pixel(60, 24), QColor(Qt::black));
}

TEST_F(TabloTest, ScoresSetOnAWorkerAreDrawnWhileTheBoardPaints) {
    tablo.Show(true);
    testutil::PauseCounter pauses;
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
    EXPECT_EQ(tablo.GetColorBack(), TABLO_RED);
    EXPECT_EQ(Pixel(60, 24), Colour(TABLO_RED));
}
