#include "RegionData.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QtEndian>

#include <climits>
#include <random>
#include <vector>

namespace {

void SetField(QByteArray& data, int offset, qint32 value) {
    qToLittleEndian(value, data.data() + offset);
}

// Header {32, 1, count, count * 16, bound}, then rectangles; all left, top, right, bottom.
QByteArray Blob(const std::vector<QRect>& rects, const QRect& bound) {
    QByteArray data(32 + 16 * static_cast<int>(rects.size()), '\0');
    const auto put = [&](int at, const QRect& r) {
        for (int v : {r.left(), r.top(), r.right() + 1, r.bottom() + 1}) {
            SetField(data, at, v);
            at += 4;
        }
    };
    SetField(data, 0, 32);
    SetField(data, 4, 1);
    SetField(data, 8, static_cast<qint32>(rects.size()));
    SetField(data, 12, static_cast<qint32>(rects.size() * 16));
    put(16, bound);
    for (size_t i = 0; i < rects.size(); ++i)
        put(32 + 16 * static_cast<int>(i), rects[i]);
    return data;
}

QByteArray BlobOf(const QRegion& region) {
    return Blob(std::vector<QRect>(region.begin(), region.end()), region.boundingRect());
}

} // namespace

TEST(RegionData, ShapesRoundTripAndMalformedBlobsGiveNothing) {
    const QRegion ring = QRegion(10, 10, 80, 60, QRegion::Ellipse) - QRegion(30, 25, 40, 30);
    ASSERT_GT(ring.rectCount(), 20);
    EXPECT_EQ(RegionFromData(BlobOf(ring)), ring);
    // Rectangles need not be banded: overlapping ones in any order make their union;
    // an unknown rectangle size (zero) and trailing bytes are allowed.
    QByteArray valid = Blob({{50, 50, 10, 10}, {0, 0, 20, 10}, {10, 5, 20, 15}}, {0, 0, 60, 60});
    SetField(valid, 12, 0);
    EXPECT_EQ(RegionFromData(valid + "pad!"),
              QRegion(50, 50, 10, 10) + QRegion(0, 0, 20, 10) + QRegion(10, 5, 20, 15));

    EXPECT_TRUE(RegionFromData(QByteArray()).isEmpty());
    EXPECT_TRUE(RegionFromData(valid.left(31)).isEmpty());
    EXPECT_TRUE(RegionFromData(valid.chopped(1)).isEmpty()) << "last rectangle cut";
    const std::tuple<const char*, int, qint32> cases[] = {
        {"header size", 0, 40},
        {"type", 4, 2},
        {"count beyond the data", 8, 4},
        {"negative count", 8, -1},
        {"huge count", 8, 0x10000000},
        {"rectangle size disagrees", 12, 32},
        {"bound inverted", 24, -5},
        {"bound far out", 16, INT_MIN},
        {"rectangle inverted", 40, -1},
        {"rectangle without height", 44, 0},
        {"rectangle outside the bound", 72, 61},
        {"rectangle far out", 52, INT_MIN},
    };
    for (const auto& [what, offset, value] : cases) {
        QByteArray bad = valid;
        SetField(bad, offset, value);
        EXPECT_TRUE(RegionFromData(bad).isEmpty()) << what;
    }
}

// Damaged copies of a real blob: none may crash or read past the data, and
// whatever comes back lies inside the bounding box the blob declares.
TEST(RegionData, DamagedBlobsNeverEscapeTheirBound) {
    const QRegion ring = QRegion(10, 10, 80, 60, QRegion::Ellipse) - QRegion(30, 25, 40, 30);
    const QByteArray valid = BlobOf(ring + QRegion(100, 0, 20, 5));
    std::mt19937 random(20240601);
    const auto below = [&](qsizetype n) { return qsizetype(random() % quint32(n)); };
    const qint32 extremes[] = {0, -1, 1, INT_MIN, INT_MAX, 32, 0x7fff, -0x8000};
    int shapes = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray blob = valid;
        if (round % 3 == 0)
            blob.truncate(below(blob.size() + 1));
        else if (round % 3 == 1)
            for (int flips = 1 + int(below(8)); flips > 0; --flips) {
                const qsizetype bit = below(blob.size() * 8);
                blob[bit / 8] = char(blob[bit / 8] ^ (1 << (bit % 8)));
            }
        else
            SetField(blob, int(below(blob.size() / 4)) * 4, extremes[below(8)]);
        const QRegion region = RegionFromData(blob);
        if (region.isEmpty())
            continue;
        ++shapes;
        ASSERT_GE(blob.size(), 32);
        QDataStream in(blob); // no pointer arithmetic on a possibly shared empty array
        in.setByteOrder(QDataStream::LittleEndian);
        in.skipRawData(16);
        qint32 l = 0, t = 0, r = 0, b = 0;
        in >> l >> t >> r >> b;
        const QRect bound(QPoint(l, t), QPoint(r - 1, b - 1));
        ASSERT_TRUE(bound.contains(region.boundingRect())) << "round " << round;
    }
    EXPECT_GT(shapes, 50); // harmless damage still reads
}
