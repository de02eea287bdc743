#pragma once
// One picture (bitmap, JPEG, GIF or PNG) loaded from a file or from a binary
// resource of the library, drawn stretched into a rectangle. Results are the
// system's status codes; 0 is success.

#include "WinTypes.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <memory>

class QPainter;

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
// What the picture loader answers for bytes that are no picture it knows.
constexpr HRESULT CTL_E_INVALIDPICTURE = static_cast<HRESULT>(0x800A01E1);

// A system error code as a status: 0x8007xxxx.
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) {
    return error == 0 ? S_OK : static_cast<HRESULT>((error & 0x0000FFFF) | 0x80070000);
}

class CMyImage {
public:
    CMyImage() = default;
    // Copies share the picture and copy the file name.
    CMyImage(const CMyImage&) = default;
    CMyImage& operator=(const CMyImage&) = default;
    ~CMyImage() = default;

    // Remembers the name, drops the current picture and loads the file's.
    HRESULT LoadFileImage(const QString& path);
    // Reads the whole file into stream; failures are system errors as
    // statuses, E_OUTOFMEMORY for a file over platform::kMaxPictureFileBytes,
    // E_FAIL for a short read.
    HRESULT FileToStream(const QString& path, QByteArray* stream);
    // A "BINARY" resource of the library; a missing one keeps the picture.
    HRESULT LoadResourceImage(UINT id);
    // Renders the whole picture upright, stretched into rc.
    HRESULT DrawImage(QPainter* dc, const QRect& rc) const;
    HRESULT DeleteImage();
    bool GetImageFileName(QString& name) const;

    bool HasImage() const { return m_pPicture != nullptr; }

    std::shared_ptr<const QImage> m_pPicture;
    QString m_strFileName;

private:
    // CTL_E_INVALIDPICTURE for bytes that are no picture or too big a one.
    HRESULT LoadFromStream(const QByteArray& stream);
};
