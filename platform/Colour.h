#pragma once
// A colour of the old platform (0x00BBGGRR) as Qt paints it.

#include "WinTypes.h"

#include <QColor>

inline QColor ToColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
