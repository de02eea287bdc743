// Tavlin2: Zanta against the computer.

#include "MainFrame.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlin2"));
    QApplication::setApplicationDisplayName(QStringLiteral("Занта"));

    CMainFrame frame;
    frame.show();
    return app.exec();
}
