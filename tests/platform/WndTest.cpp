#include "Wnd.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

#include <thread>

namespace {

// Counts its timers and background paints.
class TestWnd : public CWnd {
public:
    explicit TestWnd(QWidget* parent = nullptr) : CWnd(parent) {}
    std::vector<UINT> fired;
    int erases = 0;

protected:
    void OnTimer(UINT id) override { fired.push_back(id); }
    BOOL OnEraseBkgnd(QPainter& dc) override {
        ++erases;
        dc.fillRect(rect(), Qt::darkGreen);
        return TRUE;
    }
};

} // namespace

TEST(Wnd, TimersFireOnceByIdAndCanBeKilledOrRestarted) {
    TestWnd wnd;
    wnd.SetTimer(5, 10);
    wnd.SetTimer(6, 10);
    EXPECT_TRUE(wnd.KillTimer(6));
    EXPECT_FALSE(wnd.KillTimer(6));
    ASSERT_TRUE(testutil::WaitFor([&] { return !wnd.fired.empty(); }));
    QElapsedTimer quiet;
    quiet.start();
    testutil::WaitFor([&] { return quiet.elapsed() > 60; });
    EXPECT_EQ(wnd.fired, std::vector<UINT>{5}); // once, and never the killed one
    EXPECT_FALSE(wnd.IsTimerSet(5));

    // A timer set from a worker still fires on the window.
    std::atomic<bool> armed{false};
    std::thread worker([&] {
        wnd.SetTimer(9, 1);
        armed = true;
    });
    // The worker waits for the GUI thread to arm the timer, so keep it running.
    ASSERT_TRUE(testutil::WaitFor([&] { return armed.load(); }));
    worker.join();
    ASSERT_TRUE(testutil::WaitFor([&] { return wnd.fired.size() == 2; }));
    EXPECT_EQ(wnd.fired.back(), 9u);
}

TEST(Wnd, SetWindowPosMovesResizesStacksAndRepaintsAtOnceFromAnyThread) {
    TestWnd parent;
    parent.resize(300, 200);
    TestWnd a(&parent);
    TestWnd b(&parent);
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

    // From a worker, the same calls happen on the GUI thread.
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i)
            b.SetWindowPos(nullptr, i * 5, i * 3, 30, 30, SWP_NOZORDER);
        b.ShowWindow(SW_HIDE);
        done = true;
    });
    ASSERT_TRUE(testutil::WaitFor([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(b.geometry(), QRect(95, 57, 30, 30));
    EXPECT_FALSE(b.isVisible());
}
