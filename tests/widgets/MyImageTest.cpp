#include "MyImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>

namespace {

QString WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile file(QDir::current().filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

// Red top half, blue bottom half: shows whether a picture comes out upright.
// Qt writes no GIF; this one is 2 x 2, a red row over a blue one.
QString TwoBands(const QString& name, const char* format) {
    if (QByteArray(format) == "GIF")
        return WriteBytes(name,
                          QByteArray::fromHex("47494638396102000200810000ff00000000ff00"
                                              "00000000002c0000000002000200000203049814003b"));
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter(&image).fillRect(0, 10, 40, 10, Qt::blue);
    const QString path = QDir::current().filePath(name);
    EXPECT_TRUE(image.save(path, format));
    return path;
}

// The picture stretched into (10, 10, 100, 100): colours near its top and bottom.
std::pair<QColor, QColor> Render(const CMyImage& image) {
    QImage target(120, 120, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter p(&target);
    EXPECT_EQ(image.DrawImage(&p, QRect(10, 10, 100, 100)), S_OK);
    p.end();
    EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::white)); // nothing outside
    return {target.pixelColor(60, 20), target.pixelColor(60, 100)};
}

} // namespace

TEST(MyImageTest, LoadsEveryFormatByItsBytesAndDrawsItUprightAndStretched) {
    for (auto [name, format] :
         {std::pair{"t.bmp", "BMP"}, {"t.jpg", "JPEG"}, {"t.gif", "GIF"}, {"png.gif", "PNG"}}) {
        SCOPED_TRACE(name);
        CMyImage image;
        const QString path = TwoBands(name, format);
        ASSERT_EQ(image.LoadFileImage(path), S_OK);
        const auto [top, bottom] = Render(image);
        EXPECT_TRUE(top.red() > 200 && top.blue() < 60) << top.name().toStdString();
        EXPECT_TRUE(bottom.blue() > 200 && bottom.red() < 60) << bottom.name().toStdString();
        // Copies share the picture and outlive the original.
        auto copy = std::make_unique<CMyImage>(image);
        EXPECT_EQ(image.DeleteImage(), S_OK);
        QString remembered;
        EXPECT_TRUE(copy->GetImageFileName(remembered));
        EXPECT_EQ(remembered, path);
    }
}

TEST(MyImageTest, WhatCannotBeReadOrShownLeavesTheImageEmptyWithItsStatus) {
    const QString ok = TwoBands("ok.bmp", "BMP");
    // A bitmap claiming 30000 x 30000 pixels in a few bytes.
    QFile small(ok);
    ASSERT_TRUE(small.open(QIODevice::ReadOnly));
    QByteArray huge = small.readAll();
    huge.replace(18, 8, QByteArray::fromHex("3075000030750000"));
    // A file over the size any table picture needs, made sparse.
    QFile big(QDir::current().filePath("big.png"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(33 * 1024 * 1024));
    big.close();
    const struct {
        QString path;
        HRESULT status;
    } cases[] = {
        {QDir::current().filePath("missing.jpg"), HRESULT(0x80070002)},
        {QDir::current().filePath("ok.bmp/x.bmp"), HRESULT(0x80070003)}, // a file as a folder
        {QDir::currentPath(), HRESULT(0x80070005)},                      // a folder
        {WriteBytes("junk.bmp", QByteArray(300, 'x')), CTL_E_INVALIDPICTURE},
        {WriteBytes("empty.jpg", QByteArray()), CTL_E_INVALIDPICTURE},
        {WriteBytes("huge.bmp", huge), CTL_E_INVALIDPICTURE},
        {big.fileName(), E_OUTOFMEMORY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        CMyImage image;
        ASSERT_EQ(image.LoadFileImage(ok), S_OK);
        EXPECT_EQ(image.LoadFileImage(c.path), c.status);
        EXPECT_FALSE(image.HasImage());
        EXPECT_EQ(image.m_strFileName, c.path);
        QString name;
        EXPECT_FALSE(image.GetImageFileName(name));
        EXPECT_EQ(image.DrawImage(nullptr, QRect(0, 0, 10, 10)), E_UNEXPECTED);
        EXPECT_EQ(image.DeleteImage(), E_NOTIMPL);
    }
    // A missing resource keeps the picture.
    CMyImage image;
    ASSERT_EQ(image.LoadFileImage(ok), S_OK);
    EXPECT_EQ(image.LoadResourceImage(59999), E_FAIL);
    EXPECT_TRUE(image.HasImage());
}
