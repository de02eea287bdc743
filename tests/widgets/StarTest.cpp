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

Steps TakeSeen() {
    std::lock_guard lock(g_mutex);
    return std::exchange(g_seen, {});
}

bool Idle() {
    return CStar::m_staticCountThreads == 0;
}

// Frames of a star turning away (out) or into view (in); each ends with none.
const std::vector<UINT> kSilverOut = {8002, 8008, 8009, 8010, 8015, 0};
const std::vector<UINT> kSilverIn = {8015, 8010, 8009, 8008, 8002, 0};
const std::vector<UINT> kGoldOut = {8001, 8011, 8012, 8013, 8014, 0};
const std::vector<UINT> kGoldIn = {8014, 8013, 8012, 8011, 8001, 0};

Steps Expected(std::vector<UINT> frames, const std::vector<UINT>& more, int hidden) {
    frames.insert(frames.end(), more.begin(), more.end());
    Steps steps;
    for (UINT f : frames)
        steps.emplace_back(f, hidden);
    return steps;
}

class StarTest : public testing::Test {
protected:
    void SetUp() override {
        CStar::m_staticBreak = false;
        star.SetParent(&table);
        star.SetRowPos(QPoint(100, 50));
        table.rows.push_back(&star);
        TakeSeen();
        g_star = &star;
        g_breakAt = 0;
        previous = platform::SetPauseHook(&Record);
    }
    void TearDown() override {
        EXPECT_TRUE(testutil::WaitFor(Idle));
        platform::SetPauseHook(previous);
        CStar::m_staticBreak = false;
    }

    // Kinds of star drawn in the five places of a row at (10, 10): 'g'old,
    // 's'ilver or '-' for none.
    static std::string Row(const CStar& row) {
        QImage image(300, 60, QImage::Format_RGB32);
        image.fill(kTable);
        QPainter p(&image);
        row.DrawStar(&p);
        p.end();
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
        up ? star.Increment() : star.Decrement();
        EXPECT_EQ(star.GetNumberStars(), from + (up ? 1 : -1)); // at once
        EXPECT_TRUE(testutil::WaitFor(Idle));
        EXPECT_EQ(star.GetHiddenPlace(), -1);
        return TakeSeen();
    }

    StarTable table;
    CStar star;
    platform::PauseHook previous = nullptr;
};

} // namespace

TEST_F(StarTest, RowShowsSilverPlacesTurningGoldFromTheSixthStar) {
    CStar row;
    row.SetRowPos(QPoint(10, 10));
    row.SetParent(&table);
    const std::pair<int, std::string> cases[] = {{0, "-----"}, {3, "sss--"}, {5, "sssss"},
                                                 {6, "gssss"}, {7, "ggsss"}, {10, "ggggg"}};
    for (const auto& [n, kinds] : cases) {
        row.ResetStars(n);
        EXPECT_EQ(Row(row), kinds) << n << " stars";
    }
    // Beyond ten nothing at all is drawn; the count keeps the low byte.
    row.ResetStars(11);
    EXPECT_EQ(Row(row), "-----");
    row.ResetStars(1000);
    EXPECT_EQ(row.GetNumberStars(), -24);
    EXPECT_EQ(Row(row), "-----");

    // Full and empty rows stay as they are; a wrapped count only counts on.
    const std::tuple<int, bool, int> changes[] = {
        {10, true, 10}, {0, false, 0}, {1000, true, -23}, {-128, false, 127}};
    for (const auto& [from, up, to] : changes) {
        star.ResetStars(from);
        up ? star.Increment() : star.Decrement();
        EXPECT_EQ(star.GetNumberStars(), to) << from;
    }
    EXPECT_EQ(CStar::m_staticCountThreads, 0);
    EXPECT_TRUE(TakeSeen().empty());
}

TEST_F(StarTest, IconsAreDrawnWithinTheAreaTheAnimationsRepaint) {
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

TEST_F(StarTest, EachChangeTurnsItsPlaceWithTheFramesOfItsKind) {
    // A new silver star appears in its hidden place.
    EXPECT_EQ(Change(2, true), Expected(kSilverIn, {}, 2));
    EXPECT_EQ(star.GetAnimIcon(), 0u);
    // The sixth star turns place 0 from silver to gold, and back.
    EXPECT_EQ(Change(5, true), Expected(kSilverOut, kGoldIn, 0));
    EXPECT_EQ(Change(6, false), Expected(kGoldOut, kSilverIn, 0));
    EXPECT_EQ(Change(10, false), Expected(kGoldOut, kSilverIn, 4));
    // A leaving silver star turns away; the row no longer draws its place.
    EXPECT_EQ(Change(3, false), Expected(kSilverOut, {}, -1));
}

TEST_F(StarTest, BreakStopsBeforeTheNextFrameAndLeavesTheLastOneShown) {
    g_breakAt = 2;
    EXPECT_EQ(Change(5, true), (Steps{{8002, 0}, {8008, 0}}));
    EXPECT_EQ(star.GetAnimIcon(), 8008u); // until the next animation
    // Set before the start: no frame at all, but the new count shows.
    EXPECT_TRUE(Change(7, true).empty());
    EXPECT_EQ(star.GetAnimIcon(), 8008u);
    star.SetRowPos(QPoint(10, 10));
    EXPECT_EQ(Row(star), "gggss");
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
        seats[i]->SetRowPos(QPoint(10, 10 + 60 * i));
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
        testutil::WaitFor([&] { return table.painted.contains(QRect(9 + 100, 10, 28, 28)); }));

    // An animation outliving its row touches nothing freed.
    seats[0]->Increment();
    table.rows.erase(table.rows.begin() + 1);
    seats[0].reset();
    EXPECT_TRUE(testutil::WaitFor(Idle));
}
