#pragma once
// Small helpers of the library shared by both programs: registry values under
// an open key, conversions between the two kinds of boolean, decimal text and
// message pumping for long loops.
//
// The registry helpers never throw; the read helpers always leave the
// destination holding either the stored value or the default.

#include "Registry.h"
#include "WinTypes.h"

#include <QString>

// A key of the settings, "Software\\Tavlin2.0\\<name>" under the current user,
// opened with full access and created when missing; closed when the object
// goes. False when the key can be neither opened nor created: then reading
// leaves every default in place and writing does nothing.
class CSettingsKey {
public:
    static constexpr const char* kPublic = "Public"; // shared by both programs

    explicit CSettingsKey(const char* name);
    ~CSettingsKey();
    CSettingsKey(const CSettingsKey&) = delete;
    CSettingsKey& operator=(const CSettingsKey&) = delete;

    explicit operator bool() const { return m_key != nullptr; }
    operator HKEY() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// 0 on success, E_FAIL when the registry refuses the write; a null string is
// E_INVALIDARG. The string is Windows-1251 and is stored with its zero.
LONG Util_WriteStringRegKey(HKEY key, const char* name, const char* value);
LONG Util_WriteIntRegKey(HKEY key, const char* name, DWORD value);
LONG Util_WriteBoolRegKey(HKEY key, const char* name, int value);
LONG DXUtil_WriteBinaryRegKey(HKEY key, const char* name, const void* data, DWORD size);

// A value that is missing or is not a 4-byte DWORD gives def.
LONG Util_ReadIntRegKey(HKEY key, const char* name, DWORD* dest, DWORD def);
LONG Util_ReadBoolRegKey(HKEY key, const char* name, int* dest, int def);
// Reads at most cch bytes. A value that is missing, longer than cch, not a
// string or empty gives def instead, cut to cch - 1 bytes. dest always ends
// with a zero within its cch bytes.
LONG Util_ReadStringRegKeyCch(HKEY key, const char* name, char* dest, DWORD cch, const char* def);
// Reads exactly size bytes. A value that is missing gives size bytes of def
// (zeros when def is null); one of another size or type gives zeros.
LONG DXUtil_ReadBinaryRegKey(HKEY key, const char* name, void* dest, DWORD size, const void* def);

QString IntToStr(const int& n);
// Shows n in a standard message box; a diagnostic aid.
void AfxMessageBox(const int& n);
int boolToBOOL(const bool& b);
// Only 1 is true: a stored flag of any other value reads as false.
bool BOOLTobool(const int& v);
// Handles what is pending for the calling thread and returns at once when
// nothing is; long loops on the window's thread call it to keep it alive.
void AppProcessMessage();

// Drops what the drawing object holds (brush, region, picture, font).
template <class T> void Util_DeleteGdiObject(T* obj) {
    if (obj)
        *obj = T();
}
