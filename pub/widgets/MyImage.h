#pragma once
// One picture (bitmap, JPEG, GIF or PNG) loaded from a file or from a binary
// resource of the library, drawn stretched into a rectangle. Results are the
// system's status codes; 0 is success.

#include "WinError.h"
#include "WinTypes.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <memory>

class QPainter;

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
