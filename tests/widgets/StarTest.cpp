#include "Star.h"
#include "TestUtil.h"

#include "Resources.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <memory>
#include <mutex>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr QColor kTable(0, 100, 0);

// The table: paints its star rows and remembers what it was asked to repaint.
class StarTable : public CWnd {
public:
    StarTable() { resize(400, 300); }
    std::vector<const CStar*> rows;
    QRegion painted;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        dc.fillRect(rect(), kTable);
        for (const CStar* row : rows)
            row->DrawStar(&dc);
        return TRUE;
    }
    void paintEvent(QPaintEvent* event) override {
        painted += event->region();
        CWnd::paintEvent(event);
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

// Frames of a star turning away (out) or into view (in), silver or gold.
const std::vector<UINT> kSilverOut = {8002, 8008, 8009, 8010, 8015};
const std::vector<UINT> kGoldOut = {8001, 8011, 8012, 8013, 8014};

// One turn after another, each ending with no frame, all with the place hidden.
Steps Turns(std::initializer_list<std::pair<std::vector<UINT>, bool>> turns, int hidden) {
    Steps steps;
    for (const auto& [frames, out] : turns) {
        for (size_t i = 0; i < frames.size(); ++i)
            steps.emplace_back(frames[out ? i : frames.size() - 1 - i], hidden);
        steps.emplace_back(0, hidden);
    }
    return steps;
}

class StarTest : public testing::Test {
protected:
    void SetUp() override {
        CStar::m_staticBreak = false;
        star.SetParent(&table);
        star.SetRowPos(QPoint(10, 10));
        table.rows.push_back(&star);
        g_star = &star;
        g_breakAt = 0;
        previous = platform::SetPauseHook(&Record);
        Seen();
    }
    void TearDown() override {
        EXPECT_TRUE(testutil::WaitFor(Idle));
        platform::SetPauseHook(previous);
        CStar::m_staticBreak = false;
    }

    static Steps Seen() {
        std::lock_guard lock(g_mutex);
        return std::exchange(g_seen, {});
    }

    // Kinds of star drawn in the five places of the row: 'g'old, 's'ilver or '-'.
    std::string Row() {
        QImage image(300, 60, QImage::Format_RGB32);
        image.fill(kTable);
        QPainter p(&image);
        star.DrawStar(&p);
        p.end();
        std::string kinds;
        for (int k = 0; k < 5; ++k) {
            const QColor c = image.pixelColor(10 + 25 * k + 14, 10 + 17);
            kinds += c == kTable ? '-' : c.red() - c.blue() > 60 ? 'g' : 's';
        }
        return kinds;
    }

    // Changes the count from `from` by one (at once) and waits for the animation.
    Steps Change(int from, bool up) {
        star.ResetStars(from);
        up ? star.Increment() : star.Decrement();
        EXPECT_EQ(star.GetNumberStars(), from + (up ? 1 : -1));
        EXPECT_TRUE(testutil::WaitFor(Idle));
        EXPECT_EQ(star.GetHiddenPlace(), -1);
        return Seen();
    }

    StarTable table;
    CStar star;
    platform::PauseHook previous = nullptr;
};

} // namespace

TEST_F(StarTest, RowShowsSilverPlacesTurningGoldFromTheSixthStar) {
    const std::pair<int, std::string> rows[] = {{0, "-----"}, {3, "sss--"},  {5, "sssss"},
                                                {6, "gssss"}, {10, "ggggg"}, {11, "-----"}};
    for (const auto& [n, kinds] : rows) {
        star.ResetStars(n);
        EXPECT_EQ(Row(), kinds) << n << " stars";
    }
    // Full and empty rows stay; a count beyond a byte (a party without
    // stars) keeps the low byte and only counts on, wrapping.
    const std::tuple<int, bool, int, std::string> changes[] = {{10, true, 10, "ggggg"},
                                                               {0, false, 0, "-----"},
                                                               {1000, true, -23, "-----"},
                                                               {-128, false, 127, "-----"}};
    for (const auto& [from, up, to, kinds] : changes) {
        star.ResetStars(from);
        up ? star.Increment() : star.Decrement();
        EXPECT_EQ(star.GetNumberStars(), to) << from;
        EXPECT_EQ(Row(), kinds) << from;
    }
    EXPECT_TRUE(Seen().empty());
}

TEST_F(StarTest, EachChangeTurnsItsPlaceWithTheFramesOfItsKindWithinTheRepaintedArea) {
    EXPECT_EQ(Change(2, true), Turns({{kSilverOut, false}}, 2)); // a new star, hidden till shown
    EXPECT_EQ(Change(5, true), Turns({{kSilverOut, true}, {kGoldOut, false}}, 0));
    EXPECT_EQ(Change(6, false), Turns({{kGoldOut, true}, {kSilverOut, false}}, 0));
    EXPECT_EQ(Change(10, false), Turns({{kGoldOut, true}, {kSilverOut, false}}, 4));
    EXPECT_EQ(Change(3, false), Turns({{kSilverOut, true}}, -1)); // the row draws it no more
    EXPECT_EQ(star.GetAnimIcon(), 0u);

    HINSTANCE module = GetModuleResources("pub");
    for (UINT id :
         {8000u, 8006u, 8001u, 8002u, 8008u, 8009u, 8010u, 8011u, 8012u, 8013u, 8014u, 8015u}) {
        const QImage icon = LoadIconResource(module, id).pixmap(32, 32).toImage();
        QRect ink;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if (qAlpha(icon.pixel(x, y)) > 0)
                    ink |= QRect(x, y, 1, 1);
        EXPECT_FALSE(ink.isEmpty()) << id;
        EXPECT_TRUE(QRect(0, 0, 28, 28).contains(ink)) << id;
    }
}

TEST_F(StarTest, BreakStopsBeforeTheNextFrameAndLeavesTheLastOneShown) {
    g_breakAt = 2;
    EXPECT_EQ(Change(5, true), (Steps{{8002, 0}, {8008, 0}}));
    EXPECT_EQ(star.GetAnimIcon(), 8008u); // until the next animation
    // Set before the start: no frame at all, but the new count shows.
    EXPECT_TRUE(Change(7, true).empty());
    CStar::m_staticBreak = false;
    g_breakAt = 0;
    Change(3, true);
    EXPECT_EQ(star.GetAnimIcon(), 0u);
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
    }
    table.painted = QRegion();
    int busy = 0;
    for (auto& seat : seats) {
        seat->Increment();
        seat->Increment();
        seat->Decrement();
    }
    ASSERT_TRUE(testutil::WaitFor([&] {
        busy = std::max(busy, CStar::m_staticCountThreads.load());
        table.repaint();
        return Idle();
    }));
    EXPECT_GE(busy, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(seats[i]->GetNumberStars(), 5 + i);
    // The frame squares were repainted through the parent.
    EXPECT_TRUE(
        testutil::WaitFor([&] { return table.painted.contains(QRect(9 + 100, 70, 28, 28)); }));

    // An animation outliving its row touches nothing freed.
    seats[0]->Increment();
    table.rows.erase(table.rows.begin() + 1);
    seats[0].reset();
    EXPECT_TRUE(testutil::WaitFor(Idle));
}
