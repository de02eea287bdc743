// Tavlin2: Zanta against the computer.

#include "Application.h"
#include "CommandLine.h"
#include "MainFrame.h"
#include "ShellStart.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    CCommandLine commandLine(QStringLiteral("Tavlin2"),
                             QStringLiteral("Карточная игра Занта против компьютера."));
    if (const auto outcome = commandLine.Parse(CCommandLine::Arguments(argc, argv)); !outcome.run) {
        CCommandLine::Print(outcome);
        return outcome.status;
    }

    QApplication app(argc, argv);
    platform::SetUpApplication(QStringLiteral("Tavlin2"), QStringLiteral("zanta"),
                               QStringLiteral("zanta"));

    CMainFrame frame;
    frame.show();
    shellstart::ReportSettingsProblem(&frame);
    return app.exec();
}
