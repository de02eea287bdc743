#pragma once
// A seat's score board: a small coloured child window of the table showing
// the points of the current game ("Взятка") and, in a party for balls, the
// penalty balls ("Баллы"). Its colour tells the seat's state.
//
// Game workers set the values while the GUI thread paints, so what painting
// reads is atomic or lives in the labels, which guard themselves.

#include "MyLabel.h"
#include "Wnd.h"

#include <QPoint>
#include <QRect>

#include <atomic>
#include <cstdint>

// Background colours (0x00BBGGRR).
constexpr COLORREF TABLO_GREEN = RGB(0, 90, 0); // points-only view
constexpr COLORREF TABLO_BLUE = RGB(0, 0, 200); // fewer than 8 balls
constexpr COLORREF TABLO_RED = RGB(200, 0, 0);  // 8 to 11 balls
constexpr COLORREF TABLO_BLACK = RGB(0, 0, 0);  // the seat is out

class CTablo : public CWnd {
    Q_OBJECT
public:
    CTablo();
    ~CTablo() override;
    CTablo(const CTablo&) = delete;
    CTablo& operator=(const CTablo&) = delete;

    // Creates the board as a hidden child of parent at rect; non-zero on success.
    int CreateTablo(const QRect& rect, CWnd* parent, bool scoresOnly);
    void SwapView(bool scoresOnly);

    void SetScoreValue(const int& v);
    void SetBallsValue(const int& v);
    int GetScoresValue() const { return m_nScores; }
    int GetBallsValue() const { return m_nBalls; }
    bool IsScoresOnly() const { return m_bScoresOnly; }
    COLORREF GetColorBack() const { return m_clrBack; }

    // normal false: black. true: the colour of the view and the balls.
    void ResetColor(bool normal);
    // Moves the board so that its left (top) edge is x (y), or its centre when
    // the flag is set; the size and the stacking order stay.
    void SetTabloPos(const int& x, const int& y, bool centreX, bool centreY);
    QPoint GetTabloPos() const;
    void Show(bool show);
    bool IsVisible() const;

    int m_nWidth = 0;
    int m_nHeight = 0;
    CMyLabel m_lblBalls;
    CMyLabel m_lblScores;
    CMyLabel m_lblTitle[2];
    std::atomic<std::int8_t> m_nScores{0};
    std::atomic<std::int8_t> m_nBalls{0};
    std::atomic<COLORREF> m_clrBack{TABLO_BLUE};

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override;

private:
    // Colour of the two-column view for the balls shown; unchanged from 12.
    void ColorForBalls();

    QRect m_rcTablo; // GUI thread only
    std::atomic<bool> m_bScoresOnly{false};
};
