#include "ResourceIds.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace pubres;

namespace {

HINSTANCE Pub() {
    return GetModuleResources("pub");
}

quint32 Le(const QByteArray& data, int offset, int bytes = 4) {
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(data.at(offset + i));
    return value;
}

// Whether the step from the last column (or row) to the first, where the next
// tile begins, is no bigger than the steps between neighbours inside the tile.
bool TilesSeamlessly(const QImage& tile) {
    for (const QImage& image : {tile, tile.transformed(QTransform().rotate(90))}) {
        auto distance = [&](int x1, int x2, int y) {
            const QRgb a = image.pixel(x1, y), b = image.pixel(x2, y);
            return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
        };
        const int w = image.width(), h = image.height();
        double seam = 0, inside = 0;
        for (int y = 0; y < h; ++y) {
            seam += distance(w - 1, 0, y);
            for (int x = 0; x + 1 < w; ++x)
                inside += distance(x, x + 1, y);
        }
        if (seam / h > 1.5 * inside / (double(h) * (w - 1)) + 2)
            return false;
    }
    return true;
}

} // namespace

TEST(LibraryResources, TexturesRepeatWithoutSeamsAtBothSharpnesses) {
    for (Id id : {IDB_CLOTH, IDB_BROWN_ORNAMENT, IDB_BLUE_ORNAMENT, IDB_GREEN_CROSSES}) {
        const QImage image = LoadImageResource(Pub(), id).convertToFormat(QImage::Format_RGB32);
        const QImage sharp = LoadImageResource(Pub(), id, 2).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(sharp.size(), image.size() * 2) << id;
        EXPECT_TRUE(TilesSeamlessly(image)) << id;
        // Judged at the logical size: the sharp tile's grain comes in pairs.
        EXPECT_TRUE(TilesSeamlessly(
            sharp.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)))
            << id;
    }
    // The check itself notices an ornament cut short of its repeat.
    EXPECT_FALSE(TilesSeamlessly(LoadImageResource(Pub(), IDB_BROWN_ORNAMENT).copy(0, 0, 70, 81)));
}

TEST(LibraryResources, SoundsArePcmMonoWavesAudibleAndNotClipped) {
    for (Id id : {IDW_DISTR, IDW_TAKE, IDW_CARD_GO, IDW_CARD_RESET}) {
        const QByteArray wave = LoadRawResource(Pub(), ResourceType::Wave, id);
        ASSERT_GE(wave.size(), 46) << id;
        EXPECT_EQ(wave.left(16), QByteArray("RIFF") + wave.mid(4, 4) + "WAVEfmt ") << id;
        EXPECT_EQ(Le(wave, 20), 0x00010001u) << id; // PCM, mono
        const quint32 bits = Le(wave, 34, 2), bytes = Le(wave, 40);
        EXPECT_EQ(wave.size(), 44 + qsizetype(bytes)) << id;
        int peak = 0;
        for (quint32 i = 0; i + bits / 8 <= bytes; i += bits / 8)
            peak = std::max(peak, bits == 8 ? std::abs(quint8(wave[44 + i]) - 128) * 256
                                            : std::abs(qint16(Le(wave, 44 + i, 2))));
        EXPECT_GT(peak, 0.3 * 32768) << id;
        EXPECT_LT(peak, 32767) << id;
    }
}
