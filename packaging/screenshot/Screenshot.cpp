// screenshot <outdir>: both programs' windows as a player sees them, a party
// against three computer players under way and the network table waiting
// for players, for the software centre's metadata (zanta.png, zanta-net.png).
// Runs offscreen with settings of its own, so nobody's settings are touched.

#include "Application.h"
#include "Commands.h"
#include "MainFrame.h"
#include "NetMainFrame.h"
#include "PlayWithComputer.h"
#include "Public.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// Lets the window live for a while: the computer players take their turns.
void Run(int ms) {
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

bool Save(QWidget& window, const QDir& out, const QString& name) {
    const QString path = out.filePath(name);
    if (window.grab().save(path, "PNG"))
        return true;
    std::fprintf(stderr, "screenshot: could not write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshot <outdir>\n");
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(QStringLiteral("state"))));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    platform::SetUpApplication(QStringLiteral("Tavlin2"), QStringLiteral("zanta"),
                               QStringLiteral("zanta"));
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    bool ok = true;
    {
        CMainFrame frame;
        CPlayWithComputer& view = *frame.View();
        view.m_FirstHelp = false;
        view.m_Public.m_Sound = false;
        view.m_Public.m_Pack.ShowAinmationCards(false);
        frame.resize(800, 600);
        frame.show();
        Run(200);
        if (view.m_Public.m_NumberPlayers != 4)
            view.SetNumberPlayers(4);
        frame.OnCommand(ID_NEW_PARTY);
        Run(2500);
        ok = Save(frame, out, QStringLiteral("zanta.png")) && ok;
        frame.hide();
        Run(100);
    }
    {
        CNetMainFrame frame;
        frame.View()->m_ShowNameWnd = false;
        frame.View()->m_Public.m_Sound = false;
        frame.resize(800, 600);
        frame.show();
        Run(500);
        ok = Save(frame, out, QStringLiteral("zanta-net.png")) && ok;
        frame.close();
        Run(100);
    }
    return ok ? 0 : 1;
}
