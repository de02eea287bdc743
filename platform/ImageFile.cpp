#include "ImageFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr DWORD kErrorInvalidFunction = 1;
constexpr DWORD kErrorFileNotFound = 2;
constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorTooManyOpenFiles = 4;
constexpr DWORD kErrorAccessDenied = 5;
constexpr DWORD kErrorGenFailure = 31;
constexpr DWORD kErrorSharingViolation = 32;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorFilenameExcedRange = 206;
constexpr DWORD kErrorIoDevice = 1117;
constexpr DWORD kErrorCantResolveFilename = 1921;

DWORD SystemErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return kErrorFileNotFound;
    case ENOTDIR:
        return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return kErrorAccessDenied;
    case EMFILE:
    case ENFILE:
        return kErrorTooManyOpenFiles;
    case ENOMEM:
        return kErrorNotEnoughMemory;
    case ENAMETOOLONG:
        return kErrorFilenameExcedRange;
    case ELOOP:
        return kErrorCantResolveFilename;
    case EBUSY:
    case ETXTBSY:
        return kErrorSharingViolation;
    case EINVAL:
        return kErrorInvalidParameter;
    case EIO:
        return kErrorIoDevice;
    case 0:
        return kErrorInvalidFunction;
    default:
        return kErrorGenFailure;
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

DWORD ReadWholeFile(const QString& path, QByteArray* bytes, qint64 maxBytes) {
    if (!bytes)
        return kErrorInvalidParameter;
    // Non-blocking, so that a pipe or device named by mistake cannot hang us.
    const FileHandle file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return SystemErrorFromErrno(errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return SystemErrorFromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return kErrorAccessDenied;
    if (info.st_size < 0 || info.st_size > maxBytes)
        return kErrorNotEnoughMemory;
    const qsizetype size = static_cast<qsizetype>(info.st_size);

    QByteArray block;
    try {
        block = QByteArray(size, Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        return kErrorNotEnoughMemory;
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
        return kErrorHandleEof;
    *bytes = std::move(block);
    return 0;
}

QImage DecodePicture(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    if (!IsPictureFormat(reader.format()))
        return {};
    // A few bytes can claim a picture of gigabytes: judge the size before
    // decoding, and let the reader refuse what it would allocate beyond it.
    const QSize size = reader.size();
    if (size.isValid() &&
        qint64(size.width()) * size.height() * 4 > qint64(kMaxPictureDecodeMB) * 1024 * 1024)
        return {};
    reader.setAllocationLimit(kMaxPictureDecodeMB);
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace platform
