#include "MyImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>

namespace {

// Red top half, blue bottom half: shows whether a picture comes out upright.
QImage TwoBands() {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter p(&image);
    p.fillRect(0, 10, 40, 10, Qt::blue);
    return image;
}

QString WriteBytes(const QString& name, const QByteArray& bytes) {
    const QString path = QDir::current().filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// Qt writes no GIF; this one is 2 x 2, a red row over a blue one.
const unsigned char kTwoBandsGif[] = {
    'G',  'I', 'F',  '8',  '9',  'a',  2, 0, 2, 0, 0x81, 0, 0, // screen, 4 colours
    0xFF, 0,   0,    0,    0,    0xFF, 0, 0, 0, 0, 0,    0,    // red, blue, black, black
    0x2C, 0,   0,    0,    0,    2,    0, 2, 0, 0,             // image 2 x 2
    2,    3,   0x04, 0x98, 0x14, 0,                            // LZW: clear 0 0 clear 1 1 end
    0x3B};

QString Write(const QString& name, const char* format) {
    if (QByteArray(format) == "GIF")
        return WriteBytes(
            name, QByteArray(reinterpret_cast<const char*>(kTwoBandsGif), sizeof kTwoBandsGif));
    const QString path = QDir::current().filePath(name);
    EXPECT_TRUE(TwoBands().save(path, format));
    return path;
}

// Draws the picture stretched into 100 x 100 and reports the colours near
// the top and the bottom.
std::pair<QColor, QColor> Render(const CMyImage& image) {
    QImage target(120, 120, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter p(&target);
    EXPECT_EQ(image.DrawImage(&p, QRect(10, 10, 100, 100)), S_OK);
    p.end();
    EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::white)); // nothing outside
    return {target.pixelColor(60, 20), target.pixelColor(60, 100)};
}

bool IsReddish(QColor c) {
    return c.red() > 200 && c.blue() < 60;
}
bool IsBluish(QColor c) {
    return c.blue() > 200 && c.red() < 60;
}

} // namespace

TEST(MyImageTest, LoadsBitmapJpegGifAndPngAndDrawsThemUprightAndStretched) {
    // The bytes decide the format, never the name.
    for (auto [name, format] :
         {std::pair{"t.bmp", "BMP"}, {"t.jpg", "JPEG"}, {"t.gif", "GIF"}, {"png.gif", "PNG"}}) {
        SCOPED_TRACE(name);
        CMyImage image;
        const QString path = Write(name, format);
        ASSERT_EQ(image.LoadFileImage(path), S_OK);
        const auto [top, bottom] = Render(image);
        EXPECT_TRUE(IsReddish(top)) << top.name().toStdString();
        EXPECT_TRUE(IsBluish(bottom)) << bottom.name().toStdString();
        QString remembered;
        EXPECT_TRUE(image.GetImageFileName(remembered));
        EXPECT_EQ(remembered, path);
    }
}

TEST(MyImageTest, MissingFileDropsTheOldPictureAndKeepsTheNewName) {
    CMyImage image;
    ASSERT_EQ(image.LoadFileImage(Write("ok.bmp", "BMP")), S_OK);
    const QString missing = QDir::current().filePath("missing.jpg");
    EXPECT_EQ(image.LoadFileImage(missing), static_cast<HRESULT>(0x80070002));
    EXPECT_FALSE(image.HasImage());
    EXPECT_EQ(image.m_strFileName, missing);
    QString name;
    EXPECT_FALSE(image.GetImageFileName(name));
    QPainter* none = nullptr;
    EXPECT_EQ(image.DrawImage(none, QRect(0, 0, 10, 10)), static_cast<HRESULT>(0x8000FFFF));
    EXPECT_EQ(image.DeleteImage(), static_cast<HRESULT>(0x80004001));
    // A folder on the way that is a file: the path is not found.
    EXPECT_EQ(image.LoadFileImage(QDir::current().filePath("ok.bmp/x.bmp")),
              static_cast<HRESULT>(0x80070003));
    // A folder is no file to read.
    EXPECT_EQ(image.LoadFileImage(QDir::currentPath()), static_cast<HRESULT>(0x80070005));
}

TEST(MyImageTest, BytesThatAreNoPictureLeaveTheImageEmpty) {
    CMyImage image;
    ASSERT_EQ(image.LoadFileImage(Write("ok.png", "PNG")), S_OK);
    EXPECT_EQ(image.LoadFileImage(WriteBytes("junk.bmp", QByteArray(300, 'x'))),
              CTL_E_INVALIDPICTURE);
    EXPECT_FALSE(image.HasImage());
    EXPECT_EQ(image.LoadFileImage(WriteBytes("empty.jpg", QByteArray())), CTL_E_INVALIDPICTURE);
}

TEST(MyImageTest, MissingResourceKeepsThePicture) {
    CMyImage image;
    ASSERT_EQ(image.LoadFileImage(Write("ok.png", "PNG")), S_OK);
    EXPECT_EQ(image.LoadResourceImage(59999), static_cast<HRESULT>(0x80004005));
    EXPECT_TRUE(image.HasImage());
    QString name;
    EXPECT_TRUE(image.GetImageFileName(name));
    EXPECT_TRUE(name.endsWith("ok.png"));
}

TEST(MyImageTest, CopiesShareThePictureUntilEachLetsGo) {
    auto original = std::make_unique<CMyImage>();
    ASSERT_EQ(original->LoadFileImage(Write("ok.gif", "GIF")), S_OK);
    CMyImage copy(*original);
    EXPECT_EQ(copy.m_pPicture, original->m_pPicture);
    EXPECT_EQ(original->DeleteImage(), S_OK);
    original.reset();
    QString name;
    EXPECT_TRUE(copy.GetImageFileName(name));
    EXPECT_TRUE(IsReddish(Render(copy).first));
}
