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
    const QRect plain = label.GetTextRect();
    label.SetShade(true);
    EXPECT_GT(Ink(Qt::black, Qt::white), text / 4);
    EXPECT_EQ(label.GetTextRect(), plain.adjusted(0, 0, 4, 4));
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

TEST_F(MyLabelTest, EffectsSqueezeTheLettersAndEndWithTheNewCaptionInTheFullFont) {
    label.SetCaption("Игра окончена!", 0);
    const int natural = label.GetTextRect().width();
    g_widths.clear();
    g_watched = &label;
    auto previous =
        platform::SetPauseHook([](int) { g_widths.push_back(g_watched->GetTextRect().width()); });
    EXPECT_TRUE(label.SetCaption("Игра окончена!", 1));
    platform::SetPauseHook(previous);
    ASSERT_GE(g_widths.size(), 4u);
    const size_t middle = g_widths.size() / 2 - 1;
    EXPECT_LT(g_widths[middle], natural / 3); // narrowest in the middle, and back
    EXPECT_LT(g_widths[middle + 1], g_widths.back());
    EXPECT_EQ(label.GetTextRect().width(), natural);

    testutil::PauseCounter pauses;
    label.SetCaption("", 0);
    label.SetCaption("Игра №1", 1); // the old caption was empty: nothing to step
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_EQ(label.GetTextRect().width(),
              QFontMetrics(label.GetMyLabelFont()).horizontalAdvance("Игра №1"));
    // A character-height font cannot shrink.
    label.SetMyLabelFont(-18, 600, "Courier New", 0);
    const int before = label.GetTextRect().width();
    label.SetCaption("Владимир Ильич", 2);
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_GT(label.GetTextRect().width(), before);

    // A cell-height font shrinks and grows back; broken off, each loop ends
    // after one more step.
    for (bool broken : {false, true}) {
        label.SetMyLabelFont(34, 800, "Times New Roman", 0);
        label.SetCaption("Внимание", 0);
        CMyLabel::m_staticBreak = broken;
        label.SetCaption("Игра окончена!", 1);
        label.SetCaption("Партия окончена!", 2);
        EXPECT_EQ(label.GetCaption(), "Партия окончена!");
        EXPECT_EQ(label.GetMyLabelLogFont().lfHeight, 34);
        EXPECT_EQ(label.GetMyLabelLogFont().lfWidth, 0);
    }
    EXPECT_LE(QFontMetrics(label.GetMyLabelFont()).height(), 34); // the line fits the cell
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
