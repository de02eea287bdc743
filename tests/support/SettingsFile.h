#pragma once
// The settings file of the test's own folder, seen from outside the registry:
// what a damaged or hand-edited file holds, and raw values under a key.

#include "Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace testsettings {

inline QByteArray Dword(quint32 n) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(n, bytes.data());
    return bytes;
}

// Replaces the file with these bytes, as another program or a disk fault would.
inline void WriteFile(const QByteArray& text) {
    const QString path = RegistryFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

inline QByteArray ReadFile() {
    QFile file(RegistryFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Stores one value under "Software\Tavlin2.0\<key>", creating the key.
inline LONG Set(const char* key, const char* name, DWORD type, const QByteArray& data) {
    HKEY h = nullptr;
    const QByteArray path = QByteArray("Software\\Tavlin2.0\\") + key;
    LONG rc = RegCreateKeyEx(HKEY_CURRENT_USER, path.constData(), KEY_ALL_ACCESS, &h);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueEx(h, name, type, reinterpret_cast<const BYTE*>(data.constData()),
                           static_cast<DWORD>(data.size()));
        RegCloseKey(h);
    }
    return rc;
}

// What the registry answers for the value: its bytes, or nothing.
inline QByteArray Get(const char* key, const char* name, DWORD* type = nullptr) {
    HKEY h = nullptr;
    const QByteArray path = QByteArray("Software\\Tavlin2.0\\") + key;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, path.constData(), KEY_READ, &h) != ERROR_SUCCESS)
        return {};
    QByteArray data(4096, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc = RegQueryValueEx(h, name, type, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS ? data.left(static_cast<qsizetype>(size)) : QByteArray();
}

// Makes the settings folder a plain file: no folder, no file, for anyone.
inline void BlockTheFolder() {
    const QString folder = QFileInfo(RegistryFilePath()).absolutePath();
    QDir(folder).removeRecursively();
    QFile blocker(folder);
    if (blocker.open(QIODevice::WriteOnly))
        blocker.write("not a folder");
}

} // namespace testsettings
