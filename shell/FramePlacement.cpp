#include "FramePlacement.h"

#include "Util.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// The old platform's sizing border and caption bar, in pixels.
constexpr int kBorder = 4;
constexpr int kCaption = 23;
// Window coordinates were 16-bit there; anything beyond is damage.
constexpr LONG kCoordLimit = 32767;

LONG ReadEdge(HKEY key, const char* name, int def) {
    DWORD value = 0;
    Util_ReadIntRegKey(key, name, &value, static_cast<DWORD>(def));
    return static_cast<LONG>(value);
}

bool InRange(LONG v) {
    return v >= -kCoordLimit && v <= kCoordLimit;
}

bool OnSomeScreen(const QRect& rc) {
    const auto screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return true; // nothing to judge by
    for (const QScreen* screen : screens) {
        if (screen->availableGeometry().intersects(rc))
            return true;
    }
    return false;
}

} // namespace

QRect CFramePlacement::DefaultRect() {
    return QRect(100, 100, 790 - 100, 650 - 100);
}

QMargins CFramePlacement::Decoration() {
    return QMargins(kBorder, kBorder + kCaption, kBorder, kBorder);
}

QSize CFramePlacement::ClientSize(QSize window) {
    const QMargins d = Decoration();
    return window.shrunkBy(d);
}

QSize CFramePlacement::WindowSize(QSize client) {
    const QMargins d = Decoration();
    return client.grownBy(d);
}

bool CFramePlacement::Read() {
    const CSettingsKey key(CSettingsKey::kPublic);
    if (!key)
        return false;
    const QRect def = DefaultRect();
    const LONG left = ReadEdge(key, "Left", def.left());
    const LONG top = ReadEdge(key, "Top", def.top());
    const LONG right = ReadEdge(key, "Width", def.left() + def.width());
    const LONG bottom = ReadEdge(key, "Height", def.top() + def.height());

    if (InRange(left) && InRange(top) && InRange(right) && InRange(bottom) && right > left &&
        bottom > top)
        m_rcNormalPosition = QRect(left, top, right - left, bottom - top);
    else
        m_rcNormalPosition = def;
    return true;
}

bool CFramePlacement::Write() const {
    const CSettingsKey key(CSettingsKey::kPublic);
    if (!key)
        return false;
    const QRect& rc = m_rcNormalPosition;
    Util_WriteIntRegKey(key, "Left", static_cast<DWORD>(rc.left()));
    Util_WriteIntRegKey(key, "Top", static_cast<DWORD>(rc.top()));
    Util_WriteIntRegKey(key, "Width", static_cast<DWORD>(rc.left() + rc.width()));
    Util_WriteIntRegKey(key, "Height", static_cast<DWORD>(rc.top() + rc.height()));
    Util_WriteIntRegKey(key, "ShowMode", static_cast<DWORD>(m_ShowMode));
    return true;
}

void CFramePlacement::Restore(QWidget* frame) const {
    if (!frame)
        return;
    const QRect outer = OnSomeScreen(m_rcNormalPosition) ? m_rcNormalPosition : DefaultRect();
    frame->setGeometry(outer.marginsRemoved(Decoration()));
}

void CFramePlacement::Take(const QWidget* frame) {
    if (!frame)
        return;
    const Qt::WindowStates state = frame->windowState();
    if (state & Qt::WindowMinimized)
        m_ShowMode = kShowMinimized;
    else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        m_ShowMode = kShowMaximized;
    else
        m_ShowMode = kShowNormal;
    QRect client = frame->normalGeometry();
    if (client.isEmpty())
        client = frame->geometry();
    m_rcNormalPosition = client.marginsAdded(Decoration());
}
