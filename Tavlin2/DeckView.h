#pragma once
// The table window of this build: the whole deck laid out face up in four
// rows by suit, the pack in its place at the left. A click on a card turns it
// over; a click on the pack's place gathers the cards and lays them out again.

#include "Pack.h"
#include "Wnd.h"

class CDeckView : public CWnd {
    Q_OBJECT
public:
    explicit CDeckView(QWidget* parent = nullptr);

    CPack m_Pack;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnEraseBkgnd(QPainter& dc) override;
    void OnLButtonDown(UINT flags, QPoint point) override;
    void OnTimer(UINT id) override;

private:
    static constexpr UINT kLayOutTimer = 1;
    QRect PackPlace() const;
    QPoint RowPlace(int index) const;
    void LayOut();

    bool m_LaidOut = false;
};
