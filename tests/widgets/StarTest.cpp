#include "Star.h"
#include "TestUtil.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

namespace {

constexpr QColor kTable(0, 100, 0);

// The table: paints its star rows.
class StarTable : public CWnd {
public:
    StarTable() { resize(400, 300); }
    std::vector<const CStar*> rows;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        dc.fillRect(rect(), kTable);
        for (const CStar* row : rows)
            row->DrawStar(&dc);
        return TRUE;
    }
};

// What the animation thread shows at each of its pauses: frame and hidden place.
using Steps = std::vector<std::pair<UINT, int>>;
std::mutex g_mutex;
Steps g_seen;
CStar* g_star = nullptr;
int g_breakAt = 0;

void Record(int) {
    std::lock_guard lock(g_mutex);
    g_seen.emplace_back(g_star->GetAnimIcon(), g_star->GetHiddenPlace());
    if (static_cast<int>(g_seen.size()) == g_breakAt)
        CStar::m_staticBreak = true;
}

bool Idle() {
    return CStar::m_staticCountThreads == 0;
}

class StarTest : public testing::Test {
protected:
    void SetUp() override {
        star.SetParent(&table);
        star.SetRowPos(QPoint(10, 10));
        table.rows.push_back(g_star = &star);
        previous = platform::SetPauseHook(&Record);
    }
    void TearDown() override {
        EXPECT_TRUE(testutil::WaitFor(Idle));
        platform::SetPauseHook(previous);
        CStar::m_staticBreak = false;
    }

    // Kinds of star drawn in the five places of the row: 'g'old, 's'ilver or '-'.
    std::string Row() {
        QImage image(300, 60, QImage::Format_RGB32);
        image.fill(kTable);
        QPainter p(&image);
        star.DrawStar(&p);
        std::string kinds;
        for (int k = 0; k < 5; ++k) {
            const QColor c = image.pixelColor(10 + 25 * k + 14, 10 + 17);
            kinds += c == kTable ? '-' : c.red() - c.blue() > 60 ? 'g' : 's';
        }
        return kinds;
    }

    // Changes the count from `from` by one and waits for the animation.
    Steps Change(int from, bool up) {
        star.ResetStars(from);
        g_seen.clear();
        up ? star.Increment() : star.Decrement();
        EXPECT_TRUE(testutil::WaitFor(Idle));
        EXPECT_EQ(star.GetHiddenPlace(), -1);
        std::lock_guard lock(g_mutex);
        return g_seen;
    }

    StarTable table;
    CStar star;
    platform::PauseHook previous = nullptr;
};

} // namespace

TEST_F(StarTest, EachChangeTurnsItsPlaceOverAndEndsWithTheRowOfTheNewCount) {
    // Places are silver up to five stars and turn gold from the sixth. From,
    // up, the place hidden meanwhile, turns (one, or out and back in as the
    // other kind) and the row at the end.
    const std::tuple<int, bool, int, int, std::string> changes[] = {
        {2, true, 2, 1, "sss--"}, // a new star, hidden till shown
        {5, true, 0, 2, "gssss"},   {6, false, 0, 2, "sssss"},
        {10, false, 4, 2, "ggggs"}, {3, false, -1, 1, "ss---"}, // the row draws it no more
        {10, true, -1, 0, "ggggg"}, {0, false, -1, 0, "-----"}, // full and empty rows stay
    };
    for (const auto& [from, up, hidden, turns, row] : changes) {
        SCOPED_TRACE(from);
        const Steps steps = Change(from, up);
        EXPECT_GE(steps.size(), 3u * turns);
        EXPECT_EQ(std::count(steps.begin(), steps.end(), std::pair<UINT, int>(0, hidden)), turns);
        EXPECT_TRUE(
            std::all_of(steps.begin(), steps.end(), [&](auto s) { return s.second == hidden; }));
        EXPECT_EQ(star.GetAnimIcon(), 0u);
        EXPECT_EQ(Row(), row);
    }
    // Broken off: it stops before the next frame; set before the start, no frame shows.
    g_breakAt = 2;
    EXPECT_EQ(Change(5, true).size(), 2u);
    EXPECT_TRUE(Change(7, true).empty());
}

TEST_F(StarTest, RowsOfAllSeatsAnimateTogetherWhileTheTablePaints) {
    platform::SetPauseHook(nullptr); // real 30 ms frames
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    std::vector<std::unique_ptr<CStar>> seats;
    for (int i = 0; i < 4; ++i) {
        seats.push_back(std::make_unique<CStar>());
        seats[i]->SetParent(&table);
        seats[i]->SetRowPos(QPoint(10, 70 + 55 * i));
        seats[i]->ResetStars(4 + i);
        table.rows.push_back(seats[i].get());
        seats[i]->Increment();
        seats[i]->Increment();
        seats[i]->Decrement();
    }
    int busy = 0;
    ASSERT_TRUE(testutil::WaitFor([&] {
        busy = std::max(busy, CStar::m_staticCountThreads.load());
        table.repaint();
        return Idle();
    }));
    EXPECT_GE(busy, 4);
    EXPECT_EQ(seats[3]->GetNumberStars(), 8);
    EXPECT_EQ(testutil::StalePixels(table), 0); // every frame repainted through the parent
    // An animation outliving its row touches nothing freed.
    seats[0]->Increment();
    table.rows.erase(table.rows.begin() + 1);
    seats[0].reset();
    EXPECT_TRUE(testutil::WaitFor(Idle));
}
