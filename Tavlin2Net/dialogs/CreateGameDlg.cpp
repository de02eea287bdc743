#include "CreateGameDlg.h"

#include "DlgUtil.h"
#include "ResourceIds.h"
#include "Resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>

CCreateGameDlg::CCreateGameDlg(int maxPlayers, QWidget* parent)
    : CDialog(parent), m_MaxPlayers(maxPlayers) {
    setWindowTitle(QStringLiteral("Создать игру"));
    setFixedSize(MapDialogRect(QRect(0, 0, 246, 92)).size());

    auto* help = AddStatic(IDC_STATIC_HELP, QString(), QRect(7, 7, 172, 18));
    help->setWordWrap(true);
    netdlg::WithId(help, IDC_STATIC_HELP);

    m_pEditPort = netdlg::WithId(new QLineEdit(this), IDC_EDIT_PORT);
    m_pEditPort->setGeometry(MapDialogRect(QRect(7, 32, 60, 13)));
    m_pEditPort->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));

    m_pComboMax = netdlg::WithId(new QComboBox(this), IDC_COMBO_MAX);
    m_pComboMax->setGeometry(MapDialogRect(QRect(179, 32, 60, 13)));

    m_pCheckHold = netdlg::WithId(
        new QCheckBox(QStringLiteral("Если игрок выйдет — за него играет компьютер, место ждет его"), this),
        IDC_CHECK_HOLD);
    m_pCheckHold->setGeometry(MapDialogRect(QRect(7, 52, 232, 10)));

    netdlg::WithId(AddButton(IDOK, QStringLiteral("ОК"), QRect(60, 70, 50, 14)), IDOK);
    netdlg::WithId(AddButton(IDCANCEL, QStringLiteral("Отмена"), QRect(136, 70, 50, 14)), IDCANCEL);
}

CCreateGameDlg::~CCreateGameDlg() = default;

QWidget* CCreateGameDlg::GetControl(int id) const {
    return netdlg::FindControl(this, id);
}

BOOL CCreateGameDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcon(LoadIconResource(GetModuleResources("pub"), pubres::IDI_PROGRAM));
    static_cast<QLabel*>(GetDlgItem(IDC_STATIC_HELP))
        ->setText(
            QStringLiteral("Измените номер порта в случае если данный порт уже используется."));
    m_pEditPort->setText(QString::number(m_Port));
    m_pComboMax->addItems({QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    // A maximum the session lowered below two still opens on a choice.
    m_pComboMax->setCurrentIndex(std::clamp(m_MaxPlayers - 2, 0, 2));
    m_pCheckHold->setChecked(m_HoldSeats);
    return TRUE;
}

void CCreateGameDlg::OnOK() {
    unsigned port = 0;
    if (!netdlg::ParsePort(m_pEditPort->text(), port)) {
        netdlg::RefusePort(this, m_pEditPort);
        return;
    }
    m_Port = port;
    m_MaxPlayers = m_pComboMax->currentIndex() + 2;
    m_HoldSeats = m_pCheckHold->isChecked();
    CDialog::OnOK();
}
