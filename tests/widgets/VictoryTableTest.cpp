#include "VictoryTable.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QTest>

#include <thread>
#include <vector>

namespace {

class VictoryTableTest : public testing::Test {
protected:
    void SetUp() override {
        table.resize(500, 300);
        table.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
        ASSERT_EQ(victory.CreateVictoryTablo(QRect(0, 5, 250, 87), &table), 1);
    }

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

    CWnd table;
    CVictoryTable victory;
};

} // namespace

TEST_F(VictoryTableTest, RanksDenselyKeepingSeatOrderForEqualCounts) {
    EXPECT_EQ(Rows(), QStringList({"", "", "", ""}));
    const std::vector<std::pair<std::vector<int>, QStringList>> cases = {
        {{5, 5, 3, 1},
         {"1 место|S1|  5|64ffff", "1 место|S2|  5|64ffff", "2 место|S3|  3|dcdcdc",
          "3 место|S4|  1|8cc8ff"}},
        {{3, 10, 3},
         {"1 место|S2| 10|64ffff", "2 место|S1|  3|dcdcdc", "2 место|S3|  3|dcdcdc", ""}},
        {{1000, 0}, {"1 место|S1|1000|64ffff", "2 место|S2|  0|dcdcdc", "", ""}},
    };
    for (const auto& [counts, rows] : cases) {
        SCOPED_TRACE(testing::PrintToString(counts));
        Feed(counts);
        EXPECT_EQ(Rows(), rows);
        EXPECT_EQ(victory.height(), 20 + 17 * static_cast<int>(counts.size()));
    }
    // Seats keep their entries: a new name alone re-ranks the others as they were.
    Feed({4, 1, 2});
    victory.DistrPlaceVictory(QStringLiteral("Евлампий"), 1, 0, 3);
    EXPECT_EQ(Rows(), QStringList({"1 место|S3|  2|64ffff", "2 место|S2|  1|dcdcdc",
                                   "3 место|Евлампий|  0|8cc8ff", ""}));
    // Seats or player counts outside the table change nothing.
    const QStringList before = Rows();
    victory.DistrPlaceVictory(QStringLiteral("X"), 0, 9, 3);
    victory.DistrPlaceVictory(QStringLiteral("X"), 5, 9, 4);
    victory.DistrPlaceVictory(QStringLiteral("X"), 1, 9, 0);
    victory.DistrPlaceVictory(QStringLiteral("X"), 1, 9, 5);
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(victory.height(), 71);
}

TEST_F(VictoryTableTest, HeightFollowsPlayersAndClearsTheRowsBelow) {
    for (int players : {1, 2, 3, 4}) {
        Feed({1, 2, 3, 4});
        victory.SetHeight(players);
        EXPECT_EQ(victory.height(), 20 + 17 * players);
        const QStringList rows = Rows();
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(rows[r].isEmpty(), r >= players) << players << " players, row " << r;
    }
    // 5 clears nothing, 0 (or less) every row; neither changes the size.
    victory.SetHeight(5);
    EXPECT_FALSE(Rows()[3].isEmpty());
    victory.SetHeight(-3);
    EXPECT_EQ(Rows(), QStringList({"", "", "", ""}));
    EXPECT_EQ(victory.height(), 88);
}

TEST_F(VictoryTableTest, PaintsGreenWithBlackOutlineAndColouredRows) {
    victory.DistrPlaceVictory(QStringLiteral("Евлампий"), 1, 888, 2);
    victory.DistrPlaceVictory(QStringLiteral("Кузьма"), 2, 1, 2);
    const QImage image = victory.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(249, 53), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 130, 0));
    // Each label's ink in its colour, inside the panel.
    const std::pair<const CMyLabel*, QColor> inks[] = {
        {&victory.m_lblTitle, Qt::white},
        {&victory.m_lblName[0], QColor(255, 255, 100)},
        {&victory.m_lblVictories[0], QColor(255, 255, 100)},
        {&victory.m_lblPlace[1], QColor(220, 220, 220)}};
    for (const auto& [label, colour] : inks) {
        const QRect area = label->GetTextRect();
        EXPECT_TRUE(image.rect().contains(area));
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixelColor(x, y) == colour;
        EXPECT_GT(n, 3) << label->GetCaption().toStdString();
    }
}

TEST_F(VictoryTableTest, FedFromAWorkerWhileThePanelPaints) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int round = 0; round < 5; ++round)
            for (int seat = 1; seat <= 4; ++seat)
                victory.DistrPlaceVictory(QStringLiteral("S%1").arg(seat), seat, round * seat, 4);
        done = true;
    });
    // Each call waits for the GUI thread, so keep it running (and painting).
    ASSERT_TRUE(testutil::WaitFor([&] {
        victory.repaint();
        return done.load();
    }));
    worker.join();
    EXPECT_EQ(Rows(), QStringList({"1 место|S4| 16|64ffff", "2 место|S3| 12|dcdcdc",
                                   "3 место|S2|  8|8cc8ff", "4 место|S1|  4|0"}));
}
