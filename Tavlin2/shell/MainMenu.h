#pragma once
// Menu 8037 of the single-player program's main frame.

#include "CommandMenu.h"
#include "Commands.h"

class CMainMenu : public CCommandMenu {
    Q_OBJECT

public:
    CMainMenu(QWidget* frame, CommandHandler onCommand, UpdateHandler onUpdate = {});
    ~CMainMenu() override;
};
