#include "ImageFile.h"

#include "WinError.h"

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
        return kErrorNotEnoughMemory;
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

DWORD ReadWholeFile(const QString& path, QByteArray* bytes, qint64 maxBytes) {
    if (!bytes)
        return ERROR_INVALID_PARAMETER;
    // Non-blocking, so that a pipe or device named by mistake cannot hang us.
    const FileHandle file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return SystemErrorFromErrno(errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return SystemErrorFromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return ERROR_ACCESS_DENIED;
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
