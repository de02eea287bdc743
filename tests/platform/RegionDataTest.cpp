#include "RegionData.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QtEndian>

#include <climits>
#include <random>
#include <vector>

namespace {

struct Box {
    qint32 left, top, right, bottom;
};

void Put(QByteArray& data, qint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    data.append(bytes, 4);
}

QByteArray Blob(const std::vector<Box>& rects, const Box& bound) {
    QByteArray data;
    for (qint32 v : {32, 1, qint32(rects.size()), qint32(rects.size() * 16), bound.left, bound.top,
                     bound.right, bound.bottom})
        Put(data, v);
    for (const Box& r : rects)
        for (qint32 v : {r.left, r.top, r.right, r.bottom})
            Put(data, v);
    return data;
}

// The region's own rectangles, in its banded order, as the platform stores them.
QByteArray BlobOf(const QRegion& region) {
    std::vector<Box> rects;
    for (const QRect& r : region)
        rects.push_back({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    const QRect b = region.boundingRect();
    return Blob(rects, {b.left(), b.top(), b.right() + 1, b.bottom() + 1});
}

void SetField(QByteArray& data, int offset, qint32 value) {
    qToLittleEndian(value, data.data() + offset);
}

QRegion Sample() {
    QRegion ring = QRegion(10, 10, 80, 60, QRegion::Ellipse) - QRegion(30, 25, 40, 30);
    return ring + QRegion(100, 0, 20, 5) + QRegion(-7, 75, 3, 3);
}

} // namespace

TEST(RegionData, RoundTripKeepsTheShape) {
    const QRegion region = Sample();
    ASSERT_GT(region.rectCount(), 20);
    EXPECT_EQ(RegionFromData(BlobOf(region)), region);

    // An unknown rectangle size (zero) and trailing bytes are allowed.
    QByteArray loose = BlobOf(region);
    SetField(loose, 12, 0);
    loose.append("pad!", 4);
    EXPECT_EQ(RegionFromData(loose), region);

    // Rectangles need not be banded: overlapping ones in any order make their union.
    const QByteArray scattered =
        Blob({{50, 50, 60, 60}, {0, 0, 20, 10}, {10, 5, 30, 20}}, {0, 0, 60, 60});
    EXPECT_EQ(RegionFromData(scattered),
              QRegion(50, 50, 10, 10) + QRegion(0, 0, 20, 10) + QRegion(10, 5, 20, 15));

    EXPECT_TRUE(RegionFromData(Blob({}, {0, 0, 0, 0})).isEmpty());
}

TEST(RegionData, MalformedBlobsGiveAnEmptyRegion) {
    const QByteArray valid =
        Blob({{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 10, 30, 20}}, {0, 0, 30, 20});
    ASSERT_FALSE(RegionFromData(valid).isEmpty());

    EXPECT_TRUE(RegionFromData(QByteArray()).isEmpty());
    EXPECT_TRUE(RegionFromData(valid.left(31)).isEmpty());
    EXPECT_TRUE(RegionFromData(valid.left(valid.size() - 1)).isEmpty()) << "last rectangle cut";

    struct Case {
        const char* what;
        int offset;
        qint32 value;
    };
    const Case cases[] = {
        {"header size", 0, 40},
        {"type", 4, 2},
        {"count beyond the data", 8, 4},
        {"negative count", 8, -1},
        {"huge count", 8, 0x10000000},
        {"rectangle size disagrees", 12, 32},
        {"bound inverted", 24, -5},
        {"bound far out", 16, INT_MIN},
        {"rectangle inverted", 32 + 8, -1},
        {"rectangle without width", 32 + 8, 0},
        {"rectangle without height", 32 + 12, 0},
        {"rectangle outside the bound", 64 + 8, 31},
        {"rectangle far out", 48 + 4, INT_MIN},
    };
    for (const Case& c : cases) {
        QByteArray bad = valid;
        SetField(bad, c.offset, c.value);
        EXPECT_TRUE(RegionFromData(bad).isEmpty()) << c.what;
    }
}

// Damaged copies of a real blob: none may crash or read past the data, and
// whatever comes back lies inside the bounding box the blob declares.
TEST(RegionData, DamagedBlobsNeverEscapeTheirBound) {
    const QByteArray valid = BlobOf(Sample());
    std::mt19937 random(20240601);
    auto below = [&](qsizetype n) { return qsizetype(random() % quint32(n)); };
    int shapes = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray blob = valid;
        switch (round % 5) {
        case 0:
            blob.truncate(below(blob.size() + 1));
            break;
        case 1:
            for (int flips = 1 + int(below(8)); flips > 0; --flips) {
                const qsizetype bit = below(blob.size() * 8);
                blob[bit / 8] = char(blob[bit / 8] ^ (1 << (bit % 8)));
            }
            break;
        case 2: {
            const qint32 extremes[] = {0, -1, 1, INT_MIN, INT_MAX, 32, 0x7fff, -0x8000};
            SetField(blob, int(below(blob.size() / 4)) * 4, extremes[below(8)]);
            break;
        }
        case 3:
            SetField(blob, int(below(8)) * 4, qint32(random()));
            break;
        default:
            blob = QByteArray(below(200), '\0');
            for (char& c : blob)
                c = char(random());
            if (blob.size() >= 8 && below(2)) {
                SetField(blob, 0, 32); // past the first checks more often
                SetField(blob, 4, 1);
            }
            break;
        }
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
        const QRect box = region.boundingRect();
        ASSERT_TRUE(box.left() >= l && box.top() >= t && box.right() < r && box.bottom() < b)
            << "round " << round;
    }
    // Harmless damage (a flipped bit in a rectangle that stays inside) still reads.
    EXPECT_GT(shapes, 50);
}
