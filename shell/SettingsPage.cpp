#include "SettingsPage.h"

#include <QCheckBox>

CSettingsPage::CSettingsPage(UINT templateId, QSize size, UINT message)
    : CPropertyPage(templateId, QStringLiteral("Общие настройки"), size), m_Message(message) {}

CSettingsPage::~CSettingsPage() = default;

QCheckBox* CSettingsPage::AddCheckBox(int id, const QString& text, QRect dlgUnits) {
    auto* box = new QCheckBox(text, this);
    box->setGeometry(MapDialogRect(dlgUnits));
    // clicked, unlike toggled, is the user's alone.
    connect(box, &QCheckBox::clicked, this,
            [this, id](bool checked) { SendMainParent(static_cast<UINT>(id), checked ? 1 : 0); });
    m_controls.insert(id, box);
    return box;
}

QWidget* CSettingsPage::GetControl(int id) const {
    return m_controls.value(id);
}

void CSettingsPage::SetCheck(int id, bool checked) {
    if (auto* box = qobject_cast<QCheckBox*>(GetControl(id)))
        box->setChecked(checked);
}

bool CSettingsPage::GetCheck(int id) const {
    auto* box = qobject_cast<QCheckBox*>(GetControl(id));
    return box && box->isChecked();
}

void CSettingsPage::EnableControls(std::initializer_list<int> ids, bool enable) {
    for (int id : ids) {
        if (QWidget* control = GetControl(id))
            control->setEnabled(enable);
    }
}

void CSettingsPage::SendMainParent(UINT id, LPARAM value) {
    if (m_pMainParent)
        m_pMainParent->SendMessage(m_Message, id, value);
}
