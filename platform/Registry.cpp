#include "Registry.h"

#include "Cp1251.h"
#include "PlatformLog.h"
#include "RegistryFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
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

// What tells a file's versions apart: every write replaces the file, so a new
// version has a new inode, and an edit in place changes the time or the size.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const Stamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

Stamp stampOf(const struct stat& st) {
    return Stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

// The last file read, so a start that reads many values parses it once. Kept
// only for a file whose time was already a second old when it was read: one
// changed within the clock's granularity could keep its stamp.
struct Cache {
    QString path;
    Stamp stamp;
    std::shared_ptr<const RegistryFile> content;
};

Cache& cache() {
    static Cache c;
    return c;
}

const std::shared_ptr<const RegistryFile>& emptyFile() {
    static const auto empty = std::make_shared<const RegistryFile>();
    return empty;
}

// The content of the file; an empty one when there is no file (or no folder
// for it); nullptr when a file is there that cannot be read.
std::shared_ptr<const RegistryFile> load(const QString& path) {
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return emptyFile();
    } else if (Cache& c = cache(); c.content && c.path == path && c.stamp == stampOf(st)) {
        return c.content;
    }
    const qint64 readAt = QDateTime::currentSecsSinceEpoch();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || ::fstat(file.handle(), &st) != 0 ||
        !S_ISREG(st.st_mode)) {
        qCWarning(lcPlatform) << "cannot read" << path << file.errorString();
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcPlatform) << "cannot read" << path << file.errorString();
        return nullptr;
    }
    int skipped = 0;
    auto content = std::make_shared<const RegistryFile>(RegistryFile::parse(bytes, &skipped));
    if (skipped > 0)
        qCWarning(lcPlatform) << "skipped" << skipped << "damaged lines of" << path;
    if (st.st_mtim.tv_sec + 1 < readAt)
        cache() = Cache{path, stampOf(st), content};
    return content;
}

bool makeFolder(const QString& path) {
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

// Replaces the file whole: a reader still holding the old one reads it complete.
bool save(const QString& path, const RegistryFile& content) {
    if (!makeFolder(path)) {
        qCWarning(lcPlatform) << "cannot make the folder of" << path;
        return false;
    }
    QSaveFile file(path);
    const QByteArray bytes = content.serialize();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcPlatform) << "cannot write" << path << file.errorString();
        file.cancelWriting();
        return false;
    }
    cache() = Cache{}; // too new to trust a stamp of
    return true;
}

// Another program (or another peer on this machine) may save at the same
// time: a lock file beside the registry file spans each read-modify-write
// across processes, and the file is read afresh under it.
class FileLock {
public:
    explicit FileLock(const QString& path) {
        const QByteArray name = QFile::encodeName(path + QStringLiteral(".lock"));
        m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            qCWarning(lcPlatform) << "cannot open the lock of" << path;
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        cache() = Cache{};
    }
    ~FileLock() {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_fd = -1;
};

} // namespace

HKEY const HKEY_CURRENT_USER = &g_currentUser;

QString RegistryFilePath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/Tavlin2.0/registry.ini"));
}

QString RegistryStorageProblem() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    const QString path = RegistryFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("Настройки не будут сохранены: не удаётся создать папку %1")
            .arg(QDir::toNativeSeparators(folder));
    if (!load(path))
        return QStringLiteral("Настройки не будут прочитаны и сохранены: нет доступа к файлу %1")
            .arg(QDir::toNativeSeparators(path));
    // Every write puts a new file beside the old one and renames it.
    QTemporaryFile probe(folder + QStringLiteral("/.registry-XXXXXX"));
    if (!probe.open())
        return QStringLiteral("Настройки не будут сохранены: нет доступа на запись в папку %1")
            .arg(QDir::toNativeSeparators(folder));
    return {};
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
    FileLock fileLock(key.file);
    const auto stored = load(key.file);
    if (!stored)
        return ERROR_ACCESS_DENIED;
    const bool created = !stored->keyExists(key.path);
    const QString canonical = stored->canonicalPath(key.path);
    if (created) {
        RegistryFile content = *stored;
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
    const auto content = load(key.file);
    if (!content)
        return ERROR_ACCESS_DENIED;
    if (!content->keyExists(key.path))
        return ERROR_FILE_NOT_FOUND;
    *result = addHandle(s, OpenKey{key.file, content->canonicalPath(key.path), samDesired});
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
    const auto content = load(open.file);
    if (!content)
        return ERROR_ACCESS_DENIED;
    const RegistryFile::Value* value = content->findValue(open.path, ::valueName(valueName));
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
    makeFolder(open.file);
    FileLock fileLock(open.file);
    const auto stored = load(open.file);
    if (!stored)
        return ERROR_ACCESS_DENIED; // never replace what could not be read
    RegistryFile content = *stored;
    content.setValue(open.path, ::valueName(valueName), type, *bytes);
    return save(open.file, content) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegDeleteValue(HKEY key, const char* valueName) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    OpenKey open;
    if (const LONG status = keyWithAccess(s, key, KEY_SET_VALUE, open); status != ERROR_SUCCESS)
        return status;
    makeFolder(open.file);
    FileLock fileLock(open.file);
    const auto stored = load(open.file);
    if (!stored)
        return ERROR_ACCESS_DENIED;
    RegistryFile content = *stored;
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
