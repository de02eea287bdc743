// Tavlin2: Zanta against the computer.

#include "DeckView.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlin2"));

    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Занта"));
    auto* view = new CDeckView;
    frame.setCentralWidget(view);
    frame.resize(790, 650);
    frame.show();
    return app.exec();
}
