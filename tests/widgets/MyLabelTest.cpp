#include "MyLabel.h"
#include "GuiThread.h"
#include "TestUtil.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <thread>
#include <vector>

namespace {

// A window that draws its label, as the table does, and remembers what it
// was asked to repaint and the smallest font it painted.
class LabelHost : public CWnd {
public:
    LabelHost() { resize(400, 200); }
    const CMyLabel* label = nullptr;
    QRegion painted;
    int smallestFont = 1000;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        dc.fillRect(rect(), Qt::black);
        label->SetDC(&dc);
        smallestFont = std::min(smallestFont, label->GetMyLabelFont().pixelSize());
        return TRUE;
    }
    void paintEvent(QPaintEvent* event) override {
        painted += event->region();
        CWnd::paintEvent(event);
    }
};

class MyLabelTest : public testing::Test {
protected:
    void SetUp() override {
        CMyLabel::m_staticBreak = false;
        label.SetParent(&host);
        host.label = &label;
    }
    void TearDown() override { CMyLabel::m_staticBreak = false; }

    int LineHeight() const { return QFontMetrics(label.GetMyLabelFont()).height(); }
    // Pixels of the given colour when the label is drawn on the ground.
    int Ink(QColor colour, QColor ground = Qt::black) const {
        QImage image(400, 200, QImage::Format_RGB32);
        image.fill(ground);
        QPainter p(&image);
        label.SetDC(&p);
        p.end();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    }

    LabelHost host;
    CMyLabel label;
};

// The label's text width at every pause of an effect.
std::vector<int> g_widths;
const CMyLabel* g_watched = nullptr;

} // namespace

TEST_F(MyLabelTest, AlignmentCodesPlaceTheTextAndCentringSticks) {
    label.SetCaption("Взятка", 0);
    const QFontMetrics fm(label.GetMyLabelFont());
    const int cx = fm.horizontalAdvance("Взятка");
    label.SetMyLabelPos(100, 20, 0);
    EXPECT_EQ(label.GetTextRect(), QRect(100, 20, cx, fm.height()));
    label.SetMyLabelPos(QPoint(100, 30), 1);
    EXPECT_EQ(label.GetMyLabelPos(), QPoint(100, 30));
    EXPECT_EQ(label.GetFormat(), DT_RIGHT);
    label.SetMyLabelPos(100, 40, 2);
    EXPECT_EQ(label.GetMyLabelPos(), QPoint(100 - cx / 2, 40));
    // Code 0 afterwards: still centred on the anchor, lines drawn left.
    label.SetMyLabelPos(200, 50, 0);
    EXPECT_EQ(label.GetMyLabelPos(), QPoint(200 - cx / 2, 50));
    EXPECT_EQ(label.GetFormat(), DT_LEFT);
    // An unknown code keeps the format; a new caption re-centres.
    label.SetMyLabelPos(200, 70, 7);
    EXPECT_EQ(label.GetFormat(), DT_LEFT);
    label.SetCaption("0", 0);
    EXPECT_EQ(label.GetMyLabelPos(), QPoint(200 - fm.horizontalAdvance("0") / 2, 70));
}

TEST_F(MyLabelTest, MultilineHeightCountsLinesAndShadowGrowsTheRectangle) {
    label.SetCaption("один\nдва\nтри", 0);
    label.SetMyLabelPos(10, 10, 0);
    EXPECT_EQ(label.GetTextRect().height(), LineHeight());
    label.SetMultiline(true);
    label.Invalidate();
    EXPECT_EQ(label.GetTextRect().height(), 3 * LineHeight());
    const QRect plain = label.GetTextRect();
    label.SetShade(true);
    EXPECT_EQ(label.GetTextRect(), plain.adjusted(0, 0, 4, 4));
}

TEST_F(MyLabelTest, DrawsOnlyWhenShownWithAParentAndTheShadowBelowRight) {
    label.SetMyLabelFont(-40, 700, "Arial", 0);
    label.SetCaption("WW", 0);
    label.SetMyLabelPos(20, 20, 0);
    label.SetColorText(RGB(255, 255, 0));
    EXPECT_EQ(Ink(Qt::yellow), 0);
    label.Show(true);
    const int text = Ink(Qt::yellow);
    EXPECT_GT(text, 100);
    EXPECT_EQ(Ink(Qt::black, Qt::white), 0);
    // The black shadow, 4 pixels off, shows beside the text on white.
    label.SetShade(true);
    EXPECT_GT(Ink(Qt::black, Qt::white), text / 4);
    label.SetParent(nullptr);
    EXPECT_EQ(Ink(Qt::yellow), 0);
}

TEST_F(MyLabelTest, MovingALabelRepaintsBothItsOldAndItsNewPlace) {
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    label.SetCaption("Один игрок вылетел!", 0);
    label.Show(true);
    label.SetMyLabelPos(10, 10, 0);
    const QRect before = label.GetTextRect();
    ASSERT_TRUE(testutil::WaitFor([&] { return host.painted.contains(before); }));
    host.painted = QRegion();
    label.SetMyLabelPos(150, 120, 0);
    const QRect after = label.GetTextRect();
    EXPECT_TRUE(testutil::WaitFor(
        [&] { return host.painted.contains(before) && host.painted.contains(after); }));
}

TEST_F(MyLabelTest, NarrowingSqueezesTheLettersDownAndBackUp) {
    label.SetCaption("Игра окончена!", 0);
    label.SetMyLabelPos(200, 10, 2);
    const int natural = label.GetTextRect().width();
    const int n = label.GetAveCharWidth();
    ASSERT_GT(n, 2);
    g_widths.clear();
    g_watched = &label;
    auto previous =
        platform::SetPauseHook([](int) { g_widths.push_back(g_watched->GetTextRect().width()); });
    EXPECT_TRUE(label.SetCaption("Игра окончена!", 1));
    platform::SetPauseHook(previous);
    ASSERT_EQ(g_widths.size(), static_cast<size_t>(2 * n));
    // Narrowest in the middle, well below the natural width, and back.
    EXPECT_LT(g_widths[n - 1], natural / 3);
    EXPECT_LT(g_widths[n - 1], g_widths[0]);
    EXPECT_LT(g_widths[n], g_widths[2 * n - 1]);
    EXPECT_EQ(label.GetTextRect().width(), natural);
    EXPECT_EQ(label.GetMyLabelLogFont().lfWidth, 0);
    EXPECT_EQ(CMyLabel::m_staticCountThreads, 0);
}

TEST_F(MyLabelTest, ShrinkingStepsThroughEveryHeightOfACellFont) {
    label.SetMyLabelFont(34, 800, "Times New Roman", 0);
    // A cell height of 34 pixels: the whole line fits in it.
    EXPECT_LE(LineHeight(), 34);
    EXPECT_GE(LineHeight(), 31);
    label.SetCaption("Внимание", 0);
    testutil::PauseCounter pauses;
    label.SetCaption("Партия окончена!", 2);
    EXPECT_EQ(pauses.Count(), 68);
    EXPECT_EQ(pauses.TotalMs(), 68 * 15);
    EXPECT_EQ(label.GetMyLabelLogFont().lfHeight, 34);
}

TEST_F(MyLabelTest, EffectsWithNothingToStepShowTheNewCaptionAtOnce) {
    testutil::PauseCounter pauses;
    label.SetCaption("Игра №1", 1); // the old caption was empty
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_EQ(label.GetTextRect().width(),
              QFontMetrics(label.GetMyLabelFont()).horizontalAdvance("Игра №1"));
    // A character-height font cannot shrink.
    label.SetMyLabelFont(-18, 600, "Courier New", 0);
    const int before = label.GetTextRect().width();
    label.SetCaption("Владимир Ильич", 2);
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_GT(label.GetTextRect().width(), before);
}

TEST_F(MyLabelTest, BreakMakesEachLoopTakeOneLastStep) {
    label.SetMyLabelFont(24, 600, "Times New Roman", 0);
    label.SetCaption("Продолжение игры", 0);
    CMyLabel::m_staticBreak = true;
    testutil::PauseCounter pauses;
    label.SetCaption("Игра окончена!", 1);
    EXPECT_EQ(pauses.Count(), 2);
    label.SetCaption("Партия окончена!", 2);
    EXPECT_EQ(pauses.Count(), 4);
    EXPECT_EQ(label.GetCaption(), "Партия окончена!");
    EXPECT_EQ(label.GetMyLabelLogFont().lfHeight, 24);
    EXPECT_EQ(label.GetMyLabelLogFont().lfWidth, 0);
}

TEST_F(MyLabelTest, AssignmentCopiesTheCaptionOnly) {
    CMyLabel other;
    other.SetCaption("Баллы", 0);
    other.Show(true);
    label.SetColorText(RGB(9, 9, 9));
    label = other;
    EXPECT_EQ(label.GetCaption(), "Баллы");
    EXPECT_EQ(label.GetColorText(), RGB(9, 9, 9));
    EXPECT_FALSE(label.IsVisible());
    // Without a parent nothing was measured.
    EXPECT_FALSE(other.IsValid());
    EXPECT_EQ(other.GetTextRect(), QRect());
}

TEST_F(MyLabelTest, EffectOnAWorkerIsPaintedStepByStepByTheWindow) {
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    label.SetMyLabelFont(34, 800, "Times New Roman", 0);
    label.SetCaption("Игра №1", 0);
    label.SetMyLabelPos(200, 20, 2);
    label.Show(true);
    const int fullSize = label.GetMyLabelFont().pixelSize();
    static std::atomic<int> s_busy;
    static LabelHost* s_host;
    s_busy = 0;
    s_host = &host;
    // Each pause lets the window paint what the label shows at that moment.
    auto previous = platform::SetPauseHook([](int) {
        s_busy = std::max(s_busy.load(), CMyLabel::m_staticCountThreads.load());
        platform::RunOnGuiThread([] { s_host->repaint(); });
    });
    std::atomic<bool> done{false};
    std::thread worker([&] {
        label.SetCaption("Внимание, занта!", 1);
        label.SetCaption("Партия окончена!", 2);
        done = true;
    });
    ASSERT_TRUE(testutil::WaitFor([&] {
        host.repaint();
        return done.load();
    }));
    worker.join();
    platform::SetPauseHook(previous);
    EXPECT_EQ(s_busy, 1);
    EXPECT_EQ(CMyLabel::m_staticCountThreads, 0);
    EXPECT_LT(host.smallestFont, fullSize / 2);
}
