#include "RegionData.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <climits>
#include <vector>

namespace {

void SetField(QByteArray& data, int offset, qint32 value) {
    qToLittleEndian(value, data.data() + offset);
}

// Header {32, 1, count, count * 16, bound}, then rectangles; all left, top, right, bottom.
QByteArray Blob(const std::vector<QRect>& rects, const QRect& bound) {
    QByteArray data(32 + 16 * int(rects.size()), '\0');
    const auto put = [&](int at, const QRect& r) {
        for (int v : {r.left(), r.top(), r.right() + 1, r.bottom() + 1}) {
            SetField(data, at, v);
            at += 4;
        }
    };
    SetField(data, 0, 32);
    SetField(data, 4, 1);
    SetField(data, 8, qint32(rects.size()));
    SetField(data, 12, qint32(rects.size() * 16));
    put(16, bound);
    for (size_t i = 0; i < rects.size(); ++i)
        put(32 + 16 * int(i), rects[i]);
    return data;
}

} // namespace

TEST(RegionData, ShapesRoundTripAndMalformedBlobsGiveNothing) {
    const QRegion ring = QRegion(10, 10, 80, 60, QRegion::Ellipse) - QRegion(30, 25, 40, 30);
    ASSERT_GT(ring.rectCount(), 20);
    EXPECT_EQ(RegionFromData(Blob({ring.begin(), ring.end()}, ring.boundingRect())), ring);
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
