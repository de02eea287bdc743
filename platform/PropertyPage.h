#pragma once
// A property page: one page of a settings sheet, laid out from its template in
// dialog units with the dialog font (as CDialog is), initialised once, and told
// of its controls' notifications by control id and notification code.
//
// The sheet shows the page as one of its tabs: the page's window title is the
// tab's text and its size hint the template's size in pixels.

#include "WinTypes.h"

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class QGroupBox;
class QListWidget;
class QPushButton;

// Notification codes passed to OnCommand.
constexpr UINT BN_CLICKED = 0;
constexpr UINT LBN_SELCHANGE = 1;
constexpr UINT LBN_SETFOCUS = 4;

// States passed to OnActivate.
constexpr UINT WA_INACTIVE = 0;
constexpr UINT WA_ACTIVE = 1;

// The id of controls nobody addresses (frames, fixed texts).
constexpr int IDC_STATIC = -1;

class CPropertyPage : public QWidget {
    Q_OBJECT

public:
    // size is the template's size in dialog units.
    CPropertyPage(UINT templateId, const QString& caption, QSize size, QWidget* parent = nullptr);
    ~CPropertyPage() override;

    UINT GetTemplateId() const { return m_nTemplateId; }

    // Runs OnInitDialog, once, after putting the page into parent when one is
    // given. The sheet calls it for its pages as it is created, so that the
    // owner can set the controls before the sheet is first shown; a page
    // nobody created is initialised just before it is first shown.
    void Create(QWidget* parent = nullptr);
    bool IsCreated() const { return m_bInitDone; }

    QSize GetDialogBaseUnits() const;
    QRect MapDialogRect(QRect dlgUnits) const;

    QPushButton* AddButton(int id, const QString& text, QRect dlgUnits);
    QGroupBox* AddGroupBox(int id, const QString& text, QRect dlgUnits);
    // A single-selection list box with a vertical scroll bar when needed and a
    // sunken edge; a sorted one keeps its entries in text order as they are
    // added.
    QListWidget* AddListBox(int id, QRect dlgUnits, bool sorted);
    // Null for IDC_STATIC and unknown ids.
    QWidget* GetDlgItem(int id) const;

    QSize sizeHint() const override;
    void setVisible(bool visible) override;

protected:
    virtual BOOL OnInitDialog();
    // A button reports BN_CLICKED. A list box reports LBN_SELCHANGE when the
    // user moves its selection (never when the program sets it) and
    // LBN_SETFOCUS when it gains the focus.
    virtual void OnCommand(int id, UINT code);
    // The window holding the page became active (WA_ACTIVE) or inactive.
    virtual void OnActivate(UINT state);

    bool event(QEvent* event) override;

private:
    void Register(int id, QWidget* control);

    const UINT m_nTemplateId;
    const QSize m_sizeTemplate; // dialog units
    QHash<int, QPointer<QWidget>> m_items;
    bool m_bInitDone = false;
};
