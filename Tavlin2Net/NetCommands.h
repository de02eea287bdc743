#pragma once
// The command numbers of the network program's menu 8037. The menu reports
// them, the frame and the game window handle them; F1 sends ID_HELP.

#include "WinTypes.h"

namespace netcmd {
enum : UINT {
    ID_NEW_PARTY = 32772,
    ID_NEXT_GAME = 32774,
    ID_GAME31 = 32780,
    ID_GAME12 = 32783,
    ID_CHANGE_NAMES = 32787,
    ID_SETTINGS = 32808,
    ID_NETWORK = 32814,
    ID_HELP_CONTENTS = 32815,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP = 57670,
};

// The network program's general settings page: its check boxes, and the
// message it sends the game window (wParam the id, lParam 1 ticked or 0).
constexpr UINT WM_PUBLIC_SETTING = WM_USER + 40; // 1064
enum : UINT {
    IDC_SHOW_NAME_WND = 1020,
    IDC_ANIMATION = 1023,
    IDC_SOUND = 1053,
    IDC_LOCK_ADD_PLAYERS = 1077,
    IDC_CLOSED_CARD_RESET = 1078,
    IDC_TABLO_VICTORY = 1079,
    IDC_GAME_FOR_STARS = 1080,
    IDC_AUTOMATIC_GAME = 1081,
    IDC_SHOW_TELEGRAPH = 1083,
    // A departed player's seat is played by the computer until the party ends.
    IDC_HOLD_SEATS = 1084,
};
} // namespace netcmd
