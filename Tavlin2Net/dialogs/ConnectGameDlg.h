#pragma once
// "Подключится к игре": the address of the hosting player and his port.
// Always opens on "localhost" and 2301; the caller reads m_strServer and
// m_Port after IDOK.

#include "Dialog.h"

#include <QString>

class QComboBox;
class QLineEdit;

class CConnectGameDlg : public CDialog {
    Q_OBJECT

public:
    enum { IDD = 182 };
    enum { IDC_EDIT_PORT = 1061, IDC_COMBO_SERVER = 1064, IDC_STATIC_HELP = 1072 };
    static constexpr int kMaxServer = 128; // characters of a host name

    explicit CConnectGameDlg(QWidget* parent = nullptr);
    ~CConnectGameDlg() override;

    // Any control by its id; null for an id the dialog does not have.
    QWidget* GetControl(int id) const;

    unsigned m_Port = 2301;
    QString m_strServer = QStringLiteral("localhost");

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    QLineEdit* m_pEditPort;
    QComboBox* m_pComboServer;
};
