// Windows, their messages and timers, from the GUI thread and from workers.

#include "Wnd.h"
#include "GuiThread.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <thread>

namespace {

// Records its messages, timers and background paints.
class TestWnd : public CWnd {
public:
    explicit TestWnd(QWidget* parent = nullptr) : CWnd(parent) {}
    std::vector<UINT> order, fired;
    std::atomic<int> handledOffGui{0};
    int erases = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        handledOffGui += !platform::IsGuiThread();
        if (message < WM_USER)
            return CWnd::WindowProc(message, wParam, lParam);
        order.push_back(message);
        return static_cast<LRESULT>(wParam) + lParam;
    }
    void OnTimer(UINT id) override { fired.push_back(id); }
    BOOL OnEraseBkgnd(QPainter& dc) override {
        ++erases;
        dc.fillRect(rect(), Qt::darkGreen);
        return TRUE;
    }
};

} // namespace

TEST(Wnd, SendRunsOnTheGuiThreadPostIsQueuedInOrderAndDroppedWithItsWindow) {
    auto* wnd = new TestWnd;
    wnd->PostMessage(WM_USER + 8);
    wnd->PostMessage(WM_USER + 9);
    EXPECT_EQ(wnd->SendMessage(WM_USER + 7, 3, 4), 7); // at once, before the posted ones
    std::vector<LRESULT> results(4, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                results[size_t(t)] += wnd->SendMessage(WM_USER + 1, 2, t);
        });
    ASSERT_TRUE(testutil::WaitFor([&] { return wnd->order.size() == 203; }));
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(wnd->handledOffGui, 0);
    EXPECT_EQ(results, (std::vector<LRESULT>{100, 150, 200, 250}));
    EXPECT_EQ(wnd->order[0], WM_USER + 7u);
    const auto at = [&](UINT m) { return std::find(wnd->order.begin(), wnd->order.end(), m); };
    EXPECT_LT(at(WM_USER + 8), at(WM_USER + 9));

    wnd->PostMessage(WM_USER + 1);
    delete wnd;
    bool ran = false;
    platform::PostToGuiThread([&] { ran = true; });
    EXPECT_TRUE(testutil::WaitFor([&] { return ran; }));
}

TEST(Wnd, TimersFireOnceByIdAndCanBeKilledOrSetFromAWorker) {
    TestWnd wnd;
    wnd.SetTimer(5, 10);
    wnd.SetTimer(6, 10);
    EXPECT_TRUE(wnd.KillTimer(6));
    EXPECT_FALSE(wnd.KillTimer(6));
    std::thread worker([&] { wnd.SetTimer(9, 30); }); // waits for the GUI thread to arm it
    ASSERT_TRUE(testutil::WaitFor([&] { return wnd.fired.size() == 2; }));
    worker.join();
    QElapsedTimer quiet;
    quiet.start();
    testutil::WaitFor([&] { return quiet.elapsed() > 60; });
    std::sort(wnd.fired.begin(), wnd.fired.end());
    EXPECT_EQ(wnd.fired, (std::vector<UINT>{5, 9})); // once each, never the killed one
}

TEST(Wnd, SetWindowPosMovesResizesStacksAndRepaintsAtOnce) {
    TestWnd parent;
    parent.resize(300, 200);
    TestWnd a(&parent);
    TestWnd b(&parent); // under a at first
    a.SetWindowPos(nullptr, 10, 10, 50, 50, SWP_NOZORDER);
    b.SetWindowPos(nullptr, 20, 20, 50, 50, SWP_NOZORDER);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    a.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(parent.childAt(30, 30), &a);
    // Moving keeps the size, sizing keeps the place; the uncovered table and
    // the moved window are both drawn during the call, without the event loop.
    const int parentErases = parent.erases, childErases = a.erases;
    a.SetWindowPos(nullptr, 100, 90, 1, 1, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(a.geometry(), QRect(100, 90, 50, 50));
    EXPECT_GT(parent.erases, parentErases);
    EXPECT_GT(a.erases, childErases);
    a.SetWindowPos(nullptr, 0, 0, 20, 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(a.geometry(), QRect(100, 90, 20, 30));
}
