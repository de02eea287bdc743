#pragma once
// Reading a picture file whole into memory and decoding it, within limits,
// with failures told in the old platform's system error numbers.

#include "WinTypes.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

// No table picture needs more; a larger file is refused before it is read.
constexpr qint64 kMaxPictureFileBytes = 32 * 1024 * 1024;
// Decoded size at most, in megabytes: a 32-megapixel photograph fits.
constexpr int kMaxPictureDecodeMB = 128;

// System error numbers the callers tell apart from the rest.
constexpr DWORD kErrorNotEnoughMemory = 8;
// The file ended before its size: a short read.
constexpr DWORD kErrorHandleEof = 38;

// Reads the regular file at path into *bytes. Returns 0, or the system error
// that stopped it: a missing file, a folder or a pipe, a file larger than
// maxBytes (kErrorNotEnoughMemory), a short read (kErrorHandleEof).
DWORD ReadWholeFile(const QString& path, QByteArray* bytes, qint64 maxBytes = kMaxPictureFileBytes);

// A bitmap, JPEG, GIF or PNG picture, told by its bytes, never by a name.
// Null for anything else, or when it would decode to more than
// kMaxPictureDecodeMB.
QImage DecodePicture(const QByteArray& bytes);

} // namespace platform
