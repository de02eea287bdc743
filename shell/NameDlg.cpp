#include "NameDlg.h"

#include "ResourceIds.h"

#include "Cp1251.h"
#include "Resources.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kDefaultName = QStringLiteral("Товарищ");

} // namespace

CNameDlg::CNameDlg(QWidget* parent, Mode mode) : CDialog(parent), m_Mode(mode) {
    setWindowTitle(QStringLiteral("Как Вас называть?"));
    setFixedSize(MapDialogRect(QRect(0, 0, 179, mode == AskSeats ? 102 : 57)).size());

    auto* validator = NewCp1251Validator(this);
    AddStatic(IDC_STATIC_NAME, QStringLiteral("Ваше имя"), QRect(7, 10, 60, 8));
    m_pComboName = new QComboBox(this);
    m_pComboName->setEditable(true);
    m_pComboName->setInsertPolicy(QComboBox::NoInsert);
    m_pComboName->setGeometry(MapDialogRect(QRect(70, 8, 100, 12)));
    m_pComboName->setValidator(validator);
    HintRefusedCharacters(m_pComboName->lineEdit());
    connect(m_pComboName, &QComboBox::activated, this, [this] { OnCbnSelchangeComboName(); });

    if (mode == UserOnly) {
        AddButton(IDOK, QStringLiteral("ОК"), QRect(33, 36, 50, 14));
        AddButton(IDCANCEL, QStringLiteral("Отмена"), QRect(96, 36, 50, 14));
        return;
    }
    const QString labels[3] = {QStringLiteral("Игрок слева"), QStringLiteral("Игрок сверху"),
                               QStringLiteral("Игрок справа")};
    for (int i = 0; i < 3; ++i) {
        const int y = 28 + 16 * i;
        m_pStaticName[i] = AddStatic(IDC_STATIC_NAME2 + i, labels[i], QRect(7, y, 60, 8));
        m_pEditName[i] = new QLineEdit(this);
        m_pEditName[i]->setGeometry(MapDialogRect(QRect(70, y - 2, 100, 12)));
        m_pEditName[i]->setValidator(validator);
        HintRefusedCharacters(m_pEditName[i]);
    }
    AddButton(IDOK, QStringLiteral("ОК"), QRect(33, 81, 50, 14));
    AddButton(IDCANCEL, QStringLiteral("Отмена"), QRect(96, 81, 50, 14));
}

CNameDlg::~CNameDlg() = default;

QWidget* CNameDlg::GetControl(int id) const {
    switch (id) {
    case IDC_COMBO_NAME:
        return m_pComboName;
    case IDC_EDIT_NAME2:
    case IDC_EDIT_NAME3:
    case IDC_EDIT_NAME4:
        return m_pEditName[id - IDC_EDIT_NAME2];
    default:
        return GetDlgItem(id);
    }
}

void CNameDlg::DoDataExchange(bool save) {
    if (save)
        m_strName = m_pComboName->currentText().trimmed();
    if (m_Mode == UserOnly)
        return;
    QString* const names[3] = {&m_strName2, &m_strName3, &m_strName4};
    for (int i = 0; i < 3; ++i) {
        if (save)
            *names[i] = m_pEditName[i]->text().trimmed();
        else
            m_pEditName[i]->setText(*names[i]);
    }
}

BOOL CNameDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DoDataExchange(false);

    m_pComboName->lineEdit()->setMaxLength(kMaxName);
    if (m_Mode == AskSeats) {
        for (QLineEdit* edit : m_pEditName)
            edit->setMaxLength(kMaxName);
        LayOutSeats();
    } else {
        setWindowIcon(LoadIconResource(GetModuleResources("pub"), pubres::IDI_PROGRAM));
    }

    for (int i = 1; i < kNames; ++i) {
        if (!m_ListNames[i].isEmpty())
            m_pComboName->addItem(m_ListNames[i]);
    }
    // Adding entries selects the first; the box shows the current name.
    m_pComboName->setCurrentIndex(-1);
    m_pComboName->setEditText(m_ListNames[0]);
    return TRUE;
}

void CNameDlg::LayOutSeats() {
    // Only the seats in play are asked for; the dialog shrinks by the rows it drops.
    double factor = 1.0;
    switch (m_NumberPlayers) {
    case 1:
        for (int i = 0; i < 3; ++i) {
            m_pStaticName[i]->hide();
            m_pEditName[i]->hide();
        }
        factor = 0.6666666666666666;
        break;
    case 2:
        // The single opponent sits at the top.
        m_pStaticName[0]->setText(QStringLiteral("Игрок сверху"));
        for (int i = 1; i < 3; ++i) {
            m_pStaticName[i]->hide();
            m_pEditName[i]->hide();
        }
        factor = 0.7692307692307692;
        break;
    case 3:
        // Of three, seat 3 sits at the right.
        m_pStaticName[1]->setText(QStringLiteral("Игрок справа"));
        m_pStaticName[2]->hide();
        m_pEditName[2]->hide();
        factor = 0.8333333333333334;
        break;
    default:
        break;
    }

    // Heights count the whole window, caption and borders included.
    const int border = GetBorderSize().height();
    const int decoration = GetCaptionBarHeight() + 2 * border;
    const int windowHeight = static_cast<int>((height() + decoration) * factor);
    setFixedSize(width(), windowHeight - decoration);

    QWidget* ok = GetDlgItem(IDOK);
    QWidget* cancel = GetDlgItem(IDCANCEL);
    const int bottom = height() + border; // the window's bottom edge, in client coordinates
    const int top = bottom - static_cast<int>(ok->height() * 1.4);
    const int middle = width() / 2;
    ok->move(middle - 20 - ok->width(), top);
    cancel->move(middle + 20, top);
}

void CNameDlg::OnCbnSelchangeComboName() {
    // The name the dialog opened with can still be chosen back.
    const QString& current = m_ListNames[0];
    if (!current.isEmpty() &&
        m_pComboName->findText(current, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        m_pComboName->addItem(current);
}

void CNameDlg::OnOK() {
    const QString text = m_pComboName->currentText().trimmed();
    m_ListNames[0] = text.isEmpty() ? kDefaultName : text;
    DoDataExchange(true);
    m_strName = m_ListNames[0];
    CDialog::OnOK();
}
