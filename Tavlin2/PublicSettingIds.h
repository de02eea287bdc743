#pragma once
// The general settings page tells the game view of every change by one
// message: wParam the control id, lParam 1 for a ticked box, 0 for a cleared
// one, or the trackbar's position in milliseconds.

#include "WinTypes.h"

constexpr UINT WM_PUBLIC_SETTING = WM_USER + 40; // 1064

enum PublicSettingId : UINT {
    IDC_SLIDER_RATE = 1021,
    IDC_CHECK_ANIMATION = 1023,
    IDC_STATIC_SCALE = 1041,
    IDC_CHECK_SOUND = 1052,
    IDC_GROUP_RATE = 1075,
    IDC_STATIC_SCALE_END = 1076,
    IDC_CHECK_OPEN_CARDS = 1079,
    IDC_CHECK_STARS = 1081,
    IDC_CHECK_TABLO_VICTORY = 1082,
};
