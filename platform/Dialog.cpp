#include "Dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

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

CDialog::CDialog(QWidget* parent) : QDialog(parent) {
    SetDialogFont(DefaultDialogFont());
}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
    return exec();
}

void CDialog::EndDialog(int result) {
    done(result);
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

QFont CDialog::DefaultDialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void CDialog::SetDialogFont(const QFont& font) {
    setFont(font);
}

QSize CDialog::GetDialogBaseUnits() const {
    const QFontMetrics fm(font());
    // The alphabet average, rounded, is what dialog templates were designed against.
    const int alphabet = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((alphabet / 26 + 1) / 2, fm.height());
}

QRect CDialog::MapDialogRect(QRect dlgUnits) const {
    const QSize base = GetDialogBaseUnits();
    // Size is mapped on its own, not as right - left, as templates were.
    return QRect(mulDiv(dlgUnits.x(), base.width(), 4), mulDiv(dlgUnits.y(), base.height(), 8),
                 mulDiv(dlgUnits.width(), base.width(), 4),
                 mulDiv(dlgUnits.height(), base.height(), 8));
}

QPushButton* CDialog::AddButton(int id, const QString& text, QRect dlgUnits) {
    auto* button = new QPushButton(text, this);
    button->setGeometry(MapDialogRect(dlgUnits));
    // Enter presses OK, as the template's default push button did.
    if (id == IDOK)
        button->setDefault(true);
    connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
    m_items.insert(id, button);
    return button;
}

QLabel* CDialog::AddStatic(int id, const QString& text, QRect dlgUnits) {
    auto* label = new QLabel(this);
    // Messages may hold '<' or '&'; they are shown as typed.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(text);
    label->setGeometry(MapDialogRect(dlgUnits));
    m_items.insert(id, label);
    return label;
}

QWidget* CDialog::GetDlgItem(int id) const {
    return m_items.value(id);
}

QMargins CDialog::frameMarginsIfShown() const {
    if (!testAttribute(Qt::WA_WState_Created))
        return {};
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

int CDialog::GetCaptionBarHeight() const {
    const QMargins m = frameMarginsIfShown();
    if (!m.isNull())
        return qMax(0, m.top() - m.bottom()); // the top band is border plus caption
    return style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
}

QSize CDialog::GetBorderSize() const {
    const QMargins m = frameMarginsIfShown();
    // Before the window manager has framed us we size the client alone.
    return QSize(m.left(), m.bottom());
}

void CDialog::setVisible(bool visible) {
    // Lay out before QDialog centres the window, so it centres the final size.
    if (visible && !m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CDialog::accept() {
    OnOK();
}

void CDialog::reject() {
    OnCancel();
}

void CDialog::OnCommand(int id) {
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
