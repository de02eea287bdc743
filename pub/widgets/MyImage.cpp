#include "MyImage.h"

#include "ImageFile.h"
#include "Resources.h"

#include <QPainter>

#include <new>

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
    switch (const DWORD error = platform::ReadWholeFile(path, stream)) {
    case 0:
        return S_OK;
    case platform::kErrorNotEnoughMemory:
        return E_OUTOFMEMORY;
    case platform::kErrorHandleEof:
        return E_FAIL;
    default:
        return HRESULT_FROM_WIN32(error);
    }
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
    QImage image = platform::DecodePicture(stream);
    if (image.isNull())
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
