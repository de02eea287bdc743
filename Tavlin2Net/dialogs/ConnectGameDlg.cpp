#include "ConnectGameDlg.h"

#include "DlgUtil.h"
#include "ResourceIds.h"
#include "Resources.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

CConnectGameDlg::CConnectGameDlg(QWidget* parent) : CDialog(parent) {
    setWindowTitle(QStringLiteral("Подключится к игре"));
    setFixedSize(MapDialogRect(QRect(0, 0, 186, 78)).size());

    auto* help = AddStatic(IDC_STATIC_HELP, QString(), QRect(7, 7, 172, 18));
    help->setWordWrap(true);
    netdlg::WithId(help, IDC_STATIC_HELP);

    // The user types the address; earlier ones are not offered.
    m_pComboServer = netdlg::WithId(new QComboBox(this), IDC_COMBO_SERVER);
    m_pComboServer->setEditable(true);
    m_pComboServer->setInsertPolicy(QComboBox::NoInsert);
    m_pComboServer->setGeometry(MapDialogRect(QRect(7, 32, 110, 13)));
    m_pComboServer->lineEdit()->setMaxLength(kMaxServer);

    m_pEditPort = netdlg::WithId(new QLineEdit(this), IDC_EDIT_PORT);
    m_pEditPort->setGeometry(MapDialogRect(QRect(129, 32, 50, 13)));
    m_pEditPort->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));

    netdlg::WithId(AddButton(IDOK, QStringLiteral("ОК"), QRect(30, 56, 50, 14)), IDOK);
    netdlg::WithId(AddButton(IDCANCEL, QStringLiteral("Отмена"), QRect(106, 56, 50, 14)), IDCANCEL);
}

CConnectGameDlg::~CConnectGameDlg() = default;

QWidget* CConnectGameDlg::GetControl(int id) const {
    return netdlg::FindControl(this, id);
}

BOOL CConnectGameDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    setWindowIcon(LoadIconResource(GetModuleResources("pub"), pubres::IDI_PROGRAM));
    static_cast<QLabel*>(GetDlgItem(IDC_STATIC_HELP))
        ->setText(
            QStringLiteral("Введите адрес игрока-севера и номер порта на котором он работает."));
    m_pComboServer->setEditText(m_strServer);
    m_pEditPort->setText(QString::number(m_Port));
    return TRUE;
}

void CConnectGameDlg::OnOK() {
    unsigned port = 0;
    if (!netdlg::ParsePort(m_pEditPort->text(), port)) {
        netdlg::RefusePort(this, m_pEditPort);
        return;
    }
    m_Port = port;
    m_strServer = m_pComboServer->currentText().trimmed();
    CDialog::OnOK();
}
