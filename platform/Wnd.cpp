#include "Wnd.h"

#include "GuiThread.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimerEvent>

#include <atomic>
#include <unordered_map>

namespace {
// Any distinct address serves as the bottom marker.
const QWidget* const kBottomMarker = reinterpret_cast<const QWidget*>(std::uintptr_t{1});

UINT mouseKeys(Qt::MouseButtons buttons) {
    UINT flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    return flags;
}
} // namespace

const QWidget* const HWND_BOTTOM = kBottomMarker;

namespace {
std::atomic<std::uint64_t> g_nextSerial{1};
// Windows alive now, by serial. Windows are made and destroyed on the GUI
// thread, and posted work runs there, so only that thread touches this.
std::unordered_map<std::uint64_t, CWnd*>& LiveWindows() {
    static std::unordered_map<std::uint64_t, CWnd*> live;
    return live;
}
} // namespace

CWnd::CWnd(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), m_serial(g_nextSerial++) {
    // Drawing is entirely ours; Qt must not fill the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    LiveWindows()[m_serial] = this;
}

CWnd::~CWnd() { LiveWindows().erase(m_serial); }

void CWnd::postToSelf(std::function<void(CWnd*)> fn) {
    const std::uint64_t serial = m_serial;
    platform::PostToGuiThread([serial, fn = std::move(fn)] {
        auto it = LiveWindows().find(serial);
        if (it != LiveWindows().end())
            fn(it->second);
    });
}

CWnd* CWnd::GetParent() const { return qobject_cast<CWnd*>(parentWidget()); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    platform::RunOnGuiThread([&] { result = WindowProc(message, wParam, lParam); });
    return result;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    postToSelf([message, wParam, lParam](CWnd* self) { self->WindowProc(message, wParam, lParam); });
    return TRUE;
}

UINT CWnd::SetTimer(UINT id, UINT elapse) {
    platform::RunOnGuiThread([&] {
        auto it = m_timers.find(id);
        if (it != m_timers.end())
            killTimer(it->second);
        m_timers[id] = startTimer(static_cast<int>(elapse), Qt::PreciseTimer);
    });
    return id;
}

BOOL CWnd::KillTimer(UINT id) {
    BOOL killed = FALSE;
    platform::RunOnGuiThread([&] {
        auto it = m_timers.find(id);
        if (it == m_timers.end())
            return;
        killTimer(it->second);
        m_timers.erase(it);
        killed = TRUE;
    });
    return killed;
}

bool CWnd::IsTimerSet(UINT id) const {
    bool set = false;
    platform::RunOnGuiThread([&] { set = m_timers.count(id) != 0; });
    return set;
}

void CWnd::timerEvent(QTimerEvent* event) {
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->second != event->timerId())
            continue;
        const UINT id = it->first;
        killTimer(it->second);
        m_timers.erase(it);
        WindowProc(WM_TIMER, id, 0);
        return;
    }
    QWidget::timerEvent(event);
}

BOOL CWnd::SetWindowPos(const QWidget* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    BOOL result = FALSE;
    platform::RunOnGuiThread([&] { result = doSetWindowPos(insertAfter, x, y, cx, cy, flags); });
    return result;
}

BOOL CWnd::doSetWindowPos(const QWidget* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    const QRect oldGeometry = geometry();
    const bool wasVisible = isVisible();
    QRect target = oldGeometry;
    if (!(flags & SWP_NOMOVE))
        target.moveTo(x, y);
    if (!(flags & SWP_NOSIZE))
        target.setSize(QSize(qMax(0, cx), qMax(0, cy)));
    if (target != oldGeometry)
        setGeometry(target);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_BOTTOM)
            lower();
        else if (insertAfter == HWND_TOP)
            raise();
        else if (insertAfter && insertAfter->parentWidget() == parentWidget())
            stackUnder(const_cast<QWidget*>(insertAfter));
    }
    if (flags & SWP_SHOWWINDOW)
        show();
    if (flags & SWP_HIDEWINDOW)
        hide();
    // The old window manager erased and redrew a moved window and what it
    // uncovered during the call; animations rely on seeing every step.
    if (!(flags & SWP_NOREDRAW) && (wasVisible || isVisible()) && target != oldGeometry)
        repaintAround(oldGeometry);
    return TRUE;
}

void CWnd::repaintAround(const QRect& oldGeometry) {
    if (QWidget* parent = parentWidget()) {
        if (parent->isVisible())
            parent->repaint(oldGeometry.united(geometry()));
    } else if (isVisible()) {
        repaint();
    }
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaintNow) {
    SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | (repaintNow ? 0 : SWP_NOREDRAW));
}

BOOL CWnd::ShowWindow(int command) {
    BOOL wasVisible = FALSE;
    platform::RunOnGuiThread([&] {
        wasVisible = isVisible() ? TRUE : FALSE;
        setVisible(command != SW_HIDE);
    });
    return wasVisible;
}

bool CWnd::IsWindowVisible() const {
    bool visible = false;
    platform::RunOnGuiThread([&] { visible = isVisible(); });
    return visible;
}

QRect CWnd::GetClientRect() const {
    QRect r;
    platform::RunOnGuiThread([&] { r = rect(); });
    return r;
}

QRect CWnd::GetWindowRect() const {
    QRect r;
    platform::RunOnGuiThread([&] { r = QRect(mapToGlobal(QPoint(0, 0)), size()); });
    return r;
}

void CWnd::ClientToScreen(QPoint& point) const {
    platform::RunOnGuiThread([&] { point = mapToGlobal(point); });
}

void CWnd::ClientToScreen(QRect& r) const {
    platform::RunOnGuiThread([&] { r.moveTopLeft(mapToGlobal(r.topLeft())); });
}

void CWnd::ScreenToClient(QPoint& point) const {
    platform::RunOnGuiThread([&] { point = mapFromGlobal(point); });
}

void CWnd::SetWindowRgn(const QRegion& region, BOOL redraw) {
    platform::RunOnGuiThread([&] {
        setMask(region);
        if (redraw)
            update();
    });
}

// Invalidation never waits: from a worker it is queued for the GUI thread,
// which repaints when it gets to it, as the old platform did.
void CWnd::Invalidate(BOOL) {
    if (platform::IsGuiThread())
        update();
    else
        postToSelf([](CWnd* self) { self->update(); });
}

void CWnd::InvalidateRect(const QRect& r, BOOL) {
    if (platform::IsGuiThread())
        update(r);
    else
        postToSelf([r](CWnd* self) { self->update(r); });
}

void CWnd::UpdateWindow() {
    platform::RunOnGuiThread([&] {
        if (isVisible())
            repaint();
    });
}

void CWnd::RedrawRect(const QRect& r) {
    platform::RunOnGuiThread([&] {
        if (isVisible())
            repaint(r);
    });
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_TIMER)
        OnTimer(static_cast<UINT>(wParam));
    return 0;
}

void CWnd::OnTimer(UINT) {}
BOOL CWnd::OnEraseBkgnd(QPainter&) { return FALSE; }
void CWnd::OnPaint(QPainter&) {}
void CWnd::OnLButtonDown(UINT, QPoint) {}
void CWnd::OnLButtonUp(UINT, QPoint) {}
void CWnd::OnRButtonDown(UINT, QPoint) {}
void CWnd::OnMouseMove(UINT, QPoint) {}
void CWnd::OnSize(UINT, int, int) {}

void CWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.save();
    OnEraseBkgnd(painter);
    painter.restore();
    OnPaint(painter);
}

void CWnd::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(mouseKeys(event->buttons()), point);
    else if (event->button() == Qt::RightButton)
        OnRButtonDown(mouseKeys(event->buttons()), point);
    // A click belongs to the window under the mouse, never to its parent.
    event->accept();
}

void CWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonUp(mouseKeys(event->buttons()), event->position().toPoint());
    event->accept();
}

void CWnd::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(mouseKeys(event->buttons()), event->position().toPoint());
    event->accept();
}

void CWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    OnSize(0, event->size().width(), event->size().height());
}
