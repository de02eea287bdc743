// Saves count values one by one, each its own read-modify-write of the
// registry file, as a second program saving at the same time would:
//   registry_writer <prefix> <count>
#include "Registry.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Tavlin2.0\\Race", KEY_ALL_ACCESS, &key,
                       nullptr) != ERROR_SUCCESS)
        return 1;
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        const QByteArray name = QByteArray(argv[1]) + QByteArray::number(i);
        const DWORD value = static_cast<DWORD>(i);
        if (RegSetValueEx(key, name.constData(), REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) != ERROR_SUCCESS)
            return 1;
    }
    RegCloseKey(key);
    return 0;
}
