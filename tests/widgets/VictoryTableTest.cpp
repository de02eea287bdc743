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
    const std::pair<std::vector<int>, QStringList> cases[] = {
        {{5, 5, 3, 1},
         {"1 место|S1|  5|64ffff", "1 место|S2|  5|64ffff", "2 место|S3|  3|dcdcdc",
          "3 место|S4|  1|8cc8ff"}},
        {{3, 1000, 3},
         {"1 место|S2|1000|64ffff", "2 место|S1|  3|dcdcdc", "2 место|S3|  3|dcdcdc", ""}},
    };
    for (const auto& [counts, rows] : cases) {
        Feed(counts);
        EXPECT_EQ(Rows(), rows);
    }
    // Seats keep their entries: a new name alone re-ranks the others as they
    // were; seats or player counts outside the table change nothing.
    Feed({4, 1, 2});
    victory.DistrPlaceVictory(QStringLiteral("Евлампий"), 1, 0, 3);
    for (auto [seat, players] : {std::pair{0, 3}, {5, 4}, {1, 0}, {1, 5}})
        victory.DistrPlaceVictory(QStringLiteral("X"), seat, 9, players);
    EXPECT_EQ(Rows(), QStringList({"1 место|S3|  2|64ffff", "2 место|S2|  1|dcdcdc",
                                   "3 место|Евлампий|  0|8cc8ff", ""}));
    // Fewer players clear the rows below.
    victory.SetHeight(2);
    EXPECT_EQ(Rows().mid(2), QStringList({"", ""}));
    EXPECT_FALSE(Rows()[1].isEmpty());
}

TEST_F(VictoryTableTest, FedFromAWorkerWhileThePanelPaintsItsRowsInTheirColours) {
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
    // Green with a black outline; each label's ink in its colour, inside the panel.
    const QImage image = victory.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 130, 0));
    const std::pair<const CMyLabel*, QColor> inks[] = {
        {&victory.m_lblTitle, Qt::white},
        {&victory.m_lblName[0], QColor(255, 255, 100)},
        {&victory.m_lblVictories[3], Qt::black},
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
