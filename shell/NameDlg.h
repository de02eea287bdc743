#pragma once
// "Как Вас называть?": the user's name, chosen among the remembered ones or
// typed anew, and, where the other seats are the program's own (the game
// against the computer), their names too. The caller fills the members
// before DoModal and reads them back after IDOK:
//   m_ListNames   the current name (0) and the remembered ones (1..10), as
//                 CPublic::InitNameDlg gives them; after IDOK element 0 is
//                 the chosen name, ready for CPublic::SetUserName;
//   m_strName2..4 the names of seats 2, 3 and 4 (AskSeats only);
//   m_NumberPlayers  the number of seats: only their names are asked for.
// UserOnly asks for the user's name alone, on a smaller dialog.
//
// Names are stored in 12-byte Windows-1251 slots, so the boxes take at most
// ten characters and only characters the code page has.

#include "Dialog.h"

#include <QString>

#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;

class CNameDlg : public CDialog {
    Q_OBJECT

public:
    enum { IDD = 131 };
    enum {
        IDC_COMBO_NAME = 1010,
        IDC_EDIT_NAME2 = 1011,
        IDC_EDIT_NAME3 = 1012,
        IDC_EDIT_NAME4 = 1013,
        IDC_STATIC_NAME = 1014,
        IDC_STATIC_NAME2 = 1015,
        IDC_STATIC_NAME3 = 1016,
        IDC_STATIC_NAME4 = 1017,
    };
    static constexpr int kNames = 11;
    static constexpr int kMaxName = 10;
    enum Mode { AskSeats, UserOnly };

    explicit CNameDlg(QWidget* parent = nullptr, Mode mode = AskSeats);
    ~CNameDlg() override;

    // Any control of the dialog by id, buttons included; null for unknown ids.
    QWidget* GetControl(int id) const;

    QString m_strName; // the combo box's text
    QString m_strName2;
    QString m_strName3;
    QString m_strName4;
    QString m_ListNames[kNames];
    std::uint8_t m_NumberPlayers = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void DoDataExchange(bool save);
    void LayOutSeats();
    void OnCbnSelchangeComboName();

    const Mode m_Mode;
    QComboBox* m_pComboName;
    QLineEdit* m_pEditName[3] = {};
    QLabel* m_pStaticName[3] = {};
};
