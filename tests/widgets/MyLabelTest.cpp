#include "MyLabel.h"
#include "TestUtil.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <mutex>
#include <thread>
#include <vector>

namespace {

// A window that draws its labels, as the table does, and remembers what it
// was asked to repaint.
class LabelHost : public CWnd {
public:
    LabelHost() { resize(400, 200); }
    std::vector<const CMyLabel*> labels;
    QRegion painted;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        dc.fillRect(rect(), QColor(0, 100, 0));
        for (const CMyLabel* label : labels)
            label->SetDC(&dc);
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
        host.labels.push_back(&label);
    }
    void TearDown() override { CMyLabel::m_staticBreak = false; }

    int LineHeight() const { return QFontMetrics(label.GetMyLabelFont()).height(); }

    LabelHost host;
    CMyLabel label;
};

// Records the label's text width at every pause of an effect.
std::mutex g_widthsMutex;
std::vector<int> g_widths;
const CMyLabel* g_watched = nullptr;
void RecordWidth(int) {
    std::lock_guard lock(g_widthsMutex);
    g_widths.push_back(g_watched->GetTextRect().width());
}

} // namespace

TEST_F(MyLabelTest, FreshLabelIsHiddenBlackArialAndNeedsAParent) {
    CMyLabel orphan;
    EXPECT_FALSE(orphan.IsValid());
    EXPECT_FALSE(orphan.IsVisible());
    EXPECT_EQ(orphan.GetColorText(), 0u);
    const LOGFONT lf = orphan.GetMyLabelLogFont();
    EXPECT_EQ(lf.lfHeight, -15); // 11 pt at 96 dpi
    EXPECT_EQ(lf.lfFaceName, "Arial");
    EXPECT_EQ(orphan.GetMyLabelFont().pixelSize(), 15);
    // Without a parent nothing is measured.
    orphan.SetCaption("Ваш ход!", 0);
    orphan.SetMyLabelPos(50, 60, 0);
    EXPECT_EQ(orphan.GetTextRect(), QRect(50, 60, 0, 0));
    EXPECT_EQ(orphan.GetAveCharWidth(), 0);
    EXPECT_TRUE(label.IsValid());
}

TEST_F(MyLabelTest, AlignmentCodesPlaceTheTextAndCentringSticks) {
    label.SetCaption("Взятка", 0);
    const QFontMetrics fm(label.GetMyLabelFont());
    const int cx = fm.horizontalAdvance("Взятка");
    label.SetMyLabelPos(100, 20, 0);
    EXPECT_EQ(label.GetTextRect(), QRect(100, 20, cx, fm.height()));
    EXPECT_EQ(label.GetFormat(), DT_LEFT);
    label.SetMyLabelPos(QPoint(100, 30), 1);
    EXPECT_EQ(label.GetMyLabelPos(), QPoint(100, 30));
    EXPECT_EQ(label.GetFormat(), DT_RIGHT);
    label.SetMyLabelPos(100, 40, 2);
    EXPECT_EQ(label.GetMyLabelPos(), QPoint(100 - cx / 2, 40));
    EXPECT_EQ(label.GetFormat(), DT_CENTER);
    // Code 0 afterwards: still centred on the anchor, lines drawn left.
    label.SetMyLabelPos(200, 50, 0);
    EXPECT_EQ(label.GetMyLabelPos(), QPoint(200 - cx / 2, 50));
    EXPECT_EQ(label.GetFormat(), DT_LEFT);
    // An unknown code keeps the format; the top still follows.
    label.SetMyLabelPos(200, 70, 7);
    EXPECT_EQ(label.GetFormat(), DT_LEFT);
    EXPECT_EQ(label.GetMyLabelPos().y(), 70);
    // A new caption re-centres on the same anchor.
    label.SetCaption("0", 0);
    EXPECT_EQ(label.GetMyLabelPos().x(), 200 - fm.horizontalAdvance("0") / 2);
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

TEST_F(MyLabelTest, DrawsTextAndShadowOnlyWhenShownWithAParent) {
    label.SetMyLabelFont(-40, 700, "Arial", 0);
    label.SetCaption("WW", 0);
    label.SetMyLabelPos(20, 20, 0);
    label.SetColorText(RGB(255, 255, 0));
    auto render = [&] {
        QImage image(300, 120, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        label.SetDC(&p);
        return image;
    };
    auto count = [](const QImage& image, QColor colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    };
    EXPECT_EQ(count(render(), Qt::yellow), 0); // hidden
    label.Show(true);
    const QImage shown = render();
    EXPECT_GT(count(shown, Qt::yellow), 50);
    // All ink lies within the text rectangle.
    const QRect inside = label.GetTextRect().adjusted(-2, 0, 2, 0);
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixelColor(x, y) != Qt::black) {
                ASSERT_TRUE(inside.contains(x, y)) << x << "," << y;
            }
    // The shadow is black on black here; on white it shows right and down.
    label.SetShade(true);
    QImage white(300, 120, QImage::Format_RGB32);
    white.fill(Qt::white);
    {
        QPainter p(&white);
        label.SetDC(&p);
    }
    EXPECT_GT(count(white, Qt::black), 50);
    label.SetParent(nullptr);
    EXPECT_EQ(count(render(), Qt::yellow), 0);
}

TEST_F(MyLabelTest, LeftFormatDrawsTheLinesOfACentredLabelFromItsLeftEdge) {
    label.SetMyLabelFont(-30, 700, "Arial", 0);
    label.SetMultiline(true);
    label.SetCaption("I\nWWWWW", 0);
    label.SetColorText(RGB(255, 255, 255));
    label.Show(true);
    auto firstLineInk = [&](char align) {
        label.SetMyLabelPos(150, 10, align);
        QImage image(300, 120, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        label.SetDC(&p);
        p.end();
        const QRect rc = label.GetTextRect();
        int leftmost = image.width();
        for (int y = rc.top(); y < rc.top() + LineHeight(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) != Qt::black)
                    leftmost = std::min(leftmost, x);
        return leftmost - rc.left();
    };
    const int centred = firstLineInk(2);
    const int left = firstLineInk(0);
    EXPECT_GT(centred, 20); // "I" in the middle of the wide rectangle
    EXPECT_LT(left, 8);     // "I" at the left edge
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
    testutil::PauseCounter pauses;
    platform::SetPauseHook(&RecordWidth);
    EXPECT_TRUE(label.SetCaption("Игра окончена!", 1));
    platform::SetPauseHook(nullptr);
    ASSERT_EQ(g_widths.size(), static_cast<size_t>(2 * n));
    // Narrowest in the middle, well below the natural width, and back.
    EXPECT_LT(g_widths[n - 1], natural / 3);
    EXPECT_LT(g_widths[n - 1], g_widths[0]);
    EXPECT_LT(g_widths[n], g_widths[2 * n - 1]);
    EXPECT_EQ(label.GetTextRect().width(), natural);
    EXPECT_EQ(label.GetMyLabelLogFont().lfWidth, 0);
    EXPECT_EQ(label.GetMyLabelLogFont().lfCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(CMyLabel::m_staticCountThreads, 0);
}

TEST_F(MyLabelTest, NarrowingAnEmptyCaptionJustShowsTheNewOne) {
    label.SetMyLabelPos(20, 20, 0);
    testutil::PauseCounter pauses;
    label.SetCaption("Игра №1", 1);
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_EQ(label.GetCaption(), "Игра №1");
    EXPECT_EQ(label.GetTextRect().width(),
              QFontMetrics(label.GetMyLabelFont()).horizontalAdvance("Игра №1"));
}

TEST_F(MyLabelTest, ShrinkingStepsThroughEveryHeightOfACellFont) {
    label.SetMyLabelFont(34, 800, "Times New Roman", 0);
    // A cell height of 34 pixels: the whole line fits in it.
    EXPECT_LE(LineHeight(), 34);
    EXPECT_GE(LineHeight(), 31);
    label.SetCaption("Внимание", 0);
    label.SetMyLabelPos(200, 10, 2);
    testutil::PauseCounter pauses;
    label.SetCaption("Партия окончена!", 2);
    EXPECT_EQ(pauses.Count(), 68);
    EXPECT_EQ(pauses.TotalMs(), 68 * 15);
    EXPECT_EQ(label.GetMyLabelLogFont().lfHeight, 34);
    EXPECT_EQ(label.GetCaption(), "Партия окончена!");
}

TEST_F(MyLabelTest, ShrinkingACharacterHeightFontStillShowsTheNewCaption) {
    label.SetMyLabelFont(-18, 600, "Courier New", 0);
    label.SetCaption("Иван", 0);
    label.SetMyLabelPos(10, 10, 0);
    const int before = label.GetTextRect().width();
    testutil::PauseCounter pauses;
    label.SetCaption("Владимир", 2);
    EXPECT_EQ(pauses.Count(), 0);
    EXPECT_GT(label.GetTextRect().width(), before);
}

TEST_F(MyLabelTest, BreakMakesEachLoopTakeOneLastStep) {
    label.SetMyLabelFont(24, 600, "Times New Roman", 0);
    label.SetCaption("Продолжение игры", 0);
    label.SetMyLabelPos(200, 10, 2);
    CMyLabel::m_staticBreak = true;
    {
        testutil::PauseCounter pauses;
        label.SetCaption("Игра окончена!", 1);
        EXPECT_EQ(pauses.Count(), 2);
    }
    {
        testutil::PauseCounter pauses;
        label.SetCaption("Партия окончена!", 2);
        EXPECT_EQ(pauses.Count(), 2);
    }
    EXPECT_EQ(label.GetCaption(), "Партия окончена!");
    const LOGFONT lf = label.GetMyLabelLogFont();
    EXPECT_EQ(lf.lfHeight, 24);
    EXPECT_EQ(lf.lfWidth, 0);
}

TEST_F(MyLabelTest, FontDescriptionsAndUnderline) {
    LOGFONT lf;
    lf.lfHeight = -20;
    lf.lfWeight = 700;
    lf.lfItalic = 1;
    lf.lfFaceName = "Times New Roman";
    label.SetMyLabelFont(&lf);
    label.SetUnderline(true);
    QFont font = label.GetMyLabelFont();
    EXPECT_TRUE(font.underline());
    EXPECT_TRUE(font.italic());
    EXPECT_EQ(font.pixelSize(), 20);
    EXPECT_EQ(font.family(), "Times New Roman");
    EXPECT_EQ(label.GetMyLabelLogFont().lfWeight, 700);
    // The four-argument form starts from a clean description.
    label.SetMyLabelFont(-20, 400, "Arial", 0);
    font = label.GetMyLabelFont();
    EXPECT_FALSE(font.underline());
    EXPECT_FALSE(font.italic());
    // A given width squeezes the letters to about that average.
    label.SetMyLabelFont(-20, 400, "Arial", 3);
    EXPECT_NEAR(QFontMetrics(label.GetMyLabelFont()).averageCharWidth(), 3, 1);
}

TEST_F(MyLabelTest, AssignmentCopiesTheCaptionOnly) {
    CMyLabel other;
    other.SetCaption("Баллы", 0);
    other.SetColorText(RGB(1, 2, 3));
    other.Show(true);
    label.SetColorText(RGB(9, 9, 9));
    label = other;
    EXPECT_EQ(label.GetCaption(), "Баллы");
    EXPECT_EQ(label.GetColorText(), RGB(9, 9, 9));
    EXPECT_FALSE(label.IsVisible());
    EXPECT_TRUE(label.IsValid());
}

TEST_F(MyLabelTest, EffectOnAWorkerRunsWhileTheWindowPaints) {
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    label.SetMyLabelFont(34, 800, "Times New Roman", 0);
    label.SetCaption("Игра №1", 0);
    label.SetMyLabelPos(200, 20, 2);
    label.Show(true);
    testutil::PauseCounter pauses;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        label.SetCaption("Внимание, занта!", 1);
        label.SetCaption("Партия окончена!", 2);
        done = true;
    });
    int busySeen = 0;
    ASSERT_TRUE(testutil::WaitFor([&] {
        busySeen = std::max(busySeen, CMyLabel::m_staticCountThreads.load());
        host.repaint();
        return done.load();
    }));
    worker.join();
    EXPECT_EQ(busySeen, 1);
    EXPECT_EQ(CMyLabel::m_staticCountThreads, 0);
    EXPECT_GT(pauses.Count(), 68);
    EXPECT_EQ(label.GetCaption(), "Партия окончена!");
}
