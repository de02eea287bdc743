#include "Card.h"

#include "GuiThread.h"
#include "Resources.h"
#include "Time.h"

#include <QPainter>

std::atomic<bool> CCard::m_staticAnimCards{true};
std::atomic<int> CCard::m_staticProccessMovecard{0};

namespace {
constexpr int kFlipPause = 5;
constexpr int kMovePause = 10;
constexpr int kMoveSteps = 5;
constexpr int kMoveDivisor = 7;

std::uint64_t PackPlace(int x, int y) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) |
           static_cast<std::uint32_t>(y);
}

// Raises the busy counter for the lifetime of one animation call.
class BusyCount {
public:
    BusyCount() { ++CCard::m_staticProccessMovecard; }
    ~BusyCount() { --CCard::m_staticProccessMovecard; }
    BusyCount(const BusyCount&) = delete;
    BusyCount& operator=(const BusyCount&) = delete;
};
} // namespace

CCard::CCard() : CWnd(nullptr) {
    setCursor(Qt::ArrowCursor);
}

CCard::~CCard() = default;

int CCard::CreateCard(QRect rect, CWnd* parent, UINT faceId, UINT shirtId) {
    m_At = PackPlace(rect.x(), rect.y());
    platform::RunOnGuiThread([&] {
        setParent(parent);
        setGeometry(rect);
        // Rounded corners: the window takes the shape of its card. The old
        // platform's round-rectangle region leaves out its right and bottom
        // edges, so (0, 0)-(72, 97) there is exactly the card's 71 x 96 here;
        // a mask wider than the window would let the card paint a column
        // and a row beside itself that nobody erases when it moves on.
        QRegion shape(QRect(0, 0, kWidth, kHeight));
        const int r = 2; // corner ellipses 4 by 4
        shape -= QRegion(0, 0, r, r) - QRegion(0, 0, 2 * r, 2 * r, QRegion::Ellipse);
        shape -= QRegion(kWidth - r, 0, r, r) -
                 QRegion(kWidth - 2 * r, 0, 2 * r, 2 * r, QRegion::Ellipse);
        shape -= QRegion(0, kHeight - r, r, r) -
                 QRegion(0, kHeight - 2 * r, 2 * r, 2 * r, QRegion::Ellipse);
        shape -= QRegion(kWidth - r, kHeight - r, r, r) -
                 QRegion(kWidth - 2 * r, kHeight - 2 * r, 2 * r, 2 * r, QRegion::Ellipse);
        setMask(shape);
        show();
    });
    SetBmp(faceId, shirtId);
    return parent ? 1 : 0;
}

void CCard::SetBmp(UINT faceId, UINT shirtId) {
    HINSTANCE module = AfxGetResourceHandle();
    // Pixmaps belong to the GUI thread.
    platform::RunOnGuiThread([&] {
        if (faceId != 0)
            m_bmpFace = LoadBitmapResource(module, faceId);
        if (shirtId != 0)
            m_bmpShirt = LoadBitmapResource(module, shirtId);
    });
}

void CCard::ShowCard(bool show) { ShowWindow(show ? SW_SHOW : SW_HIDE); }

void CCard::SetCardPos(const int& x, const int& y) {
    m_At = PackPlace(x, y);
    // Read after the place is kept: a table shown meanwhile either sees the
    // new place in its show event or is seen on screen here.
    if (m_OnScreen)
        SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCard::SetCardPos(const QPoint& pt) { SetCardPos(pt.x(), pt.y()); }

QPoint CCard::GetCardPos() const {
    const std::uint64_t at = m_At;
    return {static_cast<std::int32_t>(at >> 32), static_cast<std::int32_t>(at & 0xffffffffu)};
}

void CCard::Restack(const QWidget* where) {
    SetWindowPos(where, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CCard::showEvent(QShowEvent* event) {
    m_OnScreen = true;
    const QRect place(GetCardPos(), QSize(kWidth, kHeight));
    if (geometry() != place)
        setGeometry(place);
    CWnd::showEvent(event);
}

void CCard::hideEvent(QHideEvent* event) {
    m_OnScreen = false;
    CWnd::hideEvent(event);
}

void CCard::PlaceCard(int x, int y, int cx, int cy) {
    SetWindowPos(nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCard::CardOpen(bool open) {
    BusyCount busy;
    DoOpenCard(open);
}

void CCard::DoOpenCard(const bool& open) {
    if (m_bAlwaysOpen) {
        m_bOpen = true;
        Invalidate(TRUE);
        return;
    }
    if (!IsAnimating()) {
        m_bOpen = open;
        Invalidate(TRUE);
        return;
    }
    if (m_bOpen == open)
        return;

    const QPoint start = GetCardPos();
    const int x = start.x();
    const int y = start.y();
    // Narrow to the middle; a break makes one last step at width 11.
    for (int d = 1; d <= 30; d += 6) {
        if (!IsAnimating())
            d = 30;
        PlaceCard(x + d, y, kWidth - 2 * d, kHeight);
        platform::TimedPause(kFlipPause);
    }
    PlaceCard(x + 35, y, 6, kHeight);
    m_bOpen = open;
    Invalidate(TRUE);
    for (int d = 1; d <= 30; d += 6) {
        if (!IsAnimating())
            d = 30;
        PlaceCard(x + 35 - d, y, 2 * d + 1, kHeight);
        platform::TimedPause(kFlipPause);
    }
    PlaceCard(x, y, kWidth, kHeight);
}

void CCard::CardClose(const bool& close) {
    m_bOpen = !close;
    platform::RunOnGuiThread([&] {
        if (isVisible())
            repaint();
    });
}

void CCard::CardMove(int x, int y, UINT /*sound*/, bool /*playSound*/) {
    BusyCount busy;
    if (IsAnimating()) {
        QPoint current = GetCardPos();
        const int dx = (x - current.x()) / kMoveDivisor;
        const int dy = (current.y() - y) / kMoveDivisor;
        for (int step = 0; step < kMoveSteps; ++step) {
            if (!IsAnimating())
                break;
            current.rx() += dx;
            current.ry() -= dy;
            SetCardPos(current);
            platform::TimedPause(kMovePause);
        }
    }
    SetCardPos(x, y);
}

BOOL CCard::OnEraseBkgnd(QPainter& dc) {
    const QRect client = rect();
    const qreal ratio = devicePixelRatioF();
    // The picture goes at its natural size into a card-sized memory picture,
    // which one stretched copy puts on the window; that squeezes it in a flip.
    QPixmap memory(QSize(kWidth, kHeight) * ratio);
    memory.setDevicePixelRatio(ratio);
    const QPixmap& picture = IsFaceShown() ? m_bmpFace : m_bmpShirt;
    {
        QPainter mem(&memory);
        if (picture.isNull()) {
            // No picture library: a plain card rather than garbage.
            mem.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);
            mem.setPen(Qt::gray);
            mem.drawRect(0, 0, kWidth - 1, kHeight - 1);
        } else {
            mem.drawPixmap(QRect(0, 0, kWidth, kHeight), picture);
        }
    }
    dc.drawPixmap(QRect(0, 0, client.width(), client.height()), memory);
    return TRUE;
}

void CCard::OnLButtonDown(UINT, QPoint) {
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_CARD_LBUTTONDOWN, reinterpret_cast<WPARAM>(this), 0);
}

void CCard::OnLButtonUp(UINT, QPoint) {
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_CARD_LBUTTONUP, reinterpret_cast<WPARAM>(this), 0);
}
