#include "MyLabel.h"
#include "GuiThread.h"
#include "TestUtil.h"
#include "Time.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

#include <thread>

namespace {

// A window that draws its label, as the table does, and remembers the
// narrowest text and smallest font it painted.
class LabelHost : public CWnd {
public:
    LabelHost() { resize(400, 200); }
    const CMyLabel* label = nullptr;
    int narrowest = 1000, smallestFont = 1000;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        dc.fillRect(rect(), Qt::black);
        label->SetDC(&dc);
        narrowest = std::min(narrowest, label->GetTextRect().width());
        smallestFont = std::min(smallestFont, label->GetMyLabelFont().pixelSize());
        return TRUE;
    }
};

class MyLabelTest : public testing::Test {
protected:
    void SetUp() override {
        label.SetParent(&host);
        host.label = &label;
        label.SetMyLabelFont(34, 800, "Times New Roman", 0);
    }
    void Show() {
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
        label.SetColorText(RGB(255, 255, 0)); // seen on the black ground
        label.Show(true);
    }

    // Pixels of the given colour when the label is drawn on the ground.
    int Ink(QColor colour, QColor ground = Qt::black) const {
        QImage image(400, 200, QImage::Format_RGB32);
        image.fill(ground);
        QPainter p(&image);
        label.SetDC(&p);
        p.end();
        const auto* bits = reinterpret_cast<const QRgb*>(image.constBits());
        return int(std::count(bits, bits + 400 * 200, colour.rgb()));
    }

    LabelHost host;
    CMyLabel label;
};

} // namespace

TEST_F(MyLabelTest, DrawsOnlyWhenShownWithAParentAndTheShadowBelowRight) {
    label.SetCaption("WW", 0);
    label.SetMyLabelPos(20, 20, 0);
    label.SetColorText(RGB(255, 255, 0));
    EXPECT_EQ(Ink(Qt::yellow), 0);
    label.Show(true);
    const int text = Ink(Qt::yellow);
    EXPECT_GT(text, 100);
    EXPECT_EQ(Ink(Qt::black, Qt::white), 0);
    const QRect plain = label.GetTextRect();
    label.SetShade(true); // the black shadow, 4 pixels off, shows beside the text on white
    EXPECT_GT(Ink(Qt::black, Qt::white), text / 4);
    EXPECT_EQ(label.GetTextRect(), plain.adjusted(0, 0, 4, 4));
    label.SetParent(nullptr);
    EXPECT_EQ(Ink(Qt::yellow), 0);
}

TEST_F(MyLabelTest, MovingOrShorteningALabelLeavesNothingOfItBehind) {
    Show();
    label.SetCaption("Один игрок вылетел!", 0);
    label.SetMyLabelPos(10, 10, 0);
    EXPECT_EQ(testutil::StalePixels(host), 0);
    label.SetCaption("Пас", 0);
    EXPECT_EQ(testutil::StalePixels(host), 0);
    label.SetMyLabelPos(150, 120, 0);
    EXPECT_EQ(testutil::StalePixels(host), 0);
}

TEST_F(MyLabelTest, EffectsOnAWorkerArePaintedStepByStepAndEndInTheFullFont) {
    Show();
    label.SetMyLabelPos(200, 20, 2);
    static std::atomic<int> s_busy;
    static LabelHost* s_host;
    s_host = &host;
    // Each pause lets the window paint what the label shows at that moment.
    auto previous = platform::SetPauseHook([](int) {
        s_busy = std::max(s_busy.load(), CMyLabel::m_staticCountThreads.load());
        platform::RunOnGuiThread([] { s_host->repaint(); });
    });
    // 1 squeezes the letters, 2 shrinks the font, each and back; broken off, each
    // half ends after one more step. Either way the new caption ends in full size.
    for (auto [effect, broken] : {std::pair{1, false}, {2, false}, {1, true}, {2, true}}) {
        label.SetCaption("Игра окончена!", 0);
        const int fullWidth = label.GetTextRect().width();
        const QFont full = label.GetMyLabelFont();
        s_busy = 0;
        host.narrowest = host.smallestFont = 1000;
        CMyLabel::m_staticBreak = broken;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            label.SetCaption("Партия окончена!", effect);
            done = true;
        });
        ASSERT_TRUE(testutil::WaitFor([&] {
            host.repaint();
            return done.load();
        }));
        worker.join();
        SCOPED_TRACE(effect + 10 * broken);
        EXPECT_EQ(s_busy, 1);
        if (!broken) {
            EXPECT_LT(host.narrowest, fullWidth / 3);
            EXPECT_EQ(host.smallestFont < full.pixelSize() / 2, effect == 2);
        }
        EXPECT_EQ(label.GetCaption(), "Партия окончена!");
        EXPECT_EQ(label.GetTextRect().width(),
                  QFontMetrics(full).horizontalAdvance("Партия окончена!"));
        EXPECT_LE(QFontMetrics(label.GetMyLabelFont()).height(), 34); // the line fits the cell
    }
    platform::SetPauseHook(previous);
    EXPECT_EQ(CMyLabel::m_staticCountThreads, 0);
}

// The announcement's corner anchor: a short text is centred on it, a long one
// starts at the window's edge instead of being cut off there.
TEST_F(MyLabelTest, ACentredTextTooWideForItsAnchorStartsAtTheWindowsEdge) {
    label.SetMyLabelPos(135, 20, 2);
    label.SetCaption("Пас", 0);
    const QRect shortText = label.GetTextRect();
    EXPECT_NEAR(shortText.center().x(), 135, 1);
    label.SetCaption("Начало новой партии!", 0);
    ASSERT_GT(label.GetTextRect().width(), 270);
    EXPECT_EQ(label.GetTextRect().left(), 0);
    label.SetMyLabelPos(135, 20, 2);
    EXPECT_EQ(label.GetTextRect().left(), 0);
}
