#include "SeatToken.h"

#include "NetRecords.h"
#include "Registry.h"

namespace seattoken {

namespace {

constexpr const char* kKeyPath = "Software\\Tavlin2.0\\Net";
constexpr const char* kValue = "SeatToken";

} // namespace

QByteArray Load() {
    HKEY key = nullptr;
    QByteArray stored;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kKeyPath, KEY_READ, &key) == ERROR_SUCCESS) {
        char hex[2 * netrec::kTokenBytes + 2] = {};
        DWORD size = sizeof(hex);
        DWORD type = REG_NONE;
        if (RegQueryValueEx(key, kValue, &type, reinterpret_cast<BYTE*>(hex), &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            stored = QByteArray::fromHex(QByteArray(hex, static_cast<int>(qstrnlen(hex, sizeof(hex)))));
        RegCloseKey(key);
    }
    if (stored.size() == netrec::kTokenBytes)
        return stored;
    const QByteArray token = netrec::NewToken();
    Store(token);
    return token;
}

bool Store(const QByteArray& token) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kKeyPath, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    const QByteArray hex = token.toHex();
    const bool ok = RegSetValueEx(key, kValue, REG_SZ, reinterpret_cast<const BYTE*>(hex.constData()),
                                  static_cast<DWORD>(hex.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

} // namespace seattoken
