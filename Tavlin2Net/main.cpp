// Tavlin2Net: Zanta among two to four players over the network.

#include "Application.h"
#include "CommandLine.h"
#include "NetMainFrame.h"
#include "NetStart.h"
#include "ShellStart.h"
#include "TestControl.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    CCommandLine commandLine(
        QStringLiteral("Tavlin2Net"),
        QStringLiteral("Карточная игра Занта для двух–четырёх игроков по сети."));
    CNetStart start;
    CNetStart::AddOptions(commandLine);
    const auto outcome = commandLine.Parse(CCommandLine::Arguments(argc, argv),
                                           [&] { return start.Read(commandLine.Parser()); });
    if (!outcome.run) {
        CCommandLine::Print(outcome);
        return outcome.status;
    }

    QApplication app(argc, argv);
    platform::SetUpApplication(QStringLiteral("Tavlin2Net"), QStringLiteral("zanta-net"),
                               QStringLiteral("zanta"));

    CNetMainFrame frame;
    // A window that closes hidden (leaving a running game) ends the program too.
    QObject::connect(&frame, &CNetMainFrame::Closed, &app, &QApplication::quit);
    const auto control = CTestControl::FromEnvironment(&frame);
    start.Apply(frame);
    frame.show();
    shellstart::ReportSettingsProblem(&frame);
    return app.exec();
}
