#include "MessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kIconW = 32;
constexpr int kIconH = 32;
constexpr int kSmallIconW = 16;
constexpr int kMinWidth = 90;

QString withoutCR(const QString& text) {
    QString s = text;
    s.remove(QLatin1Char('\r'));
    return s;
}

} // namespace

CMessageBox::CMessageBox(QWidget* parent)
    : CDialog(parent), m_wndText(nullptr), m_nFlags(0), m_nMargin(10) {
    // The template; OnInitDialog moves and sizes all of it to the message.
    setWindowTitle(QStringLiteral("Заголовок"));
    resize(MapDialogRect(QRect(0, 0, 157, 70)).size());
    m_wndText = AddStatic(IDC_TEXT, QStringLiteral("Static"), QRect(7, 7, 143, 26));
    AddButton(IDOK, QStringLiteral("ОК"), QRect(22, 49, 50, 14))->hide();
    AddButton(IDCANCEL, QStringLiteral("Отмена"), QRect(85, 49, 50, 14))->hide();
}

int CMessageBox::Show(QWidget* parent, const QString& text, const QString& caption, UINT flags,
                      const QIcon& icon, const QIcon& captionIcon) {
    CMessageBox box(parent);
    box.m_strText = text;
    box.m_strCaption = caption;
    box.m_nFlags |= flags;
    box.m_hIcon = icon;
    box.m_hCaptionIcon = captionIcon;
    return box.DoModal() == IDOK ? IDOK : IDCANCEL;
}

QSize CMessageBox::measureText() const {
    const QStringList lines = withoutCR(m_strText).split(QLatin1Char('\n'));
    // The widest line in pixels: counting characters cut off a line of fewer
    // but wider letters.
    const QFontMetrics fm = m_wndText->fontMetrics();
    int width = 0;
    for (const QString& line : lines)
        width = qMax(width, fm.horizontalAdvance(line));
    return QSize(width, fm.height() * int(lines.size()));
}

int CMessageBox::measureCaption() const {
    QFont titleFont = QApplication::font();
    titleFont.setBold(false);
    // A spare "W" keeps the caption from being clipped.
    int width = QFontMetrics(titleFont).horizontalAdvance(m_strCaption + QLatin1Char('W'));
    if (m_nFlags & MBF_CAPTIONICON)
        width += kSmallIconW;
    return width;
}

BOOL CMessageBox::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowTitle(m_strCaption);

    const int M = m_nMargin;
    const bool withIcon = m_nFlags & MBF_ICON;
    const bool twoButtons = m_nFlags & MBF_OKCANCEL;
    const bool anyButton = m_nFlags & (MBF_OK | MBF_OKCANCEL);
    const QSize border = GetBorderSize();
    const int BX = border.width();
    const int BY = border.height();
    const int CAP = GetCaptionBarHeight();

    QWidget* ok = GetDlgItem(IDOK);
    QWidget* cancel = GetDlgItem(IDCANCEL);
    const QSize text = measureText();

    // Whole-window sizes first, as the box was designed; the client is what we set.
    int W = qMax(measureCaption(), text.width()) + 2 * BX + (withIcon ? kIconW + 3 * M : 2 * M);
    W = qMax(W, kMinWidth);
    if (twoButtons)
        W = qMax(W, 2 * (M + BX) + ok->width() + cancel->width() + 4);
    const int F = anyButton ? 3 * M + ok->height() : 2 * M;
    int H = CAP + text.height() + F + 2 * BY;
    if (withIcon)
        H = qMax(H, CAP + 2 * BY + F + kIconH);

    const int CW = W - 2 * BX;
    const int CH = H - CAP - 2 * BY;
    setFixedSize(CW, CH);

    // Centred in the client area, which is all the window we draw.
    const int textX = withIcon ? 2 * M + kIconW : CW / 2 - text.width() / 2;
    m_wndText->setWordWrap(false);
    m_wndText->setGeometry(textX, M, text.width(), text.height());
    m_wndText->setText(withoutCR(m_strText));

    if (twoButtons) {
        ok->move(CW / 2 - ok->width() - 2, CH - M - ok->height());
        cancel->move(CW / 2 + 2, CH - M - cancel->height());
        ok->show();
        cancel->show();
    } else if (anyButton) {
        ok->move(CW / 2 - ok->width() / 2, CH - M - ok->height());
        ok->show();
        cancel->hide();
    } else {
        ok->hide();
        cancel->hide();
    }

    if (m_nFlags & MBF_CAPTIONICON)
        setWindowIcon(m_hCaptionIcon);
    return TRUE;
}

void CMessageBox::paintEvent(QPaintEvent* event) {
    CDialog::paintEvent(event);
    if (!(m_nFlags & MBF_ICON) || m_hIcon.isNull())
        return;
    QPainter painter(this);
    const QRect target(m_nMargin, m_nMargin, kIconW, kIconH);
    // Stretched to the full icon size, as the system drew icons.
    painter.drawPixmap(target, m_hIcon.pixmap(target.size(), devicePixelRatioF()));
}
