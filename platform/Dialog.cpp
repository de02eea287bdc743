#include "Dialog.h"

#include "DialogUnits.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

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
    return platform::DefaultDialogFont();
}

void CDialog::SetDialogFont(const QFont& font) {
    setFont(font);
}

QSize CDialog::GetDialogBaseUnits() const {
    return platform::DialogBaseUnits(font());
}

QRect CDialog::MapDialogRect(QRect dlgUnits) const {
    return platform::MapDialogRect(dlgUnits, font());
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
