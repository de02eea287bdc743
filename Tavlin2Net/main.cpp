// Tavlin2Net: Zanta among two to four players over the network.

#include "Application.h"
#include "MessageBox.h"
#include "NetMainFrame.h"
#include "Registry.h"
#include "TestControl.h"

#include <QApplication>
#include <QStyle>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    platform::SetUpApplication(QStringLiteral("Tavlin2Net"), QStringLiteral("zanta-net"),
                              QStringLiteral("zanta"));

    CNetMainFrame frame;
    // A window that closes hidden (leaving a running game) ends the program too.
    QObject::connect(&frame, &CNetMainFrame::Closed, &app, &QApplication::quit);
    const auto control = CTestControl::FromEnvironment(&frame);
    frame.show();
    // The game starts with its defaults either way; say once that nothing will be kept.
    if (const QString problem = RegistryStorageProblem(); !problem.isEmpty())
        CMessageBox::Show(&frame, problem, QStringLiteral("Внимание"),
                          CMessageBox::MBF_OK | CMessageBox::MBF_ICON,
                          QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
    return app.exec();
}
