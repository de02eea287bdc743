#include "Util.h"

#include "GuiThread.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
constexpr LONG kOk = S_OK;
constexpr LONG kDefaultUsed = S_FALSE; // the default was taken
constexpr LONG kFail = E_FAIL;
constexpr LONG kInvalidArg = E_INVALIDARG;

LONG SetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
    const LONG rc = RegSetValueEx(key, name, type, static_cast<const BYTE*>(data), size);
    return rc == ERROR_SUCCESS ? kOk : kFail;
}

// One query into a buffer of capacity bytes. size is what the registry
// reported: the value's size, or capacity untouched when it is missing.
struct Query {
    LONG rc = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::vector<BYTE> data;
};

Query QueryValue(HKEY key, const char* name, DWORD capacity) {
    Query q;
    q.data.assign(std::max<DWORD>(capacity, 1), 0);
    q.size = capacity;
    q.rc = RegQueryValueEx(key, name, &q.type, q.data.data(), &q.size);
    return q;
}
} // namespace

CSettingsKey::CSettingsKey(const char* name) {
    const QByteArray path = QByteArray("Software\\Tavlin2.0\\") + name;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, path.constData(), KEY_ALL_ACCESS, &m_key) !=
        ERROR_SUCCESS)
        m_key = nullptr;
}

CSettingsKey::~CSettingsKey() {
    if (m_key)
        RegCloseKey(m_key);
}

LONG Util_WriteStringRegKey(HKEY key, const char* name, const char* value) {
    if (!value)
        return kInvalidArg;
    return SetValue(key, name, REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1));
}

LONG Util_WriteIntRegKey(HKEY key, const char* name, DWORD value) {
    return SetValue(key, name, REG_DWORD, &value, sizeof(value));
}

LONG Util_WriteBoolRegKey(HKEY key, const char* name, int value) {
    return Util_WriteIntRegKey(key, name, static_cast<DWORD>(value));
}

LONG DXUtil_WriteBinaryRegKey(HKEY key, const char* name, const void* data, DWORD size) {
    if (!data && size != 0)
        return kInvalidArg;
    return SetValue(key, name, REG_BINARY, data, size);
}

LONG Util_ReadIntRegKey(HKEY key, const char* name, DWORD* dest, DWORD def) {
    if (!dest)
        return kInvalidArg;
    const Query q = QueryValue(key, name, sizeof(DWORD));
    if (q.rc == ERROR_SUCCESS && q.type == REG_DWORD && q.size == sizeof(DWORD)) {
        std::memcpy(dest, q.data.data(), sizeof(DWORD));
        return kOk;
    }
    *dest = def;
    return kDefaultUsed;
}

LONG Util_ReadBoolRegKey(HKEY key, const char* name, int* dest, int def) {
    if (!dest)
        return kInvalidArg;
    DWORD value = 0;
    const LONG rc = Util_ReadIntRegKey(key, name, &value, static_cast<DWORD>(def));
    *dest = static_cast<int>(value);
    return rc;
}

LONG Util_ReadStringRegKeyCch(HKEY key, const char* name, char* dest, DWORD cch, const char* def) {
    if (!dest || cch == 0)
        return kInvalidArg;
    const Query q = QueryValue(key, name, cch);
    if (q.rc == ERROR_SUCCESS && q.type == REG_SZ && q.size > 0 && q.data[0] != 0) {
        std::memcpy(dest, q.data.data(), q.size);
        // A damaged value may lack its zero.
        dest[std::min<DWORD>(q.size, cch - 1)] = '\0';
        return kOk;
    }
    // Windows-1251 has no double-byte characters, so cutting never splits one.
    const std::size_t length = def ? std::min<std::size_t>(std::strlen(def), cch - 1) : 0;
    if (length)
        std::memcpy(dest, def, length);
    dest[length] = '\0';
    return kDefaultUsed;
}

LONG DXUtil_ReadBinaryRegKey(HKEY key, const char* name, void* dest, DWORD size, const void* def) {
    if (!dest)
        return kInvalidArg;
    // Read aside first: a shorter value must not leave dest half old, half new.
    const Query q = QueryValue(key, name, size);
    if (q.rc == ERROR_SUCCESS && q.type == REG_BINARY && q.size == size) {
        std::memcpy(dest, q.data.data(), size);
        return kOk;
    }
    // A missing value leaves the requested size reported; one of another
    // size reports its own.
    if (def && q.rc != ERROR_SUCCESS && q.size == size)
        std::memcpy(dest, def, size);
    else
        std::memset(dest, 0, size);
    return kDefaultUsed;
}

QString IntToStr(const int& n) {
    return QString::number(n);
}

void AfxMessageBox(const int& n) {
    const QString text = IntToStr(n);
    platform::RunOnGuiThread([&] {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text,
                        QMessageBox::Ok);
        box.exec();
    });
}

int boolToBOOL(const bool& b) {
    return b ? 1 : 0;
}

bool BOOLTobool(const int& v) {
    return v == 1;
}

void AppProcessMessage() {
    // No waiting: with nothing pending this returns at once.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
