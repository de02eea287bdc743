#pragma once
// The table window of this build: the real card table with 2 to 4 seats,
// their names, score boards, star rows and the victory table, dealt on a game
// worker so the window keeps painting while the cards glide. The appearance
// is chosen from the frame's menu or with keys, applied live through the
// table's appearance path (WM_PAGE_VIEW):
//   2, 3, 4  seats          T / Shift+T  next / previous table (0..7)
//   B        next background   S  next card back   D or F2  deal again

#include "PageView.h"
#include "Public.h"
#include "Wnd.h"

#include <atomic>
#include <thread>

class CDeckView : public CWnd {
    Q_OBJECT
public:
    explicit CDeckView(QWidget* parent = nullptr);
    ~CDeckView() override;

    void SetPlayers(int players);
    // Through the appearance path, as the settings page would.
    void ChooseAppearance(UINT control, int index);
    void ChooseTablePicture(const QString& path);
    // Gathers the cards and deals again; nothing while a deal runs.
    void Deal();
    bool IsBusy() const;

    CPublic m_Public;
    int m_Shirt = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnEraseBkgnd(QPainter& dc) override;
    void OnPaint(QPainter& dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT id) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static constexpr UINT kDealTimer = 1;
    void ArrangeSeats(int players);
    void JoinDealer();

    std::thread m_Dealer;
    std::atomic<bool> m_Dealing{false};
};
