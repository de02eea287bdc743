#pragma once
// Where the main frame stands, kept under "Software\\Tavlin2.0\\Public":
// "Left", "Top", "Width" and "Height" are the left, top, right and bottom
// edges of the window's normal position (not a width and a height), and
// "ShowMode" the show state it was closed in, written but never read.
//
// The edges are those of the whole window, caption and borders included. The
// window manager draws those here, so we convert with one fixed decoration
// both ways: a window closed and opened again stands exactly where it was,
// whatever the window manager's frame.

#include "WinTypes.h"

#include <QMargins>
#include <QRect>

class QWidget;

class CFramePlacement {
public:
    // "ShowMode" values.
    static constexpr int kShowNormal = 1;
    static constexpr int kShowMinimized = 2;
    static constexpr int kShowMaximized = 3;

    // Left 100, top 100, right 790, bottom 650: a 690 x 550 window.
    static QRect DefaultRect();
    // Caption and borders the stored edges include.
    static QMargins Decoration();
    // The client size of a window of the given outer size, and back.
    static QSize ClientSize(QSize window);
    static QSize WindowSize(QSize client);

    // Outer edges, as QRect keeps them: x + width is the right edge.
    QRect m_rcNormalPosition = DefaultRect();
    int m_ShowMode = kShowNormal;

    // Reads the four edges. Edges that do not make a window of at least one
    // pixel inside the 16-bit coordinate range all take their defaults. False
    // when the key can be neither opened nor created (the defaults stay).
    bool Read();
    // Writes the four edges and "ShowMode"; false when the key cannot be opened.
    bool Write() const;

    // Puts a top-level window, not yet shown, at the normal position. A
    // position no screen shows any part of falls back to the default one.
    void Restore(QWidget* frame) const;
    // Takes the normal position and the show state from the window.
    void Take(const QWidget* frame);
};
