#include "Registry.h"

#include "Cp1251.h"
#include "RegistryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>
#include <mutex>
#include <unordered_map>

// Never dereferenced: it only gives HKEY_CURRENT_USER an address of its own.
struct RegKey {
    int unused;
};

namespace {

alignas(8) RegKey g_currentUser{};

struct OpenKey {
    QString file; // chosen when the key was opened, like a real handle's hive
    QString path;
    DWORD access = 0;
};

struct State {
    std::mutex mutex; // guards the handles and every access to the file
    std::unordered_map<quintptr, OpenKey> handles;
    // Odd and never reused, so a closed handle stays invalid and never meets a real address.
    quintptr nextHandle = 0x1001;
};

State& state() {
    static State s;
    return s;
}

std::optional<OpenKey> lookup(State& s, HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return OpenKey{RegistryFilePath(), QString(), KEY_ALL_ACCESS};
    const auto it = s.handles.find(reinterpret_cast<quintptr>(key));
    if (it == s.handles.end())
        return std::nullopt;
    return it->second;
}

// The key behind a handle, when the handle was opened with the access wanted.
LONG keyWithAccess(State& s, HKEY key, DWORD access, OpenKey& out) {
    const auto open = lookup(s, key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if ((open->access & access) == 0)
        return ERROR_ACCESS_DENIED;
    out = *open;
    return ERROR_SUCCESS;
}

HKEY addHandle(State& s, OpenKey key) {
    const quintptr id = s.nextHandle;
    s.nextHandle += 2;
    s.handles.emplace(id, std::move(key));
    return reinterpret_cast<HKEY>(id);
}

std::optional<QString> childPath(const OpenKey& parent, const char* subKey) {
    return RegistryFile::normalizedPath(parent.path + u'\\' + Cp1251ToUnicode(subKey, -1));
}

// Where a subkey of an open key lives, for creating or opening it.
struct SubKey {
    QString file;
    QString path;
};

// Checks the arguments of a create or open call and finds the subkey's place;
// badName is the error for a name that makes no path. Clears *result first.
LONG subKeyOf(State& s, HKEY root, const char* subKey, HKEY* result, LONG badName, SubKey& out) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const auto parent = lookup(s, root);
    if (!parent)
        return ERROR_INVALID_HANDLE;
    const auto path = childPath(*parent, subKey);
    if (!path)
        return badName;
    out = SubKey{parent->file, *path};
    return ERROR_SUCCESS;
}

QByteArray valueName(const char* name) {
    return name ? QByteArray(name) : QByteArray();
}

RegistryFile load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return RegistryFile::parse(file.readAll());
}

bool makeFolder(const QString& path) {
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

bool save(const QString& path, const RegistryFile& content) {
    if (!makeFolder(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = content.serialize();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

HKEY const HKEY_CURRENT_USER = &g_currentUser;

QString RegistryFilePath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/Tavlin2.0/registry.ini"));
}

LONG RegCreateKeyEx(HKEY root, const char* subKey, DWORD samDesired, HKEY* result,
                    DWORD* disposition) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    SubKey key;
    if (const LONG status = subKeyOf(s, root, subKey, result, ERROR_INVALID_PARAMETER, key);
        status != ERROR_SUCCESS)
        return status;
    if (!makeFolder(key.file))
        return ERROR_ACCESS_DENIED;
    RegistryFile content = load(key.file);
    const bool created = !content.keyExists(key.path);
    const QString canonical = content.canonicalPath(key.path);
    if (created) {
        content.addKey(canonical);
        if (!save(key.file, content))
            return ERROR_ACCESS_DENIED;
    }
    *result = addHandle(s, OpenKey{key.file, canonical, samDesired});
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyEx(HKEY root, const char* subKey, DWORD samDesired, HKEY* result) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    SubKey key;
    if (const LONG status = subKeyOf(s, root, subKey, result, ERROR_FILE_NOT_FOUND, key);
        status != ERROR_SUCCESS)
        return status;
    const RegistryFile content = load(key.file);
    if (!content.keyExists(key.path))
        return ERROR_FILE_NOT_FOUND;
    *result = addHandle(s, OpenKey{key.file, content.canonicalPath(key.path), samDesired});
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, BYTE* data, DWORD* cbData) {
    if (data != nullptr && cbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    State& s = state();
    std::lock_guard lock(s.mutex);
    OpenKey open;
    if (const LONG status = keyWithAccess(s, key, KEY_QUERY_VALUE, open); status != ERROR_SUCCESS)
        return status;
    const RegistryFile content = load(open.file);
    const RegistryFile::Value* value = content.findValue(open.path, ::valueName(valueName));
    if (value == nullptr)
        return ERROR_FILE_NOT_FOUND;
    if (type != nullptr)
        *type = value->type;
    const auto size = static_cast<DWORD>(value->data.size());
    if (data != nullptr && *cbData < size) {
        *cbData = size;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr)
        std::memcpy(data, value->data.constData(), size);
    if (cbData != nullptr)
        *cbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char* valueName, DWORD type, const BYTE* data, DWORD cbData) {
    if (data == nullptr && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    const auto bytes = RegistryFile::normalizedData(
        type, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(cbData)));
    if (!bytes)
        return ERROR_INVALID_PARAMETER;
    State& s = state();
    std::lock_guard lock(s.mutex);
    OpenKey open;
    if (const LONG status = keyWithAccess(s, key, KEY_SET_VALUE, open); status != ERROR_SUCCESS)
        return status;
    RegistryFile content = load(open.file);
    content.setValue(open.path, ::valueName(valueName), type, *bytes);
    return save(open.file, content) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegDeleteValue(HKEY key, const char* valueName) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    OpenKey open;
    if (const LONG status = keyWithAccess(s, key, KEY_SET_VALUE, open); status != ERROR_SUCCESS)
        return status;
    RegistryFile content = load(open.file);
    if (!content.removeValue(open.path, ::valueName(valueName)))
        return ERROR_FILE_NOT_FOUND;
    return save(open.file, content) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.handles.erase(reinterpret_cast<quintptr>(key)) == 1 ? ERROR_SUCCESS
                                                                 : ERROR_INVALID_HANDLE;
}
