#pragma once
// The integer types and constants of the platform the game was designed for.
// Everything above platform/ is written in them, so it reads like the game's
// own code; inside platform/ they are plain fixed-width integers.

#include <cstdint>

using UINT = unsigned int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using BYTE = unsigned char;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = std::uint32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_TIMER = 0x0113;

// Dialog results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Colours are 0x00BBGGRR.
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }
