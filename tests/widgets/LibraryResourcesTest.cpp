#include "RegionData.h"
#include "Resources.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QIcon>
#include <QImage>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

HINSTANCE Pub() {
    return GetModuleResources("pub");
}

int Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

// How much neighbouring columns differ: across the join of the right edge to
// the left edge (where the next tile begins) and, on average, inside the tile.
// Per pixel for sharp ornaments, and on column averages for soft clouds that
// grain would hide.
struct Joins {
    double seam = 0, inside = 0;
    double profileSeam = 0, profileInside = 0;
};

Joins ColumnJoins(const QImage& image) {
    const int w = image.width(), h = image.height();
    Joins j;
    std::vector<double> profile(w, 0.0);
    for (int y = 0; y < h; ++y) {
        j.seam += Distance(image.pixel(w - 1, y), image.pixel(0, y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            profile[x] += double(qRed(c) + qGreen(c) + qBlue(c)) / h;
            if (x + 1 < w)
                j.inside += Distance(c, image.pixel(x + 1, y));
        }
    }
    j.seam /= h;
    j.inside /= double(h) * (w - 1);
    j.profileSeam = std::abs(profile[w - 1] - profile[0]);
    for (int x = 0; x + 1 < w; ++x)
        j.profileInside += std::abs(profile[x + 1] - profile[x]) / (w - 1);
    return j;
}

bool JoinsSeamlessly(const Joins& j) {
    return j.seam <= 1.5 * j.inside + 2 && j.profileSeam <= 2.5 * j.profileInside + 1;
}

// Both directions: columns as they are, rows by turning the tile.
bool TilesSeamlessly(const QImage& tile) {
    return JoinsSeamlessly(ColumnJoins(tile)) &&
           JoinsSeamlessly(ColumnJoins(tile.transformed(QTransform().rotate(90))));
}

double Luminance(QRgb c) {
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

struct Picture {
    UINT id;
    QSize size;
    std::optional<QColor> plain;
};

const Picture kPictures[] = {
    {8025, {8, 8}, QColor(0, 128, 0)},
    {8019, {64, 64}, {}},
    {8024, {77, 81}, {}},
    {8020, {56, 56}, {}},
    {8022, {32, 32}, {}},
    {8026, {15, 15}, QColor(51, 0, 153)},
    {8021, {15, 15}, QColor(77, 77, 77)},
    {8023, {105, 27}, {}},
};

// Read through a stream: pointer arithmetic on constData() makes the
// optimiser warn about Qt's shared empty array.
template <typename T> T Le(const QByteArray& data, int offset) {
    QDataStream in(data);
    in.setByteOrder(QDataStream::LittleEndian);
    in.skipRawData(offset);
    T value = 0;
    in >> value;
    return value;
}
quint32 Le32(const QByteArray& data, int offset) {
    return Le<quint32>(data, offset);
}
quint16 Le16(const QByteArray& data, int offset) {
    return Le<quint16>(data, offset);
}

} // namespace

TEST(LibraryResources, PicturesHaveTheirSizesAndPlainOnesTheirColour) {
    for (const Picture& picture : kPictures) {
        SCOPED_TRACE(picture.id);
        ASSERT_TRUE(HasResource(Pub(), ResourceType::Bitmap, picture.id));
        const QImage image = LoadImageResource(Pub(), picture.id);
        ASSERT_EQ(image.size(), picture.size);
        EXPECT_FALSE(LoadBitmapResource(Pub(), picture.id).isNull());
        QList<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!colours.contains(image.pixel(x, y)) && colours.size() < 50)
                    colours << image.pixel(x, y);
        if (picture.plain) {
            ASSERT_EQ(colours.size(), 1);
            EXPECT_EQ(QColor(colours.front()), *picture.plain);
        } else {
            EXPECT_GE(colours.size(), 50) << "a drawn picture, not a fill";
            // Where a sharper rendering exists it is exactly twice the size.
            const QImage sharp = LoadImageResource(Pub(), picture.id, 2);
            EXPECT_TRUE(sharp.size() == picture.size || sharp.size() == picture.size * 2);
        }
    }
}

TEST(LibraryResources, TexturesRepeatWithoutSeams) {
    for (const Picture& picture : kPictures) {
        if (picture.id == 8023)
            continue; // the button face is not tiled
        for (int scale : {1, 2}) {
            // Judged at the logical size: the sharp tile's pixels come in pairs.
            const QImage tile =
                LoadImageResource(Pub(), picture.id, scale)
                    .scaled(picture.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            EXPECT_TRUE(TilesSeamlessly(tile)) << picture.id << " at " << scale;
        }
    }
    // The check itself notices an ornament cut short of its repeat.
    const QImage ornament = LoadImageResource(Pub(), 8024);
    EXPECT_FALSE(TilesSeamlessly(ornament.copy(0, 0, 70, 81)));
    EXPECT_FALSE(TilesSeamlessly(ornament.copy(0, 0, 77, 74)));
}

TEST(LibraryResources, ButtonFaceCarriesAYellowCaption) {
    for (int scale : {1, 2}) {
        const QImage face = LoadImageResource(Pub(), 8023, scale);
        ASSERT_EQ(face.size(), QSize(105, 27) * scale);
        // Where the caption sits, the face is dark enough for yellow text.
        double luminance = 0;
        int count = 0;
        for (int y = 6 * scale; y < 21 * scale; ++y)
            for (int x = 8 * scale; x < 97 * scale; ++x, ++count)
                luminance += Luminance(face.pixel(x, y));
        luminance /= count;
        const double contrast = (Luminance(qRgb(255, 255, 0)) + 0.05) / (luminance + 0.05);
        EXPECT_GE(contrast, 4.5) << scale;
        // And it is green.
        const QRgb middle = face.pixel(face.width() / 2, face.height() / 2);
        EXPECT_GT(qGreen(middle), qRed(middle) + 20);
        EXPECT_GT(qGreen(middle), qBlue(middle) + 20);
    }
}

TEST(LibraryResources, SuitIconsShowTheirSignOnAWhiteTile) {
    struct Suit {
        UINT id;
        bool red;
    };
    const Suit suits[] = {{8003, false}, {8004, true}, {8005, true}, {8016, false}};
    std::vector<QImage> seen;
    for (const Suit& suit : suits) {
        const QIcon icon = LoadIconResource(Pub(), suit.id);
        const QList<QSize> sizes = icon.availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32))) << suit.id;
        for (int size : {16, 32}) {
            SCOPED_TRACE(testing::Message() << suit.id << " at " << size);
            const QImage image = icon.pixmap(size, size).toImage();
            ASSERT_EQ(image.size(), QSize(size, size));
            EXPECT_LT(qAlpha(image.pixel(0, 0)), 64) << "rounded corner";
            int white = 0, red = 0, black = 0;
            QRect ink;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const QRgb c = image.pixel(x, y);
                    if (qAlpha(c) < 250)
                        continue;
                    const bool isRed = qRed(c) > 140 && qGreen(c) < 90 && qBlue(c) < 90;
                    const bool isBlack = qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90;
                    white += qRed(c) > 220 && qGreen(c) > 220 && qBlue(c) > 220;
                    red += isRed;
                    black += isBlack;
                    if (isRed || isBlack)
                        ink |= QRect(x, y, 1, 1);
                }
            EXPECT_GT(white, size * size / 4);
            EXPECT_GT(suit.red ? red : black, size * size / 16);
            EXPECT_LT(suit.red ? black : red, size * size / 100);
            EXPECT_LE(std::abs(ink.center().x() - size / 2), size / 8 + 1);
            EXPECT_LE(std::abs(ink.center().y() - size / 2), size / 8 + 1);
            if (size == 32)
                seen.push_back(image);
        }
    }
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t k = i + 1; k < seen.size(); ++k)
            EXPECT_NE(seen[i], seen[k]) << "icons " << i << " and " << k << " are alike";
}

TEST(LibraryResources, SoundsArePcmWavesOfTheirFormatAndLength) {
    struct Sound {
        UINT id;
        quint32 rate;
        quint16 bits;
        double seconds;
        bool loops;
    };
    const Sound sounds[] = {{8034, 22050, 8, 0.20, true},
                            {8035, 11025, 16, 0.13, true},
                            {8032, 22050, 8, 0.009, false},
                            {8033, 22050, 8, 0.009, false}};
    for (const Sound& s : sounds) {
        SCOPED_TRACE(s.id);
        const QByteArray wave = LoadRawResource(Pub(), ResourceType::Wave, s.id);
        ASSERT_GE(wave.size(), 44);
        EXPECT_EQ(wave.left(4), "RIFF");
        EXPECT_EQ(Le32(wave, 4), quint32(wave.size() - 8));
        EXPECT_EQ(wave.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(Le32(wave, 16), 16u);
        EXPECT_EQ(Le16(wave, 20), 1u); // PCM
        EXPECT_EQ(Le16(wave, 22), 1u); // mono
        EXPECT_EQ(Le32(wave, 24), s.rate);
        EXPECT_EQ(Le32(wave, 28), s.rate * s.bits / 8);
        EXPECT_EQ(Le16(wave, 32), s.bits / 8);
        EXPECT_EQ(Le16(wave, 34), s.bits);
        EXPECT_EQ(wave.mid(36, 4), "data");
        const quint32 samples = quint32(std::lround(s.seconds * s.rate));
        ASSERT_EQ(Le32(wave, 40), samples * s.bits / 8);
        ASSERT_EQ(wave.size(), 44 + qsizetype(samples * s.bits / 8));

        // Samples as -1..1; 8-bit PCM is unsigned around 128.
        std::vector<double> v;
        for (quint32 i = 0; i < samples; ++i)
            v.push_back(s.bits == 8 ? (quint8(wave[44 + i]) - 128) / 128.0
                                    : qint16(Le16(wave, 44 + int(i) * 2)) / 32768.0);
        double peak = 0;
        for (double x : v)
            peak = std::max(peak, std::abs(x));
        EXPECT_GT(peak, 0.3) << "audible";
        EXPECT_LT(peak, 0.999) << "not clipped";
        if (s.loops) {
            // The loop joins in a quiet moment, so repeating it does not click.
            const size_t edge = s.rate / 500; // 2 ms
            double energy = 0;
            for (size_t i = 0; i < edge; ++i)
                energy += v[i] * v[i] + v[v.size() - 1 - i] * v[v.size() - 1 - i];
            EXPECT_LT(std::sqrt(energy / (2 * edge)), 0.1 * peak);
        } else
            EXPECT_LT(std::abs(v.back()), 0.05) << "the click dies away";
    }
}

TEST(LibraryResources, TableShapesAreDetailedRegionsWithTheirBounds) {
    struct Shape {
        UINT id;
        QRect bound;
    };
    const Shape shapes[] = {{8028, QRect(QPoint(1, 1), QPoint(459, 259))},
                            {8027, QRect(QPoint(0, 0), QPoint(462, 269))}};
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.id);
        const QByteArray data = LoadRawResource(Pub(), ResourceType::Binary, shape.id);
        const QRegion region = RegionFromData(data);
        ASSERT_FALSE(region.isEmpty());
        EXPECT_EQ(region.boundingRect(), shape.bound);
        const QRect declared(QPoint(qint32(Le32(data, 16)), qint32(Le32(data, 20))),
                             QPoint(qint32(Le32(data, 24)) - 1, qint32(Le32(data, 28)) - 1));
        EXPECT_EQ(declared, shape.bound);

        // Stored as the platform makes regions: its own bands, in its order.
        const quint32 count = Le32(data, 8);
        ASSERT_EQ(qsizetype(count), region.rectCount());
        EXPECT_GT(count, 1500u) << "a detailed drawing";
        int i = 0;
        for (const QRect& r : region) {
            const int at = 32 + 16 * i++;
            ASSERT_EQ(
                QRect(QPoint(qint32(Le32(data, at)), qint32(Le32(data, at + 4))),
                      QPoint(qint32(Le32(data, at + 8)) - 1, qint32(Le32(data, at + 12)) - 1)),
                r);
        }

        // A silhouette that reads on the cloth: neither a block nor a sprinkle.
        qint64 area = 0;
        for (const QRect& r : region)
            area += qint64(r.width()) * r.height();
        const double cover = double(area) / (shape.bound.width() * shape.bound.height());
        EXPECT_GT(cover, 0.12);
        EXPECT_LT(cover, 0.6);
    }

    // The border runs along all four sides; the emblem sits in the middle.
    const QRegion frame = RegionFromData(LoadRawResource(Pub(), ResourceType::Binary, 8027));
    for (const QRect& side : {QRect(100, 0, 263, 20), QRect(100, 250, 263, 20),
                              QRect(0, 80, 20, 110), QRect(443, 80, 20, 110)})
        EXPECT_GT(frame.intersected(side).rectCount(), 0) << side.x() << "," << side.y();
    EXPECT_GT(frame.intersected(QRect(211, 115, 40, 40)).rectCount(), 0);
    EXPECT_TRUE(frame.intersected(QRect(60, 60, 60, 40)).isEmpty()) << "open inside the border";
}
