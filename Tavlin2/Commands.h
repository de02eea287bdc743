#pragma once
// The command numbers of menu 8037. The menu reports them, the frame and the
// game view handle them; F1 sends ID_HELP, the platform's help command.

#include "WinTypes.h"

enum : UINT {
    ID_NEW_PARTY = 32772,
    ID_NEXT_GAME = 32774,
    ID_GAME31 = 32780,
    ID_GAME12 = 32783,
    ID_CHANGE_NAMES = 32787,
    ID_TWO_PLAYERS = 32792,
    ID_THREE_PLAYERS = 32793,
    ID_FOUR_PLAYERS = 32794,
    ID_SETTINGS = 32808,
    ID_EXIT = 32815,
    ID_HELP_CONTENTS = 32816,
    ID_APP_ABOUT = 57664,
    ID_HELP = 57670,
};
