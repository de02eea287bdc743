#include "MainMenu.h"

#include <QMenu>

CMainMenu::CMainMenu(QWidget* frame, CommandHandler onCommand, UpdateHandler onUpdate)
    : CCommandMenu(frame, {ID_SETTINGS, ID_HELP_CONTENTS, ID_HELP}, std::move(onCommand),
                   std::move(onUpdate)) {
    QMenu* main = AddPopup(this, QStringLiteral("Главная"));
    AddCommand(main, QStringLiteral("Новая партия"), ID_NEW_PARTY);
    AddCommand(main, QStringLiteral("Следующая игра"), ID_NEXT_GAME);
    main->addSeparator();
    AddCommand(main, QStringLiteral("Игра до 31 очка"), ID_GAME31, true);
    AddCommand(main, QStringLiteral("Игра до 12 баллов"), ID_GAME12, true);
    main->addSeparator();
    AddCommand(main, QStringLiteral("Смена имен игроков..."), ID_CHANGE_NAMES);
    QMenu* players = AddPopup(main, QStringLiteral("Количество игроков"));
    AddCommand(players, QStringLiteral("два игрока"), ID_TWO_PLAYERS, true);
    AddCommand(players, QStringLiteral("три игрока"), ID_THREE_PLAYERS, true);
    AddCommand(players, QStringLiteral("четыре игрока"), ID_FOUR_PLAYERS, true);
    main->addSeparator();
    AddCommand(main, QStringLiteral("E&xit"), ID_EXIT);

    AddCommand(this, QStringLiteral("Настройки"), ID_SETTINGS);

    QMenu* help = AddPopup(this, QStringLiteral("Справка"));
    AddCommand(help, QStringLiteral("Справка"), ID_HELP_CONTENTS);
    help->addSeparator();
    AddCommand(help, QStringLiteral("О программе..."), ID_APP_ABOUT);
}

CMainMenu::~CMainMenu() = default;
