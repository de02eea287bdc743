#include "GuiThread.h"
#include "TestUtil.h"
#include "Wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

class EchoWnd : public CWnd {
public:
    std::vector<UINT> order;
    std::atomic<int> handledOffGui{0};

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        handledOffGui += !platform::IsGuiThread();
        if (message < WM_USER)
            return CWnd::WindowProc(message, wParam, lParam);
        order.push_back(message);
        return static_cast<LRESULT>(wParam) + lParam;
    }
};

} // namespace

TEST(GuiThread, SendRunsOnTheGuiThreadPostIsQueuedInOrderAndDroppedWithItsWindow) {
    auto* wnd = new EchoWnd;
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
