#include "DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

namespace {

// a * b / c rounded half away from zero, without intermediate overflow.
int mulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    long long p = static_cast<long long>(a) * b;
    long long d = c;
    if (d < 0) {
        p = -p;
        d = -d;
    }
    const long long q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
    return static_cast<int>(q);
}

} // namespace

namespace platform {

QFont DefaultDialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QSize DialogBaseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The alphabet average, rounded, is what dialog templates were designed against.
    const int alphabet = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((alphabet / 26 + 1) / 2, fm.height());
}

QRect MapDialogRect(const QRect& dlgUnits, const QFont& font) {
    const QSize base = DialogBaseUnits(font);
    // Size is mapped on its own, not as right - left, as templates were.
    return QRect(mulDiv(dlgUnits.x(), base.width(), 4), mulDiv(dlgUnits.y(), base.height(), 8),
                 mulDiv(dlgUnits.width(), base.width(), 4),
                 mulDiv(dlgUnits.height(), base.height(), 8));
}

} // namespace platform
