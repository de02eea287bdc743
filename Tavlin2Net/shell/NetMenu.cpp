#include "NetMenu.h"

#include <QMenu>

using namespace netcmd;

CNetMenu::CNetMenu(QWidget* frame, CommandHandler onCommand, UpdateHandler onUpdate)
    : CCommandMenu(frame, {ID_SETTINGS, ID_HELP_CONTENTS, ID_HELP}, std::move(onCommand),
                   std::move(onUpdate)) {
    QMenu* main = AddPopup(this, QStringLiteral("Главная"));
    AddCommand(main, QStringLiteral("Новая партия"), ID_NEW_PARTY);
    AddCommand(main, QStringLiteral("Следующая игра"), ID_NEXT_GAME);
    main->addSeparator();
    AddCommand(main, QStringLiteral("Игра до 31 очка"), ID_GAME31, true);
    AddCommand(main, QStringLiteral("Игра до 12 баллов"), ID_GAME12, true);
    main->addSeparator();
    AddCommand(main, QStringLiteral("Смена имени игрока..."), ID_CHANGE_NAMES);
    main->addSeparator();
    AddCommand(main, QStringLiteral("E&xit"), ID_APP_EXIT);

    AddCommand(this, QStringLiteral("Настройки"), ID_SETTINGS);
    AddCommand(this, QStringLiteral("Сеть"), ID_NETWORK);

    QMenu* help = AddPopup(this, QStringLiteral("Справка"));
    AddCommand(help, QStringLiteral("Справка"), ID_HELP_CONTENTS);
    help->addSeparator();
    AddCommand(help, QStringLiteral("О программе..."), ID_APP_ABOUT);
}

CNetMenu::~CNetMenu() = default;
