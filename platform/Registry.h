#pragma once
// The per-user registry the game keeps its settings in, with the calls and
// semantics of the Windows one. Everything under HKEY_CURRENT_USER lives in
// one text file, $XDG_CONFIG_HOME/Tavlin2.0/registry.ini. The file is parsed
// again only when it changed on disk, so handles never hold stale data, and
// every change replaces it whole and atomically. A file that exists but cannot
// be read is never overwritten: calls on it fail with ERROR_ACCESS_DENIED.
// Names and REG_SZ data are Windows-1251. Safe to call from any thread.

#include "WinError.h"
#include "WinTypes.h"

#include <QString>

struct RegKey;
using HKEY = RegKey*;
extern HKEY const HKEY_CURRENT_USER;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// subKey is relative to root, parts separated by backslashes, matched without
// regard to case. Creating fails with ERROR_ACCESS_DENIED when the file's
// folder cannot be made; opening a key that does not exist gives
// ERROR_FILE_NOT_FOUND. On failure *result is nullptr. Queries need
// KEY_QUERY_VALUE in samDesired, changes need KEY_SET_VALUE.
LONG RegCreateKeyEx(HKEY root, const char* subKey, DWORD samDesired, HKEY* result,
                    DWORD* disposition = nullptr);
LONG RegOpenKeyEx(HKEY root, const char* subKey, DWORD samDesired, HKEY* result);

// With data null, reports the size in *cbData. A buffer too small gets nothing
// and ERROR_MORE_DATA with the needed size in *cbData.
LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, BYTE* data, DWORD* cbData);
// REG_SZ data gets a terminating NUL when it lacks one; REG_DWORD must be 4 bytes.
LONG RegSetValueEx(HKEY key, const char* valueName, DWORD type, const BYTE* data, DWORD cbData);
LONG RegDeleteValue(HKEY key, const char* valueName);
LONG RegCloseKey(HKEY key);

// The file calls made now would use, for messages and tests.
QString RegistryFilePath();
// Empty when the settings can be read and kept; otherwise what the user should
// be told, in Russian, naming the path at fault.
QString RegistryStorageProblem();
