// The score board of a seat and the victory table: what they show, also when
// fed from a worker while they paint.

#include "Tablo.h"
#include "TestUtil.h"
#include "VictoryTable.h"

#include <gtest/gtest.h>

#include <QTest>

#include <thread>
#include <vector>

namespace {

const QColor kBlue(0, 0, 200), kRed(200, 0, 0), kGreen(0, 90, 0);

class ScoreBoards : public testing::Test {
protected:
    void SetUp() override {
        table.resize(500, 400);
        table.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
        ASSERT_EQ(tablo.CreateTablo(QRect(260, 50, 120, 48), &table, false), 1);
        tablo.Show(true);
        ASSERT_EQ(victory.CreateVictoryTablo(QRect(0, 5, 250, 87), &table), 1);
    }

    QColor Ground() { return tablo.grab().toImage().pixelColor(60, 24); } // the board's middle
    // Seat by seat, as the programs feed it.
    void Feed(const std::vector<int>& counts) {
        const int players = static_cast<int>(counts.size());
        for (int seat = 1; seat <= players; ++seat)
            victory.DistrPlaceVictory(QStringLiteral("S%1").arg(seat), seat, counts[seat - 1],
                                      players);
    }

    // "place|name|victories|colour of the row" per row; "" for an empty row.
    QStringList Rows() const {
        QStringList rows;
        for (int r = 0; r < 4; ++r) {
            const QString text = victory.m_lblPlace[r].GetCaption() + '|' +
                                 victory.m_lblName[r].GetCaption() + '|' +
                                 victory.m_lblVictories[r].GetCaption();
            const COLORREF colour = victory.m_lblName[r].GetColorText();
            EXPECT_EQ(victory.m_lblPlace[r].GetColorText(), colour);
            EXPECT_EQ(victory.m_lblVictories[r].GetColorText(), colour);
            rows << (text == "||" ? QString() : text + '|' + QString::number(colour, 16));
        }
        return rows;
    }

    testutil::PauseCounter pauses;
    CWnd table;
    CTablo tablo;
    CVictoryTable victory;
};

} // namespace

TEST_F(ScoreBoards, TabloBallsTurnTheBoardRedFromEightAndAnOutSeatStaysBlack) {
    for (auto [balls, colour] : {std::pair{0, kBlue}, {7, kBlue}, {8, kRed}, {12, kRed}}) {
        tablo.SetBallsValue(balls);
        EXPECT_EQ(Ground(), colour) << balls;
    }
    EXPECT_EQ(tablo.m_lblBalls.GetCaption(), "12");
    EXPECT_EQ(tablo.grab().toImage().pixelColor(119, 47), QColor(Qt::yellow)); // its frame
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

TEST_F(ScoreBoards, VictoryRanksDenselyKeepingSeatOrderForEqualCounts) {
    Feed({5, 5, 3, 1});
    EXPECT_EQ(Rows(), QStringList({"1 место|S1|  5|64ffff", "1 место|S2|  5|64ffff",
                                   "2 место|S3|  3|dcdcdc", "3 место|S4|  1|8cc8ff"}));
    Feed({3, 1000, 3});
    EXPECT_EQ(Rows(), QStringList({"1 место|S2|1000|64ffff", "2 место|S1|  3|dcdcdc",
                                   "2 место|S3|  3|dcdcdc", ""}));
    // Seats keep their entries: a new name alone re-ranks the others as they
    // were; seats or player counts outside the table change nothing.
    Feed({4, 1, 2});
    victory.DistrPlaceVictory(QStringLiteral("Евлампий"), 1, 0, 3);
    for (auto [seat, players] : {std::pair{0, 3}, {5, 4}, {1, 0}, {1, 5}})
        victory.DistrPlaceVictory(QStringLiteral("X"), seat, 9, players);
    EXPECT_EQ(Rows(), QStringList({"1 место|S3|  2|64ffff", "2 место|S2|  1|dcdcdc",
                                   "3 место|Евлампий|  0|8cc8ff", ""}));
    victory.SetHeight(2); // fewer players clear the rows below
    EXPECT_EQ(Rows().mid(1), QStringList({"2 место|S2|  1|dcdcdc", "", ""}));
}

TEST_F(ScoreBoards, FedFromAWorkerWhileTheyPaintAndTheRowsInkInTheirColours) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int round = 0; round < 5; ++round) {
            Feed({round, 2 * round, 3 * round, 4 * round});
            tablo.SetScoreValue(50 * round);
        }
        tablo.SetBallsValue(9);
        done = true;
    });
    // Each call waits for the GUI thread, so keep it running, and painting.
    ASSERT_TRUE(testutil::WaitFor([&] {
        table.repaint();
        return done.load();
    }));
    worker.join();
    EXPECT_EQ(tablo.m_lblScores.GetCaption(), "200");
    EXPECT_EQ(Ground(), kRed);
    EXPECT_EQ(Rows(), QStringList({"1 место|S4| 16|64ffff", "2 место|S3| 12|dcdcdc",
                                   "3 место|S2|  8|8cc8ff", "4 место|S1|  4|0"}));
    // Green in a black outline; the rows' ink in their colours, inside the panel.
    const QImage image = victory.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 130, 0));
    for (auto [r, colour] : {std::pair{0, QColor(255, 255, 100)}, {3, QColor(Qt::black)}}) {
        const QRect area = victory.m_lblName[r].GetTextRect();
        EXPECT_TRUE(image.rect().contains(area));
        const QImage ink = image.copy(area);
        const auto* bits = reinterpret_cast<const QRgb*>(ink.constBits());
        EXPECT_GT(std::count(bits, bits + ink.width() * ink.height(), colour.rgb()), 3) << r;
    }
}
