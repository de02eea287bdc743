#pragma once
// Menu 8037 of the network program's main frame.

#include "CommandMenu.h"
#include "NetCommands.h"

class CNetMenu : public CCommandMenu {
    Q_OBJECT

public:
    CNetMenu(QWidget* frame, CommandHandler onCommand, UpdateHandler onUpdate = {});
    ~CNetMenu() override;
};
