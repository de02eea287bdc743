#pragma once
// A dialog laid out the way a resource-template dialog is: controls placed at
// rectangles given in dialog units, which scale with the dialog font, and
// closed with an integer result (IDOK, IDCANCEL or the dialog's own).
//
// On Linux the window manager draws the caption bar and borders, so we only
// ever size the client area. GetCaptionBarHeight and GetBorderSize report the
// decoration so that code sizing the whole window can subtract it again.

#include "WinTypes.h"

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QSize>

class QLabel;
class QPushButton;

class CDialog : public QDialog {
    Q_OBJECT

public:
    explicit CDialog(QWidget* parent = nullptr);
    ~CDialog() override;

    // Shows the dialog modally; returns the value given to EndDialog.
    // Escape and the caption-bar close button give IDCANCEL.
    int DoModal();
    void EndDialog(int result);

    // Called once, just before the dialog is first shown. The return value is
    // kept for the familiar signature; focus goes where Qt puts it.
    virtual BOOL OnInitDialog();

    // A fixed pixel size, so dialog units do not depend on the screen's DPI.
    static QFont DefaultDialogFont();
    void SetDialogFont(const QFont& font);

    // Average character width and height of the dialog font, in pixels.
    QSize GetDialogBaseUnits() const;
    // x and width are in quarters of the average character width, y and height
    // in eighths of the character height.
    QRect MapDialogRect(QRect dlgUnits) const;

    QPushButton* AddButton(int id, const QString& text, QRect dlgUnits);
    QLabel* AddStatic(int id, const QString& text, QRect dlgUnits);
    QWidget* GetDlgItem(int id) const;

    int GetCaptionBarHeight() const;
    QSize GetBorderSize() const;

    void setVisible(bool visible) override;

public slots:
    void accept() override;
    void reject() override;

protected:
    // Buttons added with AddButton report here; IDOK and IDCANCEL close the dialog.
    virtual void OnCommand(int id);
    virtual void OnOK();
    virtual void OnCancel();

private:
    QMargins frameMarginsIfShown() const;

    QHash<int, QPointer<QWidget>> m_items;
    bool m_bInitDone = false;
};
