#include "AboutDlg.h"
#include "ResourceIds.h"

#include "Resources.h"

#include <QLabel>

namespace {
constexpr UINT kProgramIcon = pubres::IDI_PROGRAM;
}

CAboutDlg::CAboutDlg(QWidget* parent, int iconId, int firstLineId, const QStringList& lines)
    : CDialog(parent) {
    setWindowTitle(QStringLiteral("Карточная игра Занта "));
    setFixedSize(MapDialogRect(QRect(0, 0, 235, 68)).size());

    m_pIcon = AddStatic(iconId, QString(), QRect(9, 9, 21, 20));
    for (int i = 0; i < lines.size(); ++i)
        AddStatic(firstLineId + i, lines[i], QRect(38, 6 + 9 * i, 136, 8));
    AddButton(IDOK, QStringLiteral("ОК"), QRect(178, 7, 50, 14));
}

CAboutDlg::~CAboutDlg() = default;

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const QIcon icon = LoadIconResource(GetModuleResources("pub"), kProgramIcon);
    setWindowIcon(icon);
    m_pIcon->setPixmap(icon.pixmap(32, 32));
    return TRUE;
}
