#pragma once
// CWnd: a window of the game over QWidget.
//
// It keeps the old platform's window model that the game's code is written
// against: numbered messages delivered through one virtual dispatch, one-shot
// timers known by the game's own ids, all drawing done in an erase-background
// handler, window shapes, stacking order and moves without resizing. Calls made
// from a worker thread are carried out on the GUI thread while the worker
// waits, so game workers can move and redraw windows safely.

#include "WinTypes.h"

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>

class QPainter;

// Insert-after values and flags of SetWindowPos.
inline const QWidget* const HWND_TOP = nullptr;
extern const QWidget* const HWND_BOTTOM;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Mouse-key state passed to the mouse handlers.
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_RBUTTON = 0x0002;

class CWnd : public QWidget {
    Q_OBJECT
public:
    explicit CWnd(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~CWnd() override;

    CWnd* GetParent() const;

    // Runs the message handler on the GUI thread and returns its result. From
    // a worker thread the caller waits until the GUI thread has handled it.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Queues the message for the GUI thread and returns at once.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // One-shot timer: after elapse ms the window receives WM_TIMER with the
    // id, once. Setting a running id restarts it.
    UINT SetTimer(UINT id, UINT elapse);
    BOOL KillTimer(UINT id);
    bool IsTimerSet(UINT id) const;

    // Position and size in the parent's client coordinates; insertAfter is
    // HWND_TOP or HWND_BOTTOM unless SWP_NOZORDER is given.
    BOOL SetWindowPos(const QWidget* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL ShowWindow(int command);
    bool IsWindowVisible() const;

    QRect GetClientRect() const;
    QRect GetWindowRect() const; // screen coordinates
    void ClientToScreen(QPoint& point) const;
    void ClientToScreen(QRect& rect) const;
    void ScreenToClient(QPoint& point) const;

    // The window takes the region as its shape (the region is copied).
    void SetWindowRgn(const QRegion& region, BOOL redraw);

    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const QRect& rect, BOOL erase = TRUE);
    // Paints what is invalid now instead of waiting for the event loop.
    void UpdateWindow();
    // Repaints the rectangle (client coordinates) at once.
    void RedrawRect(const QRect& rect);

protected:
    // Message dispatch: WM_TIMER goes to OnTimer, everything else to the
    // subclass. Unknown messages return 0.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnTimer(UINT id);

    // All drawing happens here; return TRUE when the background is drawn.
    virtual BOOL OnEraseBkgnd(QPainter& dc);
    // Drawing on top of the background (windows that have a paint handler).
    virtual void OnPaint(QPainter& dc);

    virtual void OnLButtonDown(UINT flags, QPoint point);
    virtual void OnLButtonUp(UINT flags, QPoint point);
    virtual void OnRButtonDown(UINT flags, QPoint point);
    virtual void OnMouseMove(UINT flags, QPoint point);
    virtual void OnSize(UINT type, int cx, int cy);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    BOOL doSetWindowPos(const QWidget* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void repaintAround(const QRect& oldGeometry);

    // Runs fn on the GUI thread later, if this window still exists then.
    void postToSelf(std::function<void(CWnd*)> fn);

    std::map<UINT, int> m_timers; // game timer id -> Qt timer id
    const std::uint64_t m_serial;  // never reused, unlike addresses
};
