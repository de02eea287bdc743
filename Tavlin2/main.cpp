// Tavlin2: Zanta against the computer.

#include "Application.h"
#include "MainFrame.h"
#include "ShellStart.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    platform::SetUpApplication(QStringLiteral("Tavlin2"), QStringLiteral("zanta"),
                               QStringLiteral("zanta"));

    CMainFrame frame;
    frame.show();
    shellstart::ReportSettingsProblem(&frame);
    return app.exec();
}
