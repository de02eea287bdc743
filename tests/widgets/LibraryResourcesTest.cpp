#include "RegionData.h"
#include "ResourceIds.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include <cmath>
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

TEST(LibraryResources, PicturesHaveTheirSizesAndTexturesRepeatWithoutSeams) {
    const struct {
        Id id;
        QSize size;
        QColor plain; // invalid for a drawn picture
    } pictures[] = {
        {IDB_GREEN, {8, 8}, QColor(0, 128, 0)},   {IDB_CLOTH, {64, 64}, {}},
        {IDB_BROWN_ORNAMENT, {77, 81}, {}},       {IDB_BLUE_ORNAMENT, {56, 56}, {}},
        {IDB_GREEN_CROSSES, {32, 32}, {}},        {IDB_INDIGO, {15, 15}, QColor(51, 0, 153)},
        {IDB_GREY, {15, 15}, QColor(77, 77, 77)}, {IDB_BUTTON, {105, 27}, {}},
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.id);
        const QImage image =
            LoadImageResource(Pub(), picture.id).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), picture.size);
        if (picture.plain.isValid()) {
            QImage plain(picture.size, QImage::Format_RGB32);
            plain.fill(picture.plain);
            EXPECT_EQ(image, plain);
            continue;
        }
        // The sharper rendering is exactly twice the size.
        const QImage sharp =
            LoadImageResource(Pub(), picture.id, 2).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(sharp.size(), picture.size * 2);
        if (picture.id == IDB_BUTTON) {
            // Dark green where the yellow caption goes.
            const QRgb middle = sharp.pixel(105, 27);
            EXPECT_GT(qGreen(middle), std::max(qRed(middle), qBlue(middle)) + 20);
            EXPECT_LT(qGray(middle), 110);
            continue;
        }
        // Judged at the logical size: the sharp tile's grain comes in pairs.
        EXPECT_TRUE(TilesSeamlessly(image));
        EXPECT_TRUE(TilesSeamlessly(
            sharp.scaled(picture.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
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

TEST(LibraryResources, SoundsArePcmMonoWavesOfTheirFormatAndLength) {
    const struct {
        Id id;
        quint32 rate, bits;
        double seconds;
    } sounds[] = {{IDW_DISTR, 22050, 8, 0.20},
                  {IDW_TAKE, 11025, 16, 0.13},
                  {IDW_CARD_GO, 22050, 8, 0.009},
                  {IDW_CARD_RESET, 22050, 8, 0.009}};
    for (const auto& s : sounds) {
        SCOPED_TRACE(s.id);
        const QByteArray wave = LoadRawResource(Pub(), ResourceType::Wave, s.id);
        ASSERT_GE(wave.size(), 44);
        EXPECT_EQ(wave.left(16), QByteArray("RIFF") + wave.mid(4, 4) + "WAVEfmt ");
        EXPECT_EQ(Le(wave, 20), 0x00010001u); // PCM, mono
        EXPECT_EQ(Le(wave, 24), s.rate);
        EXPECT_EQ(Le(wave, 34, 2), s.bits);
        const quint32 bytes = quint32(std::lround(s.seconds * s.rate)) * s.bits / 8;
        EXPECT_EQ(Le(wave, 40), bytes);
        EXPECT_EQ(wave.size(), 44 + qsizetype(bytes));
        // Audible and not clipped.
        int peak = 0;
        for (quint32 i = 0; i + s.bits / 8 <= bytes; i += s.bits / 8)
            peak = std::max(peak, s.bits == 8 ? std::abs(quint8(wave[44 + i]) - 128) * 256
                                              : std::abs(qint16(Le(wave, 44 + i, 2))));
        EXPECT_GT(peak, 0.3 * 32768);
        EXPECT_LT(peak, 32767);
    }
}

TEST(LibraryResources, TableShapesAreDetailedRegionsWithTheirBounds) {
    for (auto [id, bound] : {std::pair{IDR_TABLE_CARDS, QRect(QPoint(1, 1), QPoint(459, 259))},
                             {IDR_TABLE_FRAME, QRect(QPoint(0, 0), QPoint(462, 269))}}) {
        const QByteArray data = LoadRawResource(Pub(), ResourceType::Binary, id);
        const QRegion region = RegionFromData(data);
        EXPECT_EQ(region.boundingRect(), bound) << id;
        EXPECT_EQ(qsizetype(Le(data, 8)), region.rectCount()) << id;
        EXPECT_GT(region.rectCount(), 1500) << id << " is no detailed drawing";
    }
}
