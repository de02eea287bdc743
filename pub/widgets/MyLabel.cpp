#include "MyLabel.h"

#include "Colour.h"
#include "GuiThread.h"
#include "Time.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

std::atomic<bool> CMyLabel::m_staticBreak{false};
std::atomic<int> CMyLabel::m_staticCountThreads{0};

namespace {

constexpr int kEffectPause = 15; // ms per step of a caption effect
constexpr int kShade = 4;        // the shadow lies 4 pixels right and down
// Arial 11 pt (110 tenths of a point) at 96 dots per inch.
constexpr LONG kDefaultHeight = -(110 * 96 + 360) / 720;

// Raises the busy counter for the lifetime of one SetCaption call.
class BusyCount {
public:
    BusyCount() { ++CMyLabel::m_staticCountThreads; }
    ~BusyCount() { --CMyLabel::m_staticCountThreads; }
    BusyCount(const BusyCount&) = delete;
    BusyCount& operator=(const BusyCount&) = delete;
};

// Pixel size of the em for a cell height: the largest whose ascent plus
// descent fits in the cell.
int PixelSizeForCell(QFont font, int cell) {
    font.setPixelSize(cell);
    const int natural = QFontMetrics(font).height();
    int size = natural > 0 ? std::max(1, (cell * cell + natural / 2) / natural) : cell;
    for (;;) {
        font.setPixelSize(size);
        if (size <= 1 || QFontMetrics(font).height() <= cell)
            return size;
        --size;
    }
}

// Builds the font a description asks for. Needs the font database, so it runs
// on the GUI thread (or before any other thread exists).
QFont MakeFont(const LOGFONT& lf) {
    QFont font;
    // An empty face lets the system choose; ours is the label's default face.
    font.setFamily(lf.lfFaceName.isEmpty() ? QStringLiteral("Arial") : lf.lfFaceName);
    font.setWeight(lf.lfWeight <= 0
                       ? QFont::Normal
                       : static_cast<QFont::Weight>(std::min<LONG>(lf.lfWeight, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    if (lf.lfHeight < 0)
        font.setPixelSize(static_cast<int>(-lf.lfHeight));
    else if (lf.lfHeight > 0)
        font.setPixelSize(PixelSizeForCell(font, static_cast<int>(lf.lfHeight)));
    else
        font.setPixelSize(static_cast<int>(-kDefaultHeight));
    if (lf.lfWidth != 0) {
        // Squeeze (or widen) the letters to the asked average width.
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0) {
            const long width = std::labs(static_cast<long>(lf.lfWidth));
            font.setStretch(
                static_cast<int>(std::clamp((width * 100 + natural / 2) / natural, 1L, 4000L)));
        }
    }
    return font;
}

// Right and bottom edges as the system counts them: one past the last pixel.
int RightOf(const QRect& r) {
    return r.x() + r.width();
}
int BottomOf(const QRect& r) {
    return r.y() + r.height();
}

void DrawCaption(QPainter* dc, const QRect& rc, UINT format, const QString& caption) {
    Qt::Alignment align = Qt::AlignLeft;
    if (format == DT_CENTER)
        align = Qt::AlignHCenter;
    else if (format == DT_RIGHT)
        align = Qt::AlignRight;
    const int lineHeight = QFontMetrics(dc->font()).height();
    const QStringList lines = caption.split(QLatin1Char('\n'));
    // Lines below the rectangle are not drawn: a single-line label shows its
    // first line only.
    int top = rc.y();
    for (const QString& line : lines) {
        if (top >= BottomOf(rc) && top != rc.y())
            break;
        dc->drawText(QRect(rc.x(), top, rc.width(), lineHeight),
                     static_cast<int>(align | Qt::AlignTop) | Qt::TextSingleLine | Qt::TextDontClip,
                     line);
        top += lineHeight;
    }
}

} // namespace

CMyLabel::CMyLabel() {
    m_lfFont.lfHeight = kDefaultHeight;
    m_lfFont.lfCharSet = DEFAULT_CHARSET;
    m_lfFont.lfFaceName = QStringLiteral("Arial");
    m_font = MakeFont(m_lfFont);
}

CMyLabel::CMyLabel(CWnd* parent) : CMyLabel() {
    m_pParent = parent;
}

CMyLabel& CMyLabel::operator=(const CMyLabel& other) {
    if (this == &other)
        return *this;
    const QString caption = other.GetCaption();
    std::lock_guard lock(m_mutex);
    m_strCaption = caption;
    return *this;
}

void CMyLabel::SetParent(CWnd* parent) {
    std::lock_guard lock(m_mutex);
    m_pParent = parent;
}

bool CMyLabel::IsValid() const {
    std::lock_guard lock(m_mutex);
    return m_pParent != nullptr;
}

void CMyLabel::SetMyLabelPos(const QPoint& pt, char align) {
    SetMyLabelPos(pt.x(), pt.y(), align);
}

void CMyLabel::SetMyLabelPos(const int& x, const int& y, char align) {
    QRect before;
    {
        std::lock_guard lock(m_mutex);
        before = m_bShade ? m_rcText.adjusted(0, 0, kShade, kShade) : m_rcText;
        m_ptAnchor = QPoint(x, y);
        int left = m_rcText.x();
        switch (align) {
        case 0:
            m_nFormat = DT_LEFT;
            left = x;
            break;
        case 1:
            m_nFormat = DT_RIGHT;
            left = x;
            break;
        case 2:
            m_nFormat = DT_CENTER;
            m_bCentred = true;
            left = std::max(0, x - m_rcText.width() / 2);
            break;
        default:
            break;
        }
        m_rcText.moveTo(left, y);
    }
    // The text may leave its old place: that place is redrawn as well.
    Relayout(before);
}

QPoint CMyLabel::GetMyLabelPos() const {
    std::lock_guard lock(m_mutex);
    return m_rcText.topLeft();
}

QRect CMyLabel::GetTextRect() const {
    std::lock_guard lock(m_mutex);
    return m_rcText;
}

int CMyLabel::GetAveCharWidth() const {
    std::lock_guard lock(m_mutex);
    return m_nAveCharWidth;
}

UINT CMyLabel::GetFormat() const {
    std::lock_guard lock(m_mutex);
    return m_nFormat;
}

void CMyLabel::Show(bool show) {
    {
        std::lock_guard lock(m_mutex);
        m_bVisible = show;
    }
    Invalidate();
}

bool CMyLabel::IsVisible() const {
    std::lock_guard lock(m_mutex);
    return m_bVisible;
}

void CMyLabel::SetColorText(COLORREF color) {
    {
        std::lock_guard lock(m_mutex);
        m_clrText = color;
    }
    Invalidate();
}

COLORREF CMyLabel::GetColorText() const {
    std::lock_guard lock(m_mutex);
    return m_clrText;
}

void CMyLabel::SetShade(bool shade) {
    {
        std::lock_guard lock(m_mutex);
        m_bShade = shade;
    }
    Invalidate();
}

void CMyLabel::SetMultiline(bool multiline) {
    std::lock_guard lock(m_mutex);
    m_bMultiline = multiline;
}

bool CMyLabel::IsMultiline() const {
    std::lock_guard lock(m_mutex);
    return m_bMultiline;
}

void CMyLabel::SetMyLabelFont(const long& height, const long& weight, const QString& faceName,
                              const long& width) {
    LOGFONT lf;
    lf.lfHeight = static_cast<LONG>(height);
    lf.lfWidth = static_cast<LONG>(width);
    lf.lfWeight = static_cast<LONG>(weight);
    lf.lfCharSet = RUSSIAN_CHARSET;
    lf.lfFaceName = faceName;
    ReplaceFont(lf);
}

void CMyLabel::SetMyLabelFont(const LOGFONT* lf) {
    if (lf)
        ReplaceFont(*lf);
}

void CMyLabel::SetUnderline(bool underline) {
    LOGFONT lf = GetMyLabelLogFont();
    lf.lfUnderline = underline ? 1 : 0;
    ReplaceFont(lf);
}

QFont CMyLabel::GetMyLabelFont() const {
    std::lock_guard lock(m_mutex);
    return m_font;
}

LOGFONT CMyLabel::GetMyLabelLogFont() const {
    std::lock_guard lock(m_mutex);
    return m_lfFont;
}

void CMyLabel::ReplaceFont(const LOGFONT& lf) {
    platform::RunOnGuiThread([&] {
        QFont font = MakeFont(lf);
        std::lock_guard lock(m_mutex);
        m_lfFont = lf;
        m_font = std::move(font);
    });
    Invalidate();
}

bool CMyLabel::SetCaption(const QString& caption, const int& effect) {
    BusyCount busy;
    LOGFONT lf;
    int n = 0;
    {
        std::lock_guard lock(m_mutex);
        lf = m_lfFont;
        n = m_nAveCharWidth;
    }
    const long h = lf.lfHeight;
    const long weight = lf.lfWeight;
    const QString& face = lf.lfFaceName;
    auto step = [&](long height, long width) {
        SetMyLabelFont(height, weight, face, width);
        platform::TimedPause(kEffectPause);
    };
    auto replaceCaption = [&] {
        std::lock_guard lock(m_mutex);
        m_strCaption = caption;
    };

    switch (effect) {
    case 1:
        for (long w = n; w >= 1; --w) {
            if (m_staticBreak)
                w = 1;
            step(h, w);
        }
        replaceCaption();
        for (long w = 1; w <= n; ++w) {
            if (m_staticBreak)
                w = n;
            step(h, w);
        }
        SetMyLabelFont(h, weight, face, 0);
        break;
    case 2:
        if (h >= 1) {
            for (long height = h; height >= 1; --height) {
                if (m_staticBreak)
                    height = 1;
                step(height, 0);
            }
            replaceCaption();
            for (long height = 1; height <= h; ++height) {
                if (m_staticBreak)
                    height = h;
                step(height, 0);
            }
        } else {
            // A character-height font cannot shrink; still show the new text.
            replaceCaption();
            Invalidate();
        }
        break;
    default:
        replaceCaption();
        Invalidate();
        break;
    }
    return true;
}

QString CMyLabel::GetCaption() const {
    std::lock_guard lock(m_mutex);
    return m_strCaption;
}

void CMyLabel::Invalidate() {
    Relayout(QRect());
}

void CMyLabel::Relayout(const QRect& previous) {
    CWnd* parent = nullptr;
    {
        std::lock_guard lock(m_mutex);
        parent = m_pParent;
    }
    if (!parent)
        return;
    // Measuring needs the font database, which belongs to the GUI thread.
    platform::RunOnGuiThread([&] {
        QRect invalid;
        {
            std::lock_guard lock(m_mutex);
            const QRect old = m_bShade ? m_rcText.adjusted(0, 0, kShade, kShade) : m_rcText;
            const QFontMetrics fm(m_font);
            QString oneLine = m_strCaption;
            oneLine.remove(QLatin1Char('\n'));
            const int cx = fm.horizontalAdvance(oneLine);
            int cy = fm.height();
            if (m_bMultiline)
                cy *= static_cast<int>(m_strCaption.count(QLatin1Char('\n'))) + 1;
            const int w = fm.horizontalAdvance(QLatin1Char('W'));

            // A centred text wider than twice its anchor's distance from
            // either edge of the window starts or ends at that edge rather
            // than outside it.
            int left = m_ptAnchor.x();
            if (m_bCentred) {
                left = std::max(0, m_ptAnchor.x() - cx / 2);
                if (const int room = parent->width(); room > cx && left + cx > room)
                    left = room - cx;
            }
            const int top = m_ptAnchor.y();
            const int grow = m_bShade ? kShade : 0;
            m_rcText = QRect(left, top, cx + grow, cy + grow);
            m_nAveCharWidth = m_strCaption.isEmpty() ? 0 : fm.averageCharWidth();

            int x1 = std::min(old.x(), m_rcText.x());
            int y1 = std::min(old.y(), m_rcText.y());
            int x2 = std::max(RightOf(old), RightOf(m_rcText));
            int y2 = std::max(BottomOf(old), BottomOf(m_rcText));
            if (!previous.isEmpty()) {
                x1 = std::min(x1, previous.x());
                y1 = std::min(y1, previous.y());
                x2 = std::max(x2, RightOf(previous));
                y2 = std::max(y2, BottomOf(previous));
            }
            invalid = QRect(x1 - w, y1, x2 - x1 + 2 * w, y2 - y1);
        }
        parent->InvalidateRect(invalid, TRUE);
    });
}

void CMyLabel::SetDC(QPainter* dc) const {
    if (!dc)
        return;
    QFont font;
    QString caption;
    QRect rc;
    UINT format = DT_LEFT;
    COLORREF text = 0;
    COLORREF shadeColor = 0;
    bool shade = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_pParent || !m_bVisible)
            return;
        font = m_font;
        caption = m_strCaption;
        rc = m_rcText;
        format = m_nFormat;
        text = m_clrText;
        shadeColor = m_clrShade;
        shade = m_bShade;
    }
    dc->save();
    dc->setFont(font);
    dc->setBackgroundMode(Qt::TransparentMode);
    if (shade) {
        dc->setPen(ToColor(shadeColor));
        DrawCaption(dc, rc.translated(kShade, kShade), format, caption);
    }
    dc->setPen(ToColor(text));
    DrawCaption(dc, rc, format, caption);
    dc->restore();
}
