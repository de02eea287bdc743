#pragma once
// Dialog units: controls of a dialog or property page template are placed in
// quarters of the dialog font's average character width (x, width) and eighths
// of its character height (y, height), so a layout scales with its font. The
// dialog and the property page measure them here, the same way.

#include <QFont>
#include <QRect>
#include <QSize>

namespace platform {

// A fixed pixel size, so dialog units do not depend on the screen's DPI.
QFont DefaultDialogFont();

// Average character width and height of font, in pixels.
QSize DialogBaseUnits(const QFont& font);

// Pixels of a rectangle given in dialog units of font.
QRect MapDialogRect(const QRect& dlgUnits, const QFont& font);

} // namespace platform
