#include "DeckView.h"

#include <QPainter>

CDeckView::CDeckView(QWidget* parent) : CWnd(parent) {
    m_Pack.InitPack36(this);
    m_Pack.SetValueZanta();
    m_Pack.ShowAinmationCards(true);
    m_Pack.SetPackPos(20, 60);
    m_Pack.CardsToPack(false);
    SetTimer(kLayOutTimer, 400);
}

QRect CDeckView::PackPlace() const { return QRect(14, 46, 85, 110); }

QPoint CDeckView::RowPlace(int index) const {
    const int row = index / 9;
    const int column = index % 9;
    return QPoint(120 + column * 73, 20 + row * 150);
}

void CDeckView::LayOut() {
    // Cards glide out one by one and turn face up on arrival.
    for (int j = 0; j < m_Pack.GetNumberCardsInPack(); ++j) {
        CCard* card = m_Pack.GetCard(j);
        const QPoint target = RowPlace((card->m_Mast - 1) * 9 + card->m_Value - 1);
        card->m_Place = e_Going;
        card->SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        card->CardMove(target.x(), target.y(), 0, false);
        card->CardOpen(true);
    }
    m_LaidOut = true;
}

void CDeckView::OnTimer(UINT id) {
    if (id == kLayOutTimer)
        LayOut();
}

LRESULT CDeckView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CARD_LBUTTONDOWN) {
        if (CCard::m_staticProccessMovecard != 0)
            return 0;
        auto* card = reinterpret_cast<CCard*>(wParam);
        if (card->m_Place == e_Pack)
            OnLButtonDown(0, PackPlace().center());
        else
            card->CardOpen(!card->m_bOpen);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CDeckView::OnLButtonDown(UINT, QPoint point) {
    if (!PackPlace().contains(point) || !m_LaidOut || CCard::m_staticProccessMovecard != 0)
        return;
    m_LaidOut = false;
    m_Pack.CardsToPack(false);
    m_Pack.ShufflePack();
    m_Pack.SetPackPos(20, 60);
    SetTimer(kLayOutTimer, 300);
}

BOOL CDeckView::OnEraseBkgnd(QPainter& dc) {
    dc.fillRect(rect(), QColor(0, 100, 40));
    dc.setPen(QPen(QColor(230, 210, 120), 2, Qt::DashLine));
    dc.drawRoundedRect(PackPlace(), 6, 6);
    dc.setPen(QColor(230, 230, 200));
    dc.drawText(QRect(0, PackPlace().bottom() + 6, 113, 40), Qt::AlignHCenter | Qt::TextWordWrap,
                QStringLiteral("Колода"));
    return TRUE;
}
