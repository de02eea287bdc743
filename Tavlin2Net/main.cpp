// Tavlin2Net: Zanta among two to four players over the network.

#include "Application.h"
#include "NetMainFrame.h"
#include "ShellStart.h"
#include "TestControl.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    platform::SetUpApplication(QStringLiteral("Tavlin2Net"), QStringLiteral("zanta-net"),
                               QStringLiteral("zanta"));

    CNetMainFrame frame;
    // A window that closes hidden (leaving a running game) ends the program too.
    QObject::connect(&frame, &CNetMainFrame::Closed, &app, &QApplication::quit);
    const auto control = CTestControl::FromEnvironment(&frame);
    frame.show();
    shellstart::ReportSettingsProblem(&frame);
    return app.exec();
}
