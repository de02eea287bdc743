#include "MyImage.h"

#include "Resources.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The system error codes the picture code reports.
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_IO_DEVICE = 1117;
constexpr DWORD ERROR_CANT_RESOLVE_FILENAME = 1921;

DWORD SystemErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EIO:
        return ERROR_IO_DEVICE;
    case 0:
        return ERROR_INVALID_FUNCTION;
    default:
        return ERROR_GEN_FAILURE;
    }
}

// Closes the descriptor on every way out.
class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool IsPictureFormat(const QByteArray& format) {
    return format == "bmp" || format == "jpeg" || format == "gif" || format == "png";
}

} // namespace

HRESULT CMyImage::LoadFileImage(const QString& path) {
    m_strFileName = path;
    QByteArray stream;
    const HRESULT hr = FileToStream(path, &stream);
    m_pPicture.reset();
    if (hr != S_OK)
        return hr;
    return LoadFromStream(stream);
}

HRESULT CMyImage::FileToStream(const QString& path, QByteArray* stream) {
    if (!stream)
        return E_POINTER;
    // Non-blocking, so that a pipe or device named by mistake cannot hang us.
    const FileHandle file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return HRESULT_FROM_WIN32(SystemErrorFromErrno(errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return HRESULT_FROM_WIN32(SystemErrorFromErrno(errno));
    if (!S_ISREG(info.st_mode))
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    if (info.st_size < 0 || info.st_size >= std::numeric_limits<qsizetype>::max() / 2)
        return E_OUTOFMEMORY;
    const qsizetype size = static_cast<qsizetype>(info.st_size);

    QByteArray block;
    try {
        block = QByteArray(size, Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    qsizetype done = 0;
    while (done < size) {
        const ssize_t got =
            ::read(file.get(), block.data() + done, static_cast<size_t>(size - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    if (done < size)
        return E_FAIL;
    *stream = std::move(block);
    return S_OK;
}

HRESULT CMyImage::LoadResourceImage(UINT id) {
    HINSTANCE module = GetModuleResources("pub");
    if (!HasResource(module, ResourceType::Binary, id))
        return E_FAIL;
    QByteArray stream;
    try {
        stream = LoadRawResource(module, ResourceType::Binary, id);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_pPicture.reset();
    return LoadFromStream(stream);
}

HRESULT CMyImage::LoadFromStream(const QByteArray& stream) {
    QBuffer buffer;
    buffer.setData(stream);
    if (!buffer.open(QIODevice::ReadOnly))
        return E_UNEXPECTED;
    // The bytes decide the format, never a file name; only the formats the
    // table picture may have are accepted.
    QImageReader reader(&buffer);
    if (!IsPictureFormat(reader.format()))
        return CTL_E_INVALIDPICTURE;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return CTL_E_INVALIDPICTURE;
    m_pPicture = std::make_shared<const QImage>(std::move(image));
    return S_OK;
}

HRESULT CMyImage::DrawImage(QPainter* dc, const QRect& rc) const {
    if (!m_pPicture)
        return E_UNEXPECTED;
    if (!dc)
        return E_POINTER;
    dc->drawImage(rc, *m_pPicture);
    return S_OK;
}

HRESULT CMyImage::DeleteImage() {
    if (!m_pPicture)
        return E_NOTIMPL;
    m_pPicture.reset();
    return S_OK;
}

bool CMyImage::GetImageFileName(QString& name) const {
    if (!m_pPicture)
        return false;
    name = m_strFileName;
    return true;
}
