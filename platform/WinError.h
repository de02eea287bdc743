#pragma once
// The status codes of the platform the game was designed for: the system
// error numbers the registry answers with, and the HRESULT statuses of the
// library's helpers and of the picture loader.

#include "WinTypes.h"

#include <cstdint>

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_INVALID_FUNCTION = 1;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_GEN_FAILURE = 31;
constexpr LONG ERROR_SHARING_VIOLATION = 32;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_FILENAME_EXCED_RANGE = 206;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_IO_DEVICE = 1117;
constexpr LONG ERROR_CANT_RESOLVE_FILENAME = 1921;

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
// What the picture loader answers for bytes that are no picture it knows.
constexpr HRESULT CTL_E_INVALIDPICTURE = static_cast<HRESULT>(0x800A01E1);

// A system error code as a status: 0x8007xxxx.
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) {
    return error == 0 ? S_OK : static_cast<HRESULT>((error & 0x0000FFFF) | 0x80070000);
}

// Results of the peer session.
constexpr HRESULT DPNSUCCESS_PENDING = 0x0015800E;
constexpr HRESULT DPNERR_ABORTED = static_cast<HRESULT>(0x80158030);
constexpr HRESULT DPNERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x80158080);
constexpr HRESULT DPNERR_INVALIDDEVICEADDRESS = static_cast<HRESULT>(0x80158320);
constexpr HRESULT DPNERR_INVALIDHOSTADDRESS = static_cast<HRESULT>(0x80158370);
constexpr HRESULT DPNERR_INVALIDPLAYER = static_cast<HRESULT>(0x80158390);
constexpr HRESULT DPNERR_NOCONNECTION = static_cast<HRESULT>(0x80158480);
constexpr HRESULT DPNERR_NORESPONSE = static_cast<HRESULT>(0x80158510);
constexpr HRESULT DPNERR_NOTHOST = static_cast<HRESULT>(0x80158530);
constexpr HRESULT DPNERR_SESSIONFULL = static_cast<HRESULT>(0x80158610);
constexpr HRESULT DPNERR_USERCANCEL = static_cast<HRESULT>(0x80158650);
