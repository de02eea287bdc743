#pragma once
// "Создать игру": the port to host on, the most players the game takes and
// whether a player who leaves keeps his seat, played by the computer.
// Built anew with its defaults each time; the caller reads m_Port,
// m_MaxPlayers and m_HoldSeats after IDOK.

#include "Dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class CCreateGameDlg : public CDialog {
    Q_OBJECT

public:
    enum { IDD = 181 };
    enum { IDC_EDIT_PORT = 1063, IDC_STATIC_HELP = 1071, IDC_COMBO_MAX = 1073, IDC_CHECK_HOLD = 1085 };

    // The combo box opens on maxPlayers (2..4).
    explicit CCreateGameDlg(int maxPlayers, QWidget* parent = nullptr);
    ~CCreateGameDlg() override;

    // Any control by its id; null for an id the dialog does not have.
    QWidget* GetControl(int id) const;

    unsigned m_Port = 2301;
    int m_MaxPlayers = 4;
    bool m_HoldSeats = false;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    QLineEdit* m_pEditPort;
    QComboBox* m_pComboMax;
    QCheckBox* m_pCheckHold;
};
