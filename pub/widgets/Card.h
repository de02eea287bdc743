#pragma once
// One card of the deck: a small child window of the table that draws its face
// or back, turns over and glides with short animations, and reports clicks to
// the table window, which decides what a click means.

#include "Wnd.h"

#include <QPixmap>

#include <atomic>
#include <cstdint>

// Messages a card sends to its parent; the card itself is the first parameter.
constexpr UINT WM_CARD_LBUTTONUP = WM_USER + 30;   // 1054
constexpr UINT WM_CARD_LBUTTONDOWN = WM_USER + 35; // 1059

// Where a card lies. The codes are stored in every card and compared by the
// table and both programs, so they are fixed.
enum CardPlace { e_Pack = 10, e_Reset = 11, e_Going = 12, e_Take = 13, e_Hand = 14 };

class CCard : public CWnd {
    Q_OBJECT
public:
    static constexpr int kWidth = 71;
    static constexpr int kHeight = 96;

    CCard();
    ~CCard() override;
    CCard(const CCard&) = delete;
    CCard& operator=(const CCard&) = delete;

    int CreateCard(QRect rect, CWnd* parent, UINT faceId, UINT shirtId);
    // Loads the pictures from the current resource module; a zero id keeps
    // that side as it is.
    void SetBmp(UINT faceId, UINT shirtId);
    void ShowCard(bool show);
    // Where the card lies on its table. Its window follows while it is on
    // screen; a table no window shows (a simulated one, or one minimised)
    // only keeps the place, and its cards go there when it is shown.
    void SetCardPos(const int& x, const int& y);
    void SetCardPos(const QPoint& pt);
    QPoint GetCardPos() const;
    // Over (HWND_TOP) or under (HWND_BOTTOM) the table's other windows.
    void Restack(const QWidget* where);
    void CardOpen(bool open);
    void CardClose(const bool& close);
    void CardMove(int x, int y, UINT sound, bool playSound);

    // The face shown now (face or back), for drawing and tests.
    bool IsFaceShown() const { return m_bAlwaysOpen || m_bOpen; }

    QPixmap m_bmpFace;
    QPixmap m_bmpShirt;
    // Flags below are read by painting on the GUI thread while a game worker
    // may change them, hence atomic.
    std::atomic<bool> m_bOpen{false};
    int m_Value = 0;
    int m_Mast = 0;
    int m_Player = 0;
    int m_Scores = 0;
    int m_Place = 0;
    std::int8_t m_IndexX = -1;
    std::int8_t m_IndexY = -1;
    std::uint8_t m_Moving = 0;
    std::atomic<bool> m_bAlwaysOpen{false};
    bool m_Beaten = false;
    std::atomic<bool> m_bAnimation{false};

    static std::atomic<bool> m_staticAnimCards;
    static std::atomic<int> m_staticProccessMovecard;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void OnLButtonDown(UINT flags, QPoint point) override;
    void OnLButtonUp(UINT flags, QPoint point) override;

private:
    void DoOpenCard(const bool& open);
    // Nothing glides or turns where nobody sees it.
    bool IsAnimating() const { return m_bAnimation && m_staticAnimCards && m_OnScreen; }
    void PlaceCard(int x, int y, int cx, int cy);

    // The place as two 32-bit halves, read by the game's thread and the
    // GUI thread alike.
    std::atomic<std::uint64_t> m_At{0};
    std::atomic<bool> m_OnScreen{false};
};
