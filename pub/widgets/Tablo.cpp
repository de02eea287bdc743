#include "Tablo.h"

#include "Colour.h"
#include "GuiThread.h"

#include <QPainter>

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr int kFirstRedBalls = 8;
constexpr int kOutBalls = 12;
constexpr char kCentred = 2;
} // namespace

CTablo::CTablo() : CWnd(nullptr) {
    CMyLabel* labels[] = {&m_lblTitle[0], &m_lblTitle[1], &m_lblBalls, &m_lblScores};
    for (CMyLabel* label : labels) {
        label->SetParent(this);
        label->SetColorText(kWhite);
        const long weight = label == &m_lblBalls || label == &m_lblScores ? 600 : 500;
        label->SetMyLabelFont(-18, weight, QStringLiteral("Times New Roman"), 0);
    }
}

CTablo::~CTablo() = default;

int CTablo::CreateTablo(const QRect& rect, CWnd* parent, bool scoresOnly) {
    platform::RunOnGuiThread([&] {
        m_rcTablo = rect;
        setParent(parent);
        setWindowTitle(QStringLiteral("Error"));
        setGeometry(rect);
        hide();
    });
    m_nWidth = rect.width();
    m_nHeight = rect.height();
    m_lblTitle[0].SetCaption(QStringLiteral("Взятка"), 0);
    m_lblTitle[1].SetCaption(QStringLiteral("Баллы"), 0);
    m_lblBalls.SetCaption(QStringLiteral("0"), 0);
    m_lblScores.SetCaption(QStringLiteral("0"), 0);
    SwapView(scoresOnly);
    return parent ? 1 : 0;
}

void CTablo::SwapView(bool scoresOnly) {
    m_bScoresOnly = scoresOnly;
    const int w = m_nWidth;
    const int h = m_nHeight;
    auto bottomOf = [h](const CMyLabel& label) { return h - label.GetTextRect().height(); };
    if (scoresOnly) {
        m_clrBack = TABLO_GREEN;
        m_lblTitle[0].SetMyLabelPos(w / 2, 0, kCentred);
        m_lblScores.SetMyLabelPos(w / 2, bottomOf(m_lblScores), kCentred);
        m_lblTitle[1].Show(false);
        m_lblBalls.Show(false);
        m_lblTitle[0].Show(true);
        m_lblScores.Show(true);
    } else {
        m_clrBack = TABLO_BLUE;
        m_lblTitle[0].SetMyLabelPos(w / 4, 0, kCentred);
        m_lblTitle[1].SetMyLabelPos(3 * w / 4, 0, kCentred);
        m_lblScores.SetMyLabelPos(w / 4, bottomOf(m_lblScores), kCentred);
        m_lblBalls.SetMyLabelPos(3 * w / 4, bottomOf(m_lblBalls), kCentred);
        m_lblTitle[0].Show(true);
        m_lblTitle[1].Show(true);
        m_lblScores.Show(true);
        m_lblBalls.Show(true);
    }
    Invalidate();
}

void CTablo::SetScoreValue(const int& v) {
    if (v == m_nScores)
        return;
    m_nScores = static_cast<std::int8_t>(v);
    m_lblScores.SetCaption(QString::number(v), v != 0 ? 1 : 0);
}

void CTablo::SetBallsValue(const int& v) {
    if (v == m_nBalls)
        return;
    m_nBalls = static_cast<std::int8_t>(v);
    m_lblBalls.SetCaption(QString::number(v), v != 0 ? 1 : 0);
    if (m_lblBalls.IsVisible()) {
        if (v < kFirstRedBalls)
            m_clrBack = TABLO_BLUE;
        else if (v < kOutBalls)
            m_clrBack = TABLO_RED;
        Invalidate();
    }
}

void CTablo::ColorForBalls() {
    const int balls = m_nBalls;
    if (balls < kFirstRedBalls)
        m_clrBack = TABLO_BLUE;
    else if (balls < kOutBalls)
        m_clrBack = TABLO_RED;
}

void CTablo::ResetColor(bool normal) {
    if (!normal)
        m_clrBack = TABLO_BLACK;
    else if (m_bScoresOnly)
        m_clrBack = TABLO_GREEN;
    else
        ColorForBalls();
    Invalidate();
}

void CTablo::SetTabloPos(const int& x, const int& y, bool centreX, bool centreY) {
    platform::RunOnGuiThread([&] {
        const QRect client = rect();
        const int left = centreX ? x - client.width() / 2 : x;
        const int top = centreY ? y - client.height() / 2 : y;
        SetWindowPos(nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_rcTablo.moveTopLeft(QPoint(left, top));
    });
}

QPoint CTablo::GetTabloPos() const {
    QPoint corner;
    platform::RunOnGuiThread([&] { corner = m_rcTablo.topLeft(); });
    return corner;
}

void CTablo::Show(bool show) {
    ShowWindow(show ? SW_SHOW : SW_HIDE);
}

bool CTablo::IsVisible() const {
    return IsWindowVisible();
}

BOOL CTablo::OnEraseBkgnd(QPainter& dc) {
    dc.setPen(QPen(ToColor(kYellow), 1));
    dc.setBrush(ToColor(m_clrBack));
    dc.drawRect(rect().adjusted(0, 0, -1, -1));
    m_lblTitle[0].SetDC(&dc);
    m_lblTitle[1].SetDC(&dc);
    m_lblBalls.SetDC(&dc);
    m_lblScores.SetDC(&dc);
    return TRUE;
}
