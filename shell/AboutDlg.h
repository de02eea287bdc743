#pragma once
// "О программе...": the program icon, the version line and a few lines
// about the program, each a static of its own, numbered from the version
// line's id on. Modal; the program icon is also the dialog's.

#include "Dialog.h"

#include <QStringList>

class QLabel;

class CAboutDlg : public CDialog {
    Q_OBJECT

public:
    // iconId names the icon's static (IDC_STATIC when nobody addresses it);
    // lines[0] is the version line, given firstLineId, the others follow.
    CAboutDlg(QWidget* parent, int iconId, int firstLineId, const QStringList& lines);
    ~CAboutDlg() override;

protected:
    BOOL OnInitDialog() override;

private:
    QLabel* m_pIcon;
};
