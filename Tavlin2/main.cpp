// Tavlin2: Zanta against the computer.

#include "Application.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "Registry.h"

#include <QApplication>
#include <QStyle>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    platform::SetUpApplication(QStringLiteral("Tavlin2"), QStringLiteral("zanta"),
                              QStringLiteral("zanta"));

    CMainFrame frame;
    frame.show();
    // The game starts with its defaults either way; say once that nothing will be kept.
    if (const QString problem = RegistryStorageProblem(); !problem.isEmpty())
        CMessageBox::Show(&frame, problem, QStringLiteral("Внимание"),
                          CMessageBox::MBF_OK | CMessageBox::MBF_ICON,
                          QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
    return app.exec();
}
