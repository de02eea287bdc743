// Tavlin2: Zanta against the computer.

#include "DeckView.h"

#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenuBar>

namespace {
// A menu of numbered choices, index i calling choose(i).
template <class Choose>
void AddChoices(QMenu* menu, const QStringList& texts, int current, Choose choose) {
    auto* group = new QActionGroup(menu);
    for (int i = 0; i < texts.size(); ++i) {
        QAction* action = menu->addAction(texts[i], [choose, i] { choose(i); });
        action->setCheckable(true);
        action->setChecked(i == current);
        group->addAction(action);
    }
}

QStringList Numbered(const QString& stem, int count) {
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts << stem.arg(i);
    return texts;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlin2"));

    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Занта"));
    auto* view = new CDeckView;
    frame.setCentralWidget(view);

    QMenu* game = frame.menuBar()->addMenu(QStringLiteral("Игра"));
    game->addAction(QStringLiteral("Сдать заново"), QKeySequence(Qt::Key_F2), view,
                    [view] { view->Deal(); });
    game->addSeparator();
    AddChoices(game->addMenu(QStringLiteral("Игроки")),
               {QStringLiteral("Два игрока"), QStringLiteral("Три игрока"),
                QStringLiteral("Четыре игрока")},
               1, [view](int i) { view->SetPlayers(i + 2); });
    game->addSeparator();
    game->addAction(QStringLiteral("Выход"), &frame, &QMainWindow::close);

    QMenu* look = frame.menuBar()->addMenu(QStringLiteral("Вид"));
    AddChoices(look->addMenu(QStringLiteral("Рубашка карт")),
               Numbered(QStringLiteral("Рубашка №%1"), 7), 0,
               [view](int i) { view->ChooseAppearance(CPageView::IDC_LIST_SHIRTS, i); });
    AddChoices(look->addMenu(QStringLiteral("Стол")),
               QStringList{QStringLiteral("Без стола")} + Numbered(QStringLiteral("Стол №%1"), 7),
               1, [view](int i) { view->ChooseAppearance(CPageView::IDC_LIST_TABLES, i); });
    AddChoices(look->addMenu(QStringLiteral("Фон")), Numbered(QStringLiteral("Фон №%1"), 7), 1,
               [view](int i) { view->ChooseAppearance(CPageView::IDC_LIST_BG, i); });
    look->addAction(QStringLiteral("Картинка стола…"), &frame, [&frame, view] {
        const QString path = QFileDialog::getOpenFileName(
            &frame, QStringLiteral("Выбери картинку для фона стола"), QString(),
            QStringLiteral("(*.bmp;*.jpeg;*.gif) (*.bmp *.gif *.jpeg *.jpg *.JPG);;All Files (*)"));
        if (!path.isEmpty())
            view->ChooseTablePicture(path);
    });

    frame.resize(790, 650);
    frame.show();
    view->setFocus();
    return app.exec();
}
