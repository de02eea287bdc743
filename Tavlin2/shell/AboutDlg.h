#pragma once
// "О программе...": the program icon, the version and a few lines about the
// program. Modal.

#include "Dialog.h"

class CAboutDlg : public CDialog {
    Q_OBJECT

public:
    enum { IDD = 100 };
    enum {
        IDC_STATIC_ICON = 1086,
        IDC_STATIC_VERSION = 1087, // then 1088..1092, one line each
        IDC_STATIC_LAST = 1092,
    };

    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

protected:
    BOOL OnInitDialog() override;
};
