#include "RegionData.h"

#include <QRect>
#include <QtEndian>

#include <utility>
#include <vector>

namespace {

constexpr qsizetype kHeaderSize = 32;
constexpr qsizetype kRectSize = 16;
constexpr quint32 kRectangles = 1; // RDH_RECTANGLES
// Beyond what any screen needs; keeps every width and height well inside int.
constexpr qint32 kMaxCoordinate = 1 << 27;
constexpr quint32 kMaxCount = 1u << 20;

struct Box {
    qint32 left, top, right, bottom;
};

Box ReadBox(const char* at) {
    return {qFromLittleEndian<qint32>(at), qFromLittleEndian<qint32>(at + 4),
            qFromLittleEndian<qint32>(at + 8), qFromLittleEndian<qint32>(at + 12)};
}

bool InRange(qint32 v) {
    return v >= -kMaxCoordinate && v <= kMaxCoordinate;
}

bool Sane(const Box& b) {
    return InRange(b.left) && InRange(b.top) && InRange(b.right) && InRange(b.bottom) &&
           b.left <= b.right && b.top <= b.bottom;
}

} // namespace

QRegion RegionFromData(const QByteArray& blob) {
    if (blob.size() < kHeaderSize)
        return {};
    const char* data = blob.constData();
    const quint32 headerSize = qFromLittleEndian<quint32>(data);
    const quint32 type = qFromLittleEndian<quint32>(data + 4);
    const quint32 count = qFromLittleEndian<quint32>(data + 8);
    const quint32 rectBytes = qFromLittleEndian<quint32>(data + 12);
    if (headerSize != kHeaderSize || type != kRectangles || count > kMaxCount)
        return {};
    if (qsizetype(count) > (blob.size() - kHeaderSize) / kRectSize)
        return {};
    // Zero means "size not known", as the platform allows.
    if (rectBytes != 0 && rectBytes != count * kRectSize)
        return {};
    const Box bound = ReadBox(data + 16);
    if (!Sane(bound))
        return {};

    std::vector<QRegion> parts;
    parts.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        const Box r = ReadBox(data + kHeaderSize + qsizetype(i) * kRectSize);
        if (!Sane(r) || r.left == r.right || r.top == r.bottom || r.left < bound.left ||
            r.top < bound.top || r.right > bound.right || r.bottom > bound.bottom)
            return {};
        parts.emplace_back(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    // Pairwise merging keeps rectangles in any order from costing quadratic time.
    while (parts.size() > 1) {
        std::vector<QRegion> merged;
        merged.reserve(parts.size() / 2 + 1);
        for (size_t i = 0; i + 1 < parts.size(); i += 2)
            merged.push_back(parts[i].united(parts[i + 1]));
        if (parts.size() % 2)
            merged.push_back(std::move(parts.back()));
        parts = std::move(merged);
    }
    return parts.empty() ? QRegion() : parts.front();
}
