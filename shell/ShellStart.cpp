#include "ShellStart.h"

#include "MessageBox.h"
#include "PageView.h"
#include "Public.h"
#include "Registry.h"
#include "SettingsTable.h"

#include <QApplication>
#include <QListWidget>
#include <QStyle>

namespace shellstart {

void ApplyLook(CPublic& table, CPageView& page, int shirt, int tableNumber,
               const QString& imageFile, int background) {
    table.m_Pack.SetShirt(static_cast<unsigned>(shirt));
    page.m_listShirts->setCurrentRow(shirt - settingstable::kFirstShirt);
    table.m_TableImageFile = imageFile;
    table.SetTable(settingstable::EffectiveTable(tableNumber, imageFile));
    page.m_listTables->setCurrentRow(table.GetNumberTable());
    table.SetBG(static_cast<char>(background));
    page.m_listBg->setCurrentRow(background);
}

void ReportSettingsProblem(QWidget* frame) {
    if (const QString problem = RegistryStorageProblem(); !problem.isEmpty())
        CMessageBox::Show(frame, problem, QStringLiteral("Внимание"),
                          CMessageBox::MBF_OK | CMessageBox::MBF_ICON,
                          QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
}

} // namespace shellstart
