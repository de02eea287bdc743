#pragma once
// Windowless text label of the table: a caption drawn at an anchor on its
// parent window by the parent's own paint code. It can be shown or hidden,
// coloured, shadowed, given a font, and change its caption with a short
// letter-squeezing effect.
//
// A caption effect runs on the caller's thread (the programs use short-lived
// workers) while the GUI thread paints the same label, so everything the
// painting reads is kept under one lock and painted from a copy. Fonts are
// built and measured on the GUI thread only.

#include "Wnd.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

#include <atomic>
#include <mutex>

class QPainter;

// Font description in the system's terms: a negative height is the character
// height, a positive one the cell height, both in pixels; a non-zero width is
// the average character width the letters are squeezed or widened to.
struct LOGFONT {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0; // 0 normal, else 1..1000 (400 normal, 700 bold)
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    QString lfFaceName;

    bool operator==(const LOGFONT&) const = default;
};

constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE RUSSIAN_CHARSET = 204;

// Text formats of the label.
constexpr UINT DT_LEFT = 0;
constexpr UINT DT_CENTER = 1;
constexpr UINT DT_RIGHT = 2;

class CMyLabel {
public:
    CMyLabel();
    explicit CMyLabel(CWnd* parent);
    CMyLabel(const CMyLabel&) = delete;
    // Copies the caption only; the target keeps every other property.
    CMyLabel& operator=(const CMyLabel& other);
    ~CMyLabel() = default;

    void SetParent(CWnd* parent);
    bool IsValid() const;

    // align: 0 left at x, 1 right within a rectangle as wide as the caption,
    // 2 centred on x (for good); any other code keeps format and left edge.
    void SetMyLabelPos(const QPoint& pt, char align);
    void SetMyLabelPos(const int& x, const int& y, char align);
    // Top-left of the text rectangle (not the anchor).
    QPoint GetMyLabelPos() const;
    QRect GetTextRect() const;
    int GetAveCharWidth() const;
    UINT GetFormat() const;

    void Show(bool show);
    bool IsVisible() const;
    void SetColorText(COLORREF color);
    COLORREF GetColorText() const;
    void SetShade(bool shade);
    void SetMultiline(bool multiline);
    bool IsMultiline() const;

    void SetMyLabelFont(const long& height, const long& weight, const QString& faceName,
                        const long& width);
    void SetMyLabelFont(const LOGFONT* lf);
    void SetUnderline(bool underline);
    // Copies: the label's own font may be replaced by another thread at any time.
    QFont GetMyLabelFont() const;
    LOGFONT GetMyLabelLogFont() const;

    // effect 1 narrows the letters, 2 shrinks them, anything else replaces
    // the caption at once. Blocks the caller while the effect runs.
    bool SetCaption(const QString& caption, const int& effect);
    QString GetCaption() const;

    // Lays the text out again and redraws on the parent what the old and the
    // new text cover.
    void Invalidate();
    // Draws the label; the parent calls it from its own painting.
    void SetDC(QPainter* dc) const;

    // Set to end every running caption effect at once; cleared at each deal.
    static std::atomic<bool> m_staticBreak;
    // Number of SetCaption calls in progress on any thread.
    static std::atomic<int> m_staticCountThreads;

private:
    void ReplaceFont(const LOGFONT& lf);
    void Relayout(const QRect& previous);

    // Everything below is guarded by m_mutex. No CWnd call is ever made
    // while it is held: such a call may wait for the GUI thread, which may be
    // waiting for this lock to paint.
    mutable std::mutex m_mutex;
    QString m_strCaption;
    COLORREF m_clrText = 0;
    QFont m_font;
    LOGFONT m_lfFont; // the description m_font was made from
    CWnd* m_pParent = nullptr;
    bool m_bCentred = false;
    QPoint m_ptAnchor;
    bool m_bShade = false;
    COLORREF m_clrShade = 0;
    int m_nAveCharWidth = 0;
    bool m_bVisible = false;
    bool m_bMultiline = false;
    UINT m_nFormat = DT_LEFT;
    QRect m_rcText;
};
