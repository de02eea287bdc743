#pragma once
// A general settings page made of switches. It keeps nothing itself: every
// change the user makes goes to the main parent (the game window) as one
// message, wParam the control id and lParam 1 for a ticked box, 0 for a
// cleared one (or another control's value).
//
// The program sets the controls through SetCheck, which tells nobody, as the
// old controls did when the program moved them.

#include "PropertyPage.h"
#include "Wnd.h"

#include <QHash>
#include <QPointer>

class QCheckBox;

class CSettingsPage : public CPropertyPage {
    Q_OBJECT

public:
    // message is what the page sends the main parent.
    CSettingsPage(UINT templateId, QSize size, UINT message);
    ~CSettingsPage() override;
    CSettingsPage(const CSettingsPage&) = delete;
    CSettingsPage& operator=(const CSettingsPage&) = delete;

    // Any control of the page by id; null for unknown ids.
    QWidget* GetControl(int id) const;

    void SetCheck(int id, bool checked);
    bool GetCheck(int id) const;
    void EnableControls(std::initializer_list<int> ids, bool enable);

    // Receives the notifications; not owned, set by the owner of the sheet.
    QPointer<CWnd> m_pMainParent;

protected:
    void SendMainParent(UINT id, LPARAM value);
    QCheckBox* AddCheckBox(int id, const QString& text, QRect dlgUnits);
    void AddControl(int id, QWidget* control) { m_controls.insert(id, control); }

private:
    const UINT m_Message;
    QHash<int, QWidget*> m_controls;
};
