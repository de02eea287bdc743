#include "AboutDlg.h"
#include "ResourceIds.h"

#include "Resources.h"

#include <QLabel>

namespace {
constexpr UINT kProgramIcon = pubres::IDI_PROGRAM;
}

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(parent) {
    setWindowTitle(QStringLiteral("Карточная игра Занта "));
    setFixedSize(MapDialogRect(QRect(0, 0, 235, 68)).size());

    AddStatic(IDC_STATIC_ICON, QString(), QRect(9, 9, 21, 20));
    const QString lines[] = {
        QStringLiteral("Tavlin Version 2.01"),
        QStringLiteral("Карточная игра Занта"),
        QStringLiteral("Программа: команда Tavlin"),
        QStringLiteral("Рисунки карт и столов: команда Tavlin"),
        QStringLiteral("Версия для Linux, на Qt 6"),
        QStringLiteral("Правила: меню \"Справка\" или F1"),
    };
    for (int i = 0; i <= IDC_STATIC_LAST - IDC_STATIC_VERSION; ++i)
        AddStatic(IDC_STATIC_VERSION + i, lines[i], QRect(38, 6 + 9 * i, 136, 8));
    AddButton(IDOK, QStringLiteral("ОК"), QRect(178, 7, 50, 14));
}

CAboutDlg::~CAboutDlg() = default;

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const QIcon icon = LoadIconResource(GetModuleResources("pub"), kProgramIcon);
    setWindowIcon(icon);
    if (auto* picture = qobject_cast<QLabel*>(GetDlgItem(IDC_STATIC_ICON)))
        picture->setPixmap(icon.pixmap(32, 32));
    return TRUE;
}
