#pragma once
// The rules in brief, shown at start until the user has played a second game:
// a plain window without a caption, the title "Суть игры" drawn as a table
// label, the text and OK.

#include "Dialog.h"
#include "MyLabel.h"

#include <QFont>

class CWnd;
class QShowEvent;

class CBeginHelpDlg : public CDialog {
    Q_OBJECT

public:
    enum { IDD = 250 };
    enum { IDC_STATIC_RULES = 1085 };

    explicit CBeginHelpDlg(QWidget* parent = nullptr);
    ~CBeginHelpDlg() override;

    static QString RulesText();

    CMyLabel m_Title;
    QFont m_Font;

protected:
    BOOL OnInitDialog() override;
    void showEvent(QShowEvent* event) override;

private:
    // The label is windowless: this child, under every control, paints the
    // dialog's face, its frame and the label.
    CWnd* m_pFace;
};
