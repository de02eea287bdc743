#include "ResourceIds.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include <cstdlib>

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

// How much the last column differs from the first (where the next tile
// begins) against neighbouring columns inside the tile, in both directions.
bool TilesSeamlessly(const QImage& tile) {
    auto seamless = [](const QImage& image) {
        auto distance = [](QRgb a, QRgb b) {
            return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
        };
        const int w = image.width(), h = image.height();
        double seam = 0, inside = 0;
        for (int y = 0; y < h; ++y) {
            seam += distance(image.pixel(w - 1, y), image.pixel(0, y));
            for (int x = 0; x + 1 < w; ++x)
                inside += distance(image.pixel(x, y), image.pixel(x + 1, y));
        }
        return seam / h <= 1.5 * inside / (double(h) * (w - 1)) + 2;
    };
    return seamless(tile) && seamless(tile.transformed(QTransform().rotate(90)));
}

} // namespace

TEST(LibraryResources, TexturesRepeatWithoutSeamsAtBothSharpnesses) {
    for (Id id : {IDB_CLOTH, IDB_BROWN_ORNAMENT, IDB_BLUE_ORNAMENT, IDB_GREEN_CROSSES}) {
        const QImage image = LoadImageResource(Pub(), id).convertToFormat(QImage::Format_RGB32);
        const QImage sharp = LoadImageResource(Pub(), id, 2);
        ASSERT_EQ(sharp.size(), image.size() * 2) << id;
        // Judged at the logical size: the sharp tile's grain comes in pairs.
        EXPECT_TRUE(TilesSeamlessly(image)) << id;
        EXPECT_TRUE(TilesSeamlessly(
            sharp.convertToFormat(QImage::Format_RGB32)
                .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)))
            << id;
    }
    // The check itself notices an ornament cut short of its repeat.
    EXPECT_FALSE(TilesSeamlessly(LoadImageResource(Pub(), IDB_BROWN_ORNAMENT).copy(0, 0, 70, 81)));
}

TEST(LibraryResources, SuitIconsShowTheirOwnSignOnAWhiteTile) {
    QList<QImage> seen;
    for (auto [id, red] : {std::pair{IDI_SPADES, false},
                           {IDI_HEARTS, true},
                           {IDI_DIAMONDS, true},
                           {IDI_CLUBS, false}}) {
        const QIcon icon = LoadIconResource(Pub(), id);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16))) << id;
        const QImage image = icon.pixmap(32, 32).toImage();
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_LT(qAlpha(image.pixel(0, 0)), 64) << "rounded corner";
        int white = 0, redInk = 0, blackInk = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRgb c = image.pixel(x, y);
                white += qAlpha(c) > 250 && qGray(c) > 220;
                redInk += qAlpha(c) > 250 && qRed(c) > 140 && qGreen(c) < 90 && qBlue(c) < 90;
                blackInk += qAlpha(c) > 250 && qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90;
            }
        EXPECT_GT(white, 256) << id;
        EXPECT_GT(red ? redInk : blackInk, 64) << id;
        EXPECT_LT(red ? blackInk : redInk, 10) << id;
        EXPECT_FALSE(seen.contains(image)) << id << " looks like another suit";
        seen << image;
    }
}

TEST(LibraryResources, SoundsArePcmMonoWavesAudibleAndNotClipped) {
    for (Id id : {IDW_DISTR, IDW_TAKE, IDW_CARD_GO, IDW_CARD_RESET}) {
        SCOPED_TRACE(id);
        const QByteArray wave = LoadRawResource(Pub(), ResourceType::Wave, id);
        ASSERT_GE(wave.size(), 46);
        EXPECT_EQ(wave.left(16), QByteArray("RIFF") + wave.mid(4, 4) + "WAVEfmt ");
        EXPECT_EQ(Le(wave, 20), 0x00010001u); // PCM, mono
        const quint32 bits = Le(wave, 34, 2), bytes = Le(wave, 40);
        EXPECT_EQ(wave.size(), 44 + qsizetype(bytes));
        int peak = 0;
        for (quint32 i = 0; i + bits / 8 <= bytes; i += bits / 8)
            peak = std::max(peak, bits == 8 ? std::abs(quint8(wave[44 + i]) - 128) * 256
                                            : std::abs(qint16(Le(wave, 44 + i, 2))));
        EXPECT_GT(peak, 0.3 * 32768);
        EXPECT_LT(peak, 32767);
    }
}
