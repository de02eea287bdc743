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

// What the animation thread shows at each of its pauses.
struct Seen {
    UINT frame;
    int hidden;
    bool operator==(const Seen&) const = default;
};
std::mutex g_mutex;
std::vector<Seen> g_seen;
CStar* g_star = nullptr;
int g_breakAt = 0;

void Record(int) {
    std::lock_guard lock(g_mutex);
    g_seen.push_back({g_star->GetAnimIcon(), g_star->GetHiddenPlace()});
    if (static_cast<int>(g_seen.size()) == g_breakAt)
        CStar::m_staticBreak = true;
}

std::vector<UINT> Frames() {
    std::lock_guard lock(g_mutex);
    std::vector<UINT> frames;
    for (const Seen& s : g_seen)
        frames.push_back(s.frame);
    return frames;
}

std::vector<int> Hidden() {
    std::lock_guard lock(g_mutex);
    std::vector<int> hidden;
    for (const Seen& s : g_seen)
        hidden.push_back(s.hidden);
    return hidden;
}

void ClearSeen() {
    std::lock_guard lock(g_mutex);
    g_seen.clear();
}

bool Idle() { return CStar::m_staticCountThreads == 0; }

class StarTest : public testing::Test {
protected:
    void SetUp() override {
        CStar::m_staticBreak = false;
        star.SetParent(&table);
        star.SetRowPos(QPoint(100, 50));
        table.rows.push_back(&star);
        {
            std::lock_guard lock(g_mutex);
            g_seen.clear();
            g_star = &star;
            g_breakAt = 0;
        }
        previous = platform::SetPauseHook(&Record);
    }
    void TearDown() override {
        EXPECT_TRUE(testutil::WaitFor(Idle));
        platform::SetPauseHook(previous);
        CStar::m_staticBreak = false;
    }

    // Kind of star drawn at place k of a row at (10, 10): 'g'old, 's'ilver or
    // '-' for none.
    static char PlaceKind(const QImage& image, int k) {
        const QColor c = image.pixelColor(10 + 25 * k + 14, 10 + 17);
        if (c == kTable)
            return '-';
        return c.red() - c.blue() > 60 ? 'g' : 's';
    }
    static std::string Row(const CStar& row) {
        QImage image(300, 60, QImage::Format_RGB32);
        image.fill(kTable);
        QPainter p(&image);
        row.DrawStar(&p);
        p.end();
        std::string kinds;
        for (int k = 0; k < 5; ++k)
            kinds += PlaceKind(image, k);
        return kinds;
    }

    StarTable table;
    CStar star;
    platform::PauseHook previous = nullptr;
};

const std::vector<UINT> kSilverOut = {8002, 8008, 8009, 8010, 8015, 0};
const std::vector<UINT> kSilverIn = {8015, 8010, 8009, 8008, 8002, 0};
const std::vector<UINT> kGoldOut = {8001, 8011, 8012, 8013, 8014, 0};
const std::vector<UINT> kGoldIn = {8014, 8013, 8012, 8011, 8001, 0};

std::vector<UINT> Join(std::vector<UINT> a, const std::vector<UINT>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST_F(StarTest, RowShowsSilverPlacesTurningGoldFromTheSixthStar) {
    CStar row;
    row.SetRowPos(QPoint(10, 10));
    row.SetParent(&table);
    const std::pair<int, std::string> cases[] = {
        {0, "-----"}, {3, "sss--"}, {5, "sssss"}, {6, "gssss"}, {7, "ggsss"}, {10, "ggggg"}};
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
}

TEST_F(StarTest, IconsAreDrawnWithinTheAreaTheAnimationsRepaint) {
    HINSTANCE module = GetModuleResources("pub");
    auto inkBounds = [&](UINT id) {
        const QImage icon = LoadIconResource(module, id).pixmap(32, 32).toImage();
        QRect bounds;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if (qAlpha(icon.pixel(x, y)) > 0)
                    bounds |= QRect(x, y, 1, 1);
        return bounds;
    };
    for (UINT id : {8000u, 8006u, 8001u, 8002u, 8008u, 8009u, 8010u, 8011u, 8012u, 8013u, 8014u,
                    8015u}) {
        const QRect ink = inkBounds(id);
        ASSERT_FALSE(ink.isEmpty()) << id;
        EXPECT_TRUE(QRect(0, 0, 28, 28).contains(ink)) << id;
    }
    // Turning edge-on: each frame narrower than the one before.
    for (const auto& frames : {kSilverOut, kGoldOut})
        for (size_t i = 1; i + 1 < frames.size(); ++i)
            EXPECT_LT(inkBounds(frames[i]).width(), inkBounds(frames[i - 1]).width());
    EXPECT_LE(inkBounds(8015).width(), 4);
}

TEST_F(StarTest, NewSilverStarAppearsInItsHiddenPlace) {
    star.ResetStars(2);
    star.Increment();
    EXPECT_EQ(star.GetNumberStars(), 3); // at once, on the calling thread
    ASSERT_TRUE(testutil::WaitFor(Idle));
    EXPECT_EQ(Frames(), kSilverIn);
    EXPECT_EQ(Hidden(), std::vector<int>(6, 2));
    EXPECT_EQ(star.GetAnimPos(), QPoint(100 + 50 - 1, 50));
    EXPECT_EQ(star.GetHiddenPlace(), -1);
    EXPECT_EQ(star.GetAnimIcon(), 0u);
}

TEST_F(StarTest, SixthStarTurnsPlaceZeroFromSilverToGoldAndBack) {
    star.ResetStars(5);
    star.Increment();
    ASSERT_TRUE(testutil::WaitFor(Idle));
    EXPECT_EQ(star.GetNumberStars(), 6);
    EXPECT_EQ(Frames(), Join(kSilverOut, kGoldIn));
    EXPECT_EQ(Hidden(), std::vector<int>(12, 0));
    EXPECT_EQ(star.GetAnimPos(), QPoint(99, 50));

    ClearSeen();
    star.Decrement();
    ASSERT_TRUE(testutil::WaitFor(Idle));
    EXPECT_EQ(star.GetNumberStars(), 5);
    EXPECT_EQ(Frames(), Join(kGoldOut, kSilverIn));
    EXPECT_EQ(Hidden(), std::vector<int>(12, 0));
    EXPECT_EQ(star.GetHiddenPlace(), -1);
}

TEST_F(StarTest, LeavingSilverStarTurnsAwayWithoutHidingAPlace) {
    star.ResetStars(3);
    star.Decrement();
    ASSERT_TRUE(testutil::WaitFor(Idle));
    EXPECT_EQ(star.GetNumberStars(), 2);
    EXPECT_EQ(Frames(), kSilverOut);
    EXPECT_EQ(Hidden(), std::vector<int>(6, -1));
    EXPECT_EQ(star.GetAnimPos(), QPoint(149, 50));
}

TEST_F(StarTest, BreakBeforeTheStartShowsNoFrameButTheNewCount) {
    star.ResetStars(7);
    CStar::m_staticBreak = true;
    star.Increment();
    ASSERT_TRUE(testutil::WaitFor(Idle));
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(star.GetNumberStars(), 8);
    EXPECT_EQ(star.GetHiddenPlace(), -1);
    star.SetRowPos(QPoint(10, 10));
    EXPECT_EQ(Row(star), "gggss");
}

TEST_F(StarTest, BreakMidwayLeavesTheLastFrameUntilTheNextAnimation) {
    star.ResetStars(5);
    g_breakAt = 2;
    star.Increment();
    ASSERT_TRUE(testutil::WaitFor(Idle));
    EXPECT_EQ(Frames(), (std::vector<UINT>{8002, 8008}));
    EXPECT_EQ(star.GetAnimIcon(), 8008u);
    EXPECT_EQ(star.GetHiddenPlace(), -1);
    CStar::m_staticBreak = false;
    star.Increment();
    ASSERT_TRUE(testutil::WaitFor(Idle));
    EXPECT_EQ(star.GetAnimIcon(), 0u);
    EXPECT_EQ(star.GetNumberStars(), 7);
}

TEST_F(StarTest, FullAndEmptyRowsAndWrappedCountsStartNoThread) {
    star.ResetStars(10);
    star.Increment();
    EXPECT_EQ(CStar::m_staticCountThreads, 0);
    EXPECT_EQ(star.GetNumberStars(), 10);
    star.ResetStars(0);
    star.Decrement();
    EXPECT_EQ(CStar::m_staticCountThreads, 0);
    EXPECT_EQ(star.GetNumberStars(), 0);
    // A party without stars by settings (1000) only ever counts.
    star.ResetStars(1000);
    star.Decrement();
    star.Increment();
    star.Increment();
    EXPECT_EQ(CStar::m_staticCountThreads, 0);
    EXPECT_EQ(star.GetNumberStars(), -23);
    star.ResetStars(-128);
    star.Decrement();
    EXPECT_EQ(star.GetNumberStars(), 127);
    EXPECT_EQ(CStar::m_staticCountThreads, 0);
    EXPECT_TRUE(Frames().empty());
}

TEST_F(StarTest, AssignmentCopiesTheRowButNotItsAnimations) {
    star.ResetStars(4);
    CStar copy;
    copy = star;
    EXPECT_EQ(copy.GetNumberStars(), 4);
    EXPECT_EQ(copy.GetRowPos(), QPoint(100, 50));
    copy.Increment();
    ASSERT_TRUE(testutil::WaitFor(Idle));
    EXPECT_EQ(copy.GetNumberStars(), 5);
    EXPECT_EQ(star.GetNumberStars(), 4);
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
    EXPECT_TRUE(testutil::WaitFor([&] { return table.painted.contains(QRect(9 + 100, 10, 28, 28)); }));
}

TEST_F(StarTest, AnimationOutlivingItsRowTouchesNothingFreed) {
    platform::SetPauseHook(nullptr);
    auto row = std::make_unique<CStar>();
    row->SetParent(&table);
    row->ResetStars(5);
    row->Increment();
    row.reset();
    EXPECT_TRUE(testutil::WaitFor(Idle));
}
